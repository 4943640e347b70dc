// Four meters read at once over TCP, each a qm_sim process on a loopback
// port, at the 25 ms reading speed: the ticks per second the loop achieves
// and how much of each tick is spent outside instrument I/O (parsing,
// classifying, formatting, charting and, in the saving variant, the
// committed append of every meter's reading).
//
// Each iteration is one tick, run at the next 25 ms deadline as the window's
// precise timer runs it (a tick that overruns its period is followed at
// once). The "flat out" variant runs the ticks back to back: how fast four
// meters can be read at all. Counters, per tick: io_us (the four round
// trips), outside_io_us (the rest of the tick) and outside_io_share; and
// ticks_per_s over the whole run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/MeterTool.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/TextSource.h"
#include "bench/BenchLanMeter.h"
#include "visa/visa_ext.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

class SilentPrompter : public qm::Prompter {
public:
    qm::PromptAnswer message(const qm::PromptMessage&) override { return qm::PromptAnswer::Yes; }
};


qm::bench::FourLanMeters& Meters() {
    static qm::bench::FourLanMeters meters("SN00008");
    return meters;
}

struct MultiReadBench {
    explicit MultiReadBench(bool save) {
        qm::visa::resetForTests();
        ok = qm::visa::useResourceTableText(Meters().table, "bench").ok;
        char tmpl[] = "/tmp/qm-bench-multi-XXXXXX";
        folder = mkdtemp(tmpl);
        std::filesystem::current_path(folder);
        tool.Refresh();
        ok = ok && tool.deviceCount() == 4;
        for (int slot = 0; slot < 4 && ok; ++slot) tool.sessions().Query(slot, "Function2 \"VOLT:AC\"\n");
        qm::ReadingSettingsValues settings;
        settings.multiMode = true;
        settings.chosen = {0, 1, 2, 3};
        settings.colours = tool.chart().colours();
        for (std::size_t i = 0; i < 4; ++i) {
            settings.saveFlag[i] = save;
            settings.recordNo[i] = static_cast<int>(i) + 1;
        }
        tool.ApplyReadingSettings(settings);
        qm::ReadingLoop& loop = tool.loop();
        qm::bench::TimeMeterAnswers(loop, io);
        ok = ok && loop.OnStartReading();
    }
    ~MultiReadBench() {
        tool.loop().OnStopReading();
        std::filesystem::current_path("/tmp");
        std::filesystem::remove_all(folder);
        qm::visa::resetForTests();
    }

    SilentPrompter prompter;
    qm::EnglishTexts texts;
    qm::MeterTool tool{prompter, texts, qm::systemClock()};
    std::string folder;
    SteadyClock::duration io{};
    bool ok = false;
};

void RunTicks(benchmark::State& state, bool paced) {
    MultiReadBench b(state.range(0) != 0);
    if (!b.ok) {
        state.SkipWithError("the four qm_sim meters could not be read");
        return;
    }
    constexpr auto kPeriod = std::chrono::milliseconds(25);
    SteadyClock::duration busy{};
    auto deadline = SteadyClock::now();
    for (auto _ : state) {
        if (paced) {
            deadline += kPeriod;
            const auto now = SteadyClock::now();
            if (deadline > now)
                std::this_thread::sleep_until(deadline);
            else
                deadline = now;  // an overrun tick is followed at once
        }
        const auto t0 = SteadyClock::now();
        b.tool.loop().OnTimer();
        busy += SteadyClock::now() - t0;
        if (!b.tool.loop().reading()) {
            state.SkipWithError("the run ended");
            break;
        }
    }
    qm::bench::ReportTickShares(state, static_cast<double>(state.iterations()), busy, b.io);
}

void BM_FourMetersAt25ms(benchmark::State& state) {
    RunTicks(state, true);
}
BENCHMARK(BM_FourMetersAt25ms)->ArgName("save")->Arg(0)->Arg(1)->Iterations(400)->UseRealTime();

void BM_FourMetersFlatOut(benchmark::State& state) {
    RunTicks(state, false);
}
BENCHMARK(BM_FourMetersFlatOut)->ArgName("save")->Arg(0)->Arg(1)->Iterations(4000)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
