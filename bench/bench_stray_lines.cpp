// What keeping a network meter's readings in step costs: before each
// reading on a line-ended link the loop drops whatever waits unasked (a
// stray line of the last answer). Measured against the round trip it
// protects, Query("read?\n") over TCP to qm_sim on loopback, in the same
// run. Run pinned to one core (taskset -c 0) so that client and server
// share it.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/ReadingLoop.h"
#include "instrument/Discovery.h"
#include "instrument/SessionTable.h"
#include "tests/support/Subprocess.h"
#include "visa/visa_ext.h"

namespace {

struct LanMeter {
    LanMeter() {
        sim = std::make_unique<qm::test::Child>(std::vector<std::string>{
            QM_SIM_PATH, "--listen", "127.0.0.1:0", "--model", "TX42", "--serial", "SN000091"});
        std::string line;
        if (sim->ReadLine(line)) port = std::atoi(line.substr(line.rfind(':') + 1).c_str());
    }
    std::unique_ptr<qm::test::Child> sim;
    int port = 0;
};

LanMeter& Lan() {
    static LanMeter lan;
    return lan;
}

// Runs body(sessions) against the one meter; false when it cannot be reached.
template <class Body>
void WithLanMeter(benchmark::State& state, Body body) {
    qm::visa::resetForTests();
    const auto r = qm::visa::useResourceTableText(
        "[USB0::0x1209::0x4101::SN000091::INSTR]\nbackend=tcp\nhost=127.0.0.1\nport=" +
        std::to_string(Lan().port) + "\n");
    qm::SessionTable sessions;
    if (!r.ok || qm::DiscoverInstruments(sessions).devices.empty() ||
        !qm::EndsAtLineFeed(sessions.slotSession(0))) {
        state.SkipWithError("qm_sim not reachable");
        return;
    }
    body(sessions);
    sessions.CloseAll();
    qm::visa::resetForTests();
}

void BM_QueryTcp(benchmark::State& state) {
    WithLanMeter(state, [&](qm::SessionTable& sessions) {
        for (auto _ : state) benchmark::DoNotOptimize(sessions.Query(0, "read?\n"));
    });
}
BENCHMARK(BM_QueryTcp);

void BM_DropUnaskedThenQueryTcp(benchmark::State& state) {
    WithLanMeter(state, [&](qm::SessionTable& sessions) {
        for (auto _ : state) {
            qm::DropUnaskedAnswers(sessions.slotSession(0));
            benchmark::DoNotOptimize(sessions.Query(0, "read?\n"));
        }
    });
}
BENCHMARK(BM_DropUnaskedThenQueryTcp);

}  // namespace

BENCHMARK_MAIN();
