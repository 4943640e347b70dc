// The live chart widget: traces land in their colours where the chart
// arithmetic puts them, a row without a newest reading keeps its history,
// markers follow Shift Graph, and a repaint shows the kept picture.
#include <QtTest>
#include <cmath>
#include <memory>

#include "app/LiveChartWidget.h"
#include "app/MainWindowIds.h"
#include "ui/support/MainWindowBench.h"

using namespace qm;

namespace {

// Pixel row of a level in divisions above the zero line, worked out from the
// grid alone: ten divisions over the plot height.
int RowOf(const QRect& plot, double divisions) {
    const int h = plot.height() - 1;
    return plot.top() + h / 2 - static_cast<int>(std::lround(divisions * h / 10.0));
}
int ColumnOf(const QRect& plot, int x, int xMax) {
    return plot.left() + static_cast<int>(std::lround(double(x) * (plot.width() - 1) / xMax));
}
int CountColour(const QImage& img, int y, const QRect& plot, QColor colour) {
    int n = 0;
    for (int x = plot.left(); x <= plot.right(); ++x) n += img.pixelColor(x, y) == colour;
    return n;
}
int CountColour(const QImage& img, QColor colour) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) == colour;
    return n;
}

}  // namespace

class TestLiveChart : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        model = std::make_unique<ChartModel>();
        widget = std::make_unique<LiveChartWidget>();
        widget->setModel(model.get());
        widget->resize(560, 340);
        widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(widget.get()));
    }

    void tracesInTheirColoursAndGapsLeftOpen() {
        QCOMPARE(widget->objectName(), QString("1003"));
        ChartDevices d;
        d.activeSlots = {0, 1, 2, 3};
        d.dualDisplay = true;
        d.slotHasSecond[3] = true;
        for (int t = 0; t < 100; ++t) {
            model->advance(d.activeSlots);
            const bool flat = t < 60;
            model->storePoint(0, flat ? 1.0 : 1.0 + 0.6 * std::sin(t / 5.0));
            model->storePoint(1, flat ? -2.0 : -2.0 + 0.4 * std::cos(t / 3.0));
            model->storePoint(2, t == 99 ? 0.0 : 3.0);  // no newest reading
            model->storePoint(3, -0.5 + 1.5 * std::sin(t / 12.0));
            model->storePoint(7, 2.5 + 0.3 * std::sin(t / 4.0) + (t % 7 == 0 ? 0.4 : 0.0));
        }
        widget->redraw(d);
        const QImage img = widget->grab().toImage();
        img.save("/tmp/livechart.png");
        QCOMPARE(img.size(), widget->chartPixmap().size());
        const QRect plot = widget->plotRect();

        const int x30 = ColumnOf(plot, 30, 100);
        QCOMPARE(img.pixelColor(x30, RowOf(plot, 1.0)), QColor(0, 0, 255));
        QCOMPARE(img.pixelColor(x30, RowOf(plot, -2.0)), QColor(0, 255, 0));
        // Row 3 had no newest reading: its history stays, its newest place is empty.
        QCOMPARE(img.pixelColor(x30, RowOf(plot, 3.0)), QColor(255, 0, 0));
        QVERIFY(img.pixelColor(plot.right(), RowOf(plot, 3.0)) != QColor(255, 0, 0));
        QVERIFY(CountColour(img, RowOf(plot, 1.0), plot, QColor(0, 0, 255)) > plot.width() / 2);
        // Nothing strays outside the plot into the marker gutter.
        QCOMPARE(img.pixelColor(plot.left() - 2, RowOf(plot, 1.0)),
                 img.pixelColor(plot.left() - 2, RowOf(plot, 4.5)));
    }

    void singleDeviceUsesLineOneScaleAndPen() {
        model->yScaleDown("0");  // line 1: "500m"
        ChartDevices d;
        d.activeSlots = {2};
        for (int t = 0; t < 40; ++t) {
            model->advance(d.activeSlots);
            model->storePoint(2, 1.0);
        }
        widget->redraw(d);
        const QImage img = widget->grab().toImage();
        const QRect plot = widget->plotRect();
        QCOMPARE(img.pixelColor(plot.right() - 2, RowOf(plot, 2.0)), QColor(0, 0, 255));
        QCOMPARE(CountColour(img, RowOf(plot, 2.0), plot, QColor(255, 0, 0)), 0);
        // The newest point sits on the right edge, the oldest 39 units left.
        QCOMPARE(img.pixelColor(plot.right(), RowOf(plot, 2.0)), QColor(0, 0, 255));
        QCOMPARE(img.pixelColor(ColumnOf(plot, 61, 100), RowOf(plot, 2.0)), QColor(0, 0, 255));
        QVERIFY(img.pixelColor(ColumnOf(plot, 59, 100), RowOf(plot, 2.0)) != QColor(0, 0, 255));
    }

    void markersFollowShiftAndVisibility() {
        QWidget* marker = widget->findChild<QWidget*>("1052");
        QWidget* second = widget->findChild<QWidget*>("1058");
        QVERIFY(marker && second);
        QVERIFY(marker->isVisible());
        QVERIFY(!second->isVisible());
        const QRect plot = widget->plotRect();
        const qreal dpr = widget->chartPixmap().devicePixelRatio();
        const int centre = marker->geometry().center().y();
        QVERIFY(std::abs(centre - RowOf(plot, 0) / dpr) <= 1);
        QVERIFY(marker->geometry().right() < plot.left() / dpr);

        QVERIFY(model->shiftGraphUp("0"));
        QVERIFY(model->shiftGraphUp("0"));
        widget->updateMarkers();
        QVERIFY(std::abs(marker->geometry().center().y() - RowOf(plot, 2.0) / dpr) <= 1);
        widget->setMarkerVisible(4, true);
        QVERIFY(second->isVisible());
        QCOMPARE(second->geometry().center().y(), centre);  // its own line is unshifted
    }

    void repaintBlitsTheKeptPicture() {
        ChartDevices d;
        d.activeSlots = {0, 1};
        for (int t = 0; t < 100; ++t) {
            model->advance(d.activeSlots);
            model->storePoint(0, 1.0);
        }
        widget->redraw(d);
        model->clearRows();  // the buffers change; the picture does not until the next redraw
        QImage img = widget->grab().toImage();
        QRect plot = widget->plotRect();
        QCOMPARE(img.pixelColor(ColumnOf(plot, 50, 100), RowOf(plot, 1.0)), QColor(0, 0, 255));
        // A new size draws the kept rows again at the new pixel size.
        widget->resize(400, 260);
        img = widget->grab().toImage();
        plot = widget->plotRect();
        QCOMPARE(img.pixelColor(ColumnOf(plot, 50, 100), RowOf(plot, 1.0)), QColor(0, 0, 255));
        widget->clear();
        img = widget->grab().toImage();
        QCOMPARE(CountColour(img, RowOf(plot, 1.0), plot, QColor(0, 0, 255)), 0);
    }

    // In the window: an overload on a redraw tick, a steady overload, and
    // Stop on an overload all leave the readings before it on the chart.
    void overloadKeepsTheHistoryDrawn() {
        test::MainWindowBench bench;
        QVERIFY(bench.UseTable(test::MeterSection("USB0::0x1209::0x4101::SN000001::INSTR", "TX42",
                                                  "SN000001", "value=0.5\nnoise=0")));
        CMeterToolDlg& w = bench.Open();
        auto* chart = bench.Control<LiveChartWidget>(mainwindow::kChartArea);
        QVERIFY(chart);
        const QColor blue(0, 0, 255);
        bench.Trigger(mainwindow::kCmdStartReading);
        QVERIFY(w.tool().loop().reading());
        for (int t = 0; t < 30; ++t) w.OnTimer();  // X-Max 100: a redraw every other tick
        const int drawn = CountColour(chart->chartPixmap().toImage(), blue);
        QVERIFY(drawn > 20);

        bench.Meter(0)->setValue(9.9e37);
        for (int t = 0; t < 10; ++t) {
            w.OnTimer();
            QCOMPARE(bench.Text(901), QString("OVLD"));
            QVERIFY2(CountColour(chart->chartPixmap().toImage(), blue) > drawn / 2,
                     qPrintable(QString("tick %1").arg(t)));
        }
        bench.Trigger(mainwindow::kCmdStopReading);
        QVERIFY(!w.tool().loop().reading());
        QVERIFY(CountColour(chart->chartPixmap().toImage(), blue) > drawn / 2);
    }

    // The Data Offset edit shows the applied offset back in full; the
    // Y-scale and Shift buttons read it again, so no digit may be cut off.
    void dataOffsetEditKeepsTheWholeOffset() {
        test::MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        CMeterToolDlg& w = bench.Open();
        auto* offset = bench.Control<QLineEdit>(mainwindow::kDataOffsetEdit);
        offset->setText("1e100");
        bench.Control<QPushButton>(mainwindow::kDataOffsetSet)->click();
        QCOMPARE(offset->text().size(), 101);
        bench.Control<QPushButton>(mainwindow::kYScaleDown)->click();
        QCOMPARE(w.tool().chart().lineOffset(0), 1e100);
        QVERIFY(bench.prompter.messages.empty());
    }

  private:
    std::unique_ptr<ChartModel> model;
    std::unique_ptr<LiveChartWidget> widget;
};

QTEST_MAIN(TestLiveChart)
#include "tst_livechart.moc"
