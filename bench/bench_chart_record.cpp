// The Record Chart drawing all readings of a record of a million readings
// onto a plot of the page's size: the record read once from its cursor,
// reduced to per-pixel-column extremes, and stroked with QPainter.
//
// Run pinned:
//   taskset -c 0 ./bench_chart_record --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include "RecordBenchSupport.h"
#include "records/RecordChartModel.h"

namespace {

using qm::bench::GeneratedRecord;

void BM_RecordChartDrawAll(benchmark::State& state) {
    GeneratedRecord& record = GeneratedRecord::Instance();
    if (!record.ok()) return state.SkipWithError("record could not be generated");
    qm::ChartRequest request;
    request.path = record.path();
    request.quantity = GeneratedRecord::kReadings;
    request.plot = {600, 300};
    QImage image(600, 300, QImage::Format_RGB32);
    for (auto _ : state) {
        auto lines = qm::DrawRecordChart(request);
        if (!lines) return state.SkipWithError("drawing failed");
        QPainter painter(&image);
        painter.setPen(QColor(0, 255, 255));
        for (const auto& line : *lines) {
            QPolygon polygon;
            for (const auto& p : line) polygon << QPoint(p.x, p.y);
            painter.drawPolyline(polygon);
        }
    }
}
BENCHMARK(BM_RecordChartDrawAll)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
