// The program must never be what limits the reading rate: the cost of one
// reading tick without instrument I/O — parse, classify, format, chart
// advance and store, and (in the saving variant) the committed append —
// against captured answers, for one and for four meters, at X-Max 100 and
// 2000: a tick costs the same whatever the chart's width.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/MeterTool.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/TextSource.h"
#include "visa/visa_ext.h"

namespace {

class SilentPrompter : public qm::Prompter {
public:
    qm::PromptAnswer message(const qm::PromptMessage&) override { return qm::PromptAnswer::Yes; }
};

struct TickBench {
    TickBench(int devices, bool save, int xMax) {
        qm::visa::resetForTests();
        qm::visa::setSimulationClock(clock);
        qm::visa::useBuiltinSimulatedTable();
        char tmpl[] = "/tmp/qm-bench-tick-XXXXXX";
        folder = mkdtemp(tmpl);
        std::filesystem::current_path(folder);
        tool.Refresh();
        tool.chart().setXMax(xMax);
        if (devices > 1) tool.loop().SetMultiMode(true, {0, 1, 2, 3});
        if (save)
            for (int i = 0; i < devices; ++i) tool.loop().SetSaving(i, true, i + 1);
        tool.loop().SetAnswerSource([this](int, bool) {
            ++n;
            return qm::FetchedAnswer{n % 2 ? "+1.23456789E+00,+5.67800000E-03"
                                           : "-1.23456788E+00,+5.67900000E-03",
                                     VI_SUCCESS};
        });
        ok = tool.loop().OnStartReading();
        // Measure full charts: every tick then drops the oldest point.
        for (int i = 0; ok && i < xMax; ++i) tool.loop().OnTimer();
    }
    ~TickBench() {
        tool.loop().OnStopReading();
        std::filesystem::current_path("/tmp");
        std::filesystem::remove_all(folder);
        qm::visa::resetForTests();
    }

    qm::ManualClock clock;
    SilentPrompter prompter;
    qm::EnglishTexts texts;
    qm::MeterTool tool{prompter, texts, clock};
    std::string folder;
    unsigned n = 0;
    bool ok = false;
};

void BM_Tick(benchmark::State& state) {
    TickBench b(static_cast<int>(state.range(0)), state.range(1) != 0,
                static_cast<int>(state.range(2)));
    if (!b.ok) {
        state.SkipWithError("start refused");
        return;
    }
    for (auto _ : state) b.tool.loop().OnTimer();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Tick)
    ->ArgNames({"devices", "save", "xmax"})
    ->Args({1, 0, 100})
    ->Args({1, 0, 2000})
    ->Args({4, 0, 100})
    ->Args({4, 0, 2000})
    ->Args({1, 1, 2000})
    ->Args({4, 1, 2000});

}  // namespace

BENCHMARK_MAIN();
