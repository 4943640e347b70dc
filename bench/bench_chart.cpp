// The cost of one chart redraw at the widest X-Max with all eight lines:
// the core's polylines alone, and polylines plus drawing into the picture.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <vector>

#include "app/ChartModel.h"
#include "app/LiveChartWidget.h"

namespace {

// Four devices with second values, 2000 noisy points each: every segment of
// every line goes somewhere else, the worst case for the stroker.
qm::ChartDevices FillFullChart(qm::ChartModel& model) {
    qm::ChartDevices devices;
    devices.activeSlots = {0, 1, 2, 3};
    devices.dualDisplay = true;
    devices.slotHasSecond = {true, true, true, true};
    model.setXMax(qm::kXMaxMax);
    unsigned seed = 12345;
    for (int t = 0; t < qm::kXMaxMax; ++t) {
        model.advance(devices.activeSlots);
        for (int r = 0; r < qm::kChartRows; ++r) {
            seed = seed * 1103515245u + 12345u;
            const double noise = static_cast<double>((seed >> 16) % 1000) / 1000.0 - 0.5;
            model.storePoint(r, (r - 3.5) + std::sin(t * 0.01 + r) + noise);
        }
    }
    return devices;
}

void BM_ChartRowsToDraw(benchmark::State& state) {
    qm::ChartModel model;
    const qm::ChartDevices devices = FillFullChart(model);
    std::vector<qm::RowToDraw> rows;
    for (auto _ : state) {
        model.rowsToDraw(devices, rows);
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_ChartRowsToDraw)->Unit(benchmark::kMicrosecond);

void BM_ChartFullRedraw(benchmark::State& state) {
    qm::ChartModel model;
    const qm::ChartDevices devices = FillFullChart(model);
    qm::LiveChartWidget widget;
    widget.setModel(&model);
    widget.resize(800, 480);
    for (auto _ : state) {
        widget.redraw(devices);
        benchmark::DoNotOptimize(widget.chartPixmap().cacheKey());
    }
}
BENCHMARK(BM_ChartFullRedraw)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
