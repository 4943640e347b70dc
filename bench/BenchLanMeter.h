#pragma once
// One qm_sim on a free loopback port for a whole benchmark run, and the
// resource table text that names it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/ReadingLoop.h"
#include "tests/support/Subprocess.h"

namespace qm::bench {

struct LanMeter {
    LanMeter() {
        sim = std::make_unique<qm::test::Child>(std::vector<std::string>{
            QM_SIM_PATH, "--listen", "127.0.0.1:0", "--model", "TX42", "--serial", "SN000090"});
        std::string line;
        if (sim->ReadLine(line)) port = std::atoi(line.substr(line.rfind(':') + 1).c_str());
    }
    std::string Table() const {
        return "[USB0::0x1209::0x4101::SN000090::INSTR]\nbackend=tcp\nhost=127.0.0.1\nport=" +
               std::to_string(port) + "\n";
    }
    std::unique_ptr<qm::test::Child> sim;
    int port = 0;
};

inline LanMeter& Lan() {
    static LanMeter lan;
    return lan;
}

// Four TX42 qm_sim meters (main values 1.25, 2.5, 3.75 and 5, second 0.5) on
// free loopback ports, and the resource table that names them; `serialBase`
// keeps the descriptors of two sets apart.
struct FourLanMeters {
    explicit FourLanMeters(const std::string& serialBase) {
        for (int i = 1; i <= 4; ++i) {
            const std::string serial = serialBase + std::to_string(i);
            sims.push_back(std::make_unique<qm::test::Child>(std::vector<std::string>{
                QM_SIM_PATH, "--listen", "127.0.0.1:0", "--model", "TX42", "--serial", serial,
                "--value", std::to_string(1.25 * i), "--value2", "0.5"}));
            std::string line;
            if (!sims.back()->ReadLine(line)) return;
            table += "[USB0::0x1209::0x4101::" + serial +
                     "::INSTR]\nbackend=tcp\nhost=127.0.0.1\nport=" +
                     line.substr(line.rfind(':') + 1) + "\n";
        }
    }
    std::vector<std::unique_ptr<qm::test::Child>> sims;
    std::string table;
};

// The loop reads the meters as always, and adds the time of each read to `io`.
inline void TimeMeterAnswers(qm::ReadingLoop& loop, std::chrono::steady_clock::duration& io) {
    loop.SetAnswerSource([&loop, &io](int slot, bool pipelined) {
        const auto& active = loop.activeSlots();
        const int position =
            static_cast<int>(std::find(active.begin(), active.end(), slot) - active.begin());
        const auto t0 = std::chrono::steady_clock::now();
        qm::FetchedAnswer answer = loop.FetchFromMeter(position, slot, pipelined);
        io += std::chrono::steady_clock::now() - t0;
        return answer;
    });
}

// Per-tick counters of a run of `ticks` ticks: their time in instrument I/O,
// the rest of it, and the share of that rest.
inline void ReportTickShares(benchmark::State& state, double ticks,
                             std::chrono::steady_clock::duration busy,
                             std::chrono::steady_clock::duration io) {
    const double busyUs = std::chrono::duration<double, std::micro>(busy).count() / ticks;
    const double ioUs = std::chrono::duration<double, std::micro>(io).count() / ticks;
    state.counters["ticks_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["tick_us"] = busyUs;
    state.counters["io_us"] = ioUs;
    state.counters["outside_io_us"] = busyUs - ioUs;
    state.counters["outside_io_share"] = busyUs > 0 ? (busyUs - ioUs) / busyUs : 0;
}

}  // namespace qm::bench
