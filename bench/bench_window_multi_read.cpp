// The main window reading four qm_sim meters over TCP at the 25 ms reading
// speed, on its own timer, with every device line, second value and the
// chart on show (offscreen): ticks per second, the time of each tick spent
// in instrument I/O and outside it (the loop, the widgets it updates and the
// chart it redraws), and the process's CPU time per tick, which also covers
// the painting that follows a tick in the event loop.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/CMeterToolDlg.h"
#include "app/MainWindowIds.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "records/CReadingSettingsDlg.h"
#include "bench/BenchLanMeter.h"
#include "visa/visa_ext.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

class SilentPrompter : public qm::Prompter {
public:
    qm::PromptAnswer message(const qm::PromptMessage&) override { return qm::PromptAnswer::Yes; }
};

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}


void BM_WindowFourMetersAt25ms(benchmark::State& state) {
    qm::bench::FourLanMeters meters("SN00009");
    qm::visa::resetForTests();
    if (!qm::visa::useResourceTableText(meters.table, "bench").ok) {
        state.SkipWithError("no meters");
        return;
    }
    char tmpl[] = "/tmp/qm-bench-window-XXXXXX";
    const std::string folder = mkdtemp(tmpl);
    std::filesystem::current_path(folder);
    SilentPrompter prompter;
    auto window = std::make_unique<CMeterToolDlg>(prompter, qm::systemClock());
    CMeterToolDlg& w = *window;
    for (int slot = 0; slot < 4; ++slot) w.tool().sessions().Query(slot, "Function2 \"VOLT:AC\"\n");
    w.tool().RefreshFunctionDisplay();
    w.show();

    // Reading Settings through the menu: four meters, each saving when asked.
    const bool save = state.range(0) != 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* page = qobject_cast<CReadingSettingsDlg*>(QApplication::activeModalWidget());
        if (page == nullptr) return;
        answer.stop();
        qm::ReadingSettings& s = page->settings();
        s.OnMultiDevice();
        s.OnSelectInstruments({0, 1, 2, 3});
        for (int i = 0; i < 4; ++i) {
            s.OnSaveInstrument(save);
            if (save) s.OnRecordInstrument(i);
            s.OnNextInstrument();
        }
        page->accept();
    });
    answer.start(0);
    w.action(qm::mainwindow::kCmdReadingSettings)->trigger();

    // Every tick timed, with the I/O of its four round trips.
    qm::ReadingLoop& loop = w.tool().loop();
    SteadyClock::duration io{}, busy{};
    qm::bench::TimeMeterAnswers(loop, io);
    long ticks = 0;
    QObject::disconnect(&w.readTimer(), nullptr, &w, nullptr);
    QObject::connect(&w.readTimer(), &QTimer::timeout, [&] {
        const auto t0 = SteadyClock::now();
        w.OnTimer();
        busy += SteadyClock::now() - t0;
        ++ticks;
    });
    w.action(qm::mainwindow::kCmdStartReading)->trigger();
    if (!loop.reading() || !w.tool().function().multiMode()) {
        state.SkipWithError("the window did not start reading four meters");
        return;
    }
    const double cpu0 = CpuSeconds();
    for (auto _ : state) {
        const long target = ticks + 1;
        while (ticks < target && loop.reading())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const double cpu = CpuSeconds() - cpu0;
    w.action(qm::mainwindow::kCmdStopReading)->trigger();
    window.reset();
    qm::visa::resetForTests();
    std::filesystem::current_path("/tmp");
    std::filesystem::remove_all(folder);

    qm::bench::ReportTickShares(state, static_cast<double>(ticks), busy, io);
    state.counters["cpu_us_per_tick"] = cpu * 1e6 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_WindowFourMetersAt25ms)->ArgName("save")->Arg(0)->Arg(1)->Iterations(400)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
