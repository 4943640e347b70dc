// Set on the Device Settings page (the checked sequence and the read-back
// that follows), against qm_sim over TCP on loopback and against an
// in-process simulated meter, beside one query round trip to the same
// qm_sim: the cost of a Set in round trips. Run pinned to one core
// (taskset -c 0) so that client and server share it.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "config/DeviceSettingsPage.h"
#include "instrument/Discovery.h"
#include "instrument/SessionTable.h"
#include "platform/Clock.h"
#include "platform/TextSource.h"
#include "bench/BenchLanMeter.h"
#include "visa/visa_ext.h"

namespace {

class SilentPrompter final : public qm::Prompter {
  public:
    qm::PromptAnswer message(const qm::PromptMessage&) override { return qm::PromptAnswer::Ok; }
};

using qm::bench::Lan;

// Counts the exchanges of one Set.
struct Counted {
    qm::SessionTable sessions;
    int exchanges = 0;
    qm::DeviceSettingsLink Link(const std::vector<qm::DeviceSlot>& devices) {
        qm::DeviceSettingsLink link;
        link.devices = [devices] {
            std::vector<qm::PageDevice> page;
            for (const auto& d : devices) page.push_back({d.label, d.identity});
            return page;
        };
        link.exchange = [this](int slot, const std::string& command) {
            ++exchanges;
            return sessions.QueryEx(slot, command, qm::QueryVariant::DeviceSettings);
        };
        return link;
    }
};

void RunSets(benchmark::State& state, Counted& counted, const std::vector<qm::DeviceSlot>& devices) {
    SilentPrompter prompter;
    qm::EnglishTexts texts;
    qm::DeviceSettingsPage page(counted.Link(devices), prompter, texts);
    page.OnInitDialog();
    page.OnFunctionSelChange(qm::kRowDcVoltage);
    int range = 1;
    counted.exchanges = 0;
    for (auto _ : state) {
        page.OnRangeSelChange(range);
        range = range == 1 ? 2 : 1;  // a real change every time
        if (!page.OnSet()) state.SkipWithError("Set failed");
    }
    state.counters["exchanges/Set"] =
        benchmark::Counter(counted.exchanges, benchmark::Counter::kAvgIterations);
}

void BM_SetTcp(benchmark::State& state) {
    qm::visa::resetForTests();
    const auto r = qm::visa::useResourceTableText(Lan().Table());
    Counted counted;
    const auto found = qm::DiscoverInstruments(counted.sessions);
    if (!r.ok || found.devices.empty()) {
        state.SkipWithError("qm_sim not reachable");
        return;
    }
    RunSets(state, counted, found.devices);
    counted.sessions.CloseAll();
    qm::visa::resetForTests();
}
BENCHMARK(BM_SetTcp)->Unit(benchmark::kMicrosecond);

void BM_QueryTcpBeside(benchmark::State& state) {
    qm::visa::resetForTests();
    qm::visa::useResourceTableText(Lan().Table());
    qm::SessionTable sessions;
    if (qm::DiscoverInstruments(sessions).devices.empty()) {
        state.SkipWithError("qm_sim not reachable");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(sessions.Query(0, "func?\n", qm::QueryVariant::DeviceSettings));
    sessions.CloseAll();
    qm::visa::resetForTests();
}
BENCHMARK(BM_QueryTcpBeside)->Unit(benchmark::kMicrosecond);

void BM_SetInProcess(benchmark::State& state) {
    qm::ManualClock clock;
    qm::visa::resetForTests();
    qm::visa::setSimulationClock(clock);
    qm::visa::useBuiltinSimulatedTable();
    Counted counted;
    const auto found = qm::DiscoverInstruments(counted.sessions);
    RunSets(state, counted, found.devices);
    counted.sessions.CloseAll();
    qm::visa::resetForTests();
}
BENCHMARK(BM_SetInProcess)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
