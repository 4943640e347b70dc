// The main window while reading: Start and Stop with their control states,
// values shown after timer ticks, the reading pace, the chart controls, the
// second function, Enter and Esc.
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>

#include "app/CMeterToolDlg.h"
#include "app/LiveChartWidget.h"
#include "app/MainWindowIds.h"
#include "ui/support/MainWindowBench.h"

using namespace qm;
using namespace qm::mainwindow;
using qm::test::MainWindowBench;
using qm::test::MeterSection;

namespace {

// A TX42 and a TX41 that read steady values.
const std::string kSteadyMeters =
    MeterSection("USB0::0x1209::0x4101::SN000001::INSTR", "TX42", "SN000001",
                 "value=1.5\nnoise=0\nvalue2=0.25") +
    MeterSection("USB0::0x1209::0x4101::SN000002::INSTR", "TX41", "SN000002",
                 "identity=Varnet, Model TX41, SN000002, V1.00\nvalue=-2\nnoise=0");

constexpr int kCommandsGrayedWhileReading[] = {32775, 32776, 32777, 32778, 32779,
                                               32780, 32782, 32786, 32785};

void ActivateEntry(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

}  // namespace

class TestMainWindowReading : public QObject {
    Q_OBJECT

  private slots:
    void startTicksAndStop() {
        MainWindowBench bench;
        QVERIFY(bench.UseTable(kSteadyMeters));
        CMeterToolDlg& w = bench.Open();
        auto* chart = bench.Control<LiveChartWidget>(kChartArea);
        const QImage emptyChart = chart->chartPixmap().toImage();

        bench.Trigger(kCmdStartReading);
        QVERIFY(bench.prompter.messages.empty());
        QVERIFY(w.tool().loop().reading());
        QVERIFY(w.readTimer().isActive());
        QCOMPARE(w.readTimer().interval(), 25);
        QVERIFY(!w.action(kCmdToolbarStart)->isEnabled());
        QVERIFY(w.action(kCmdToolbarStop)->isEnabled());
        QVERIFY(!w.action(kCmdSetDevice)->isEnabled());
        QVERIFY(w.action(kCmdStopReading)->isEnabled());
        QVERIFY(w.action(kCmdExit)->isEnabled());
        for (int id : kCommandsGrayedWhileReading)
            QVERIFY2(!w.action(id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(!bench.Enabled(kDeviceList));
        QVERIFY(!bench.Enabled(kSecondFunctionCombo));
        for (int id : {1078, 1087, 1093}) QVERIFY(!bench.Enabled(id));

        for (int tick = 0; tick < 4; ++tick) w.OnTimer();
        QCOMPARE(bench.Text(901), QString("1.500000000000"));
        QVERIFY(chart->chartPixmap().toImage() != emptyChart);  // the trace is drawn

        // A new pace restarts the running timer.
        ActivateEntry(bench.Control<QComboBox>(kReadingSpeed), "100ms");
        QCOMPARE(bench.Text(kTriggerInterval), QString("Trigger Interval : 100ms"));
        QVERIFY(w.readTimer().isActive());
        QCOMPARE(w.readTimer().interval(), 100);

        bench.Trigger(kCmdToolbarStop);
        QVERIFY(!w.tool().loop().reading());
        QVERIFY(!w.readTimer().isActive());
        QVERIFY(w.action(kCmdToolbarStart)->isEnabled());
        QVERIFY(!w.action(kCmdToolbarStop)->isEnabled());
        QVERIFY(w.action(kCmdSetDevice)->isEnabled());
        QVERIFY(!w.action(kCmdStopReading)->isEnabled());
        for (int id : kCommandsGrayedWhileReading) QVERIFY(w.action(id)->isEnabled());
        QVERIFY(bench.Enabled(kDeviceList));
        QVERIFY(bench.Enabled(kSecondFunctionCombo));
        QVERIFY(bench.Enabled(1093));
        QCOMPARE(bench.Text(kFunctionStatus), QString("Function : DCV"));
        QCOMPARE(bench.Text(901), QString("1.500000000000"));

        // The pace chosen while idle is the one the next run uses.
        bench.Trigger(kCmdToolbarStart);
        QCOMPARE(w.readTimer().interval(), 100);
        bench.Trigger(kCmdStopReading);
        QVERIFY(!w.readTimer().isActive());
    }

    void aRunKeepsTheModelLimits() {
        MainWindowBench bench;
        QVERIFY(bench.UseTable(kSteadyMeters));
        CMeterToolDlg& w = bench.Open();
        bench.Control<QListWidget>(kDeviceList)->setCurrentRow(1);  // TX41
        QVERIFY(!bench.Enabled(1093));
        bench.Trigger(kCmdToolbarStart);
        w.OnTimer();
        w.OnTimer();
        QCOMPARE(bench.Text(901), QString("-2.000000000000000"));
        bench.Trigger(kCmdToolbarStop);
        QVERIFY(bench.Enabled(1078));
        QVERIFY(!bench.Enabled(1093));
        QVERIFY(!bench.Enabled(1092));
        QVERIFY(!bench.Shown(kSecondFunctionCombo));
        QCOMPARE(bench.Control<QListWidget>(kDeviceList)->currentRow(), 1);
    }

    void aSilentMeterKeepsItsValueGreyed() {
        MainWindowBench bench;
        QVERIFY(bench.UseTable(kSteadyMeters));
        CMeterToolDlg& w = bench.Open();
        ReadingView& view = w;
        LineReading reading;
        reading.answered = true;
        reading.mainText = "3.000000000000";
        reading.secondText = "OVLD";
        view.LineUpdated(reading);
        auto* value = bench.Control<QLabel>(901);
        QCOMPARE(value->text(), QString("3.000000000000"));
        QCOMPARE(bench.Text(905), QString("OVLD"));
        QVERIFY(value->toolTip().isEmpty());

        LineReading silent;
        view.LineUpdated(silent);
        QCOMPARE(value->text(), QString("3.000000000000"));
        QCOMPARE(value->toolTip(), QString("No answer"));
        QVERIFY(value->property("silent").toBool());

        view.LineUpdated(reading);
        QVERIFY(value->toolTip().isEmpty());
        QVERIFY(!value->property("silent").toBool());

        // A line the window does not have is ignored.
        reading.line = 7;
        view.LineUpdated(reading);
    }

    void secondFunctionShowsItsLine() {
        MainWindowBench bench;
        QVERIFY(bench.UseTable(kSteadyMeters));
        CMeterToolDlg& w = bench.Open();
        auto* combo = bench.Control<QComboBox>(kSecondFunctionCombo);
        for (int id : {905, 1113, 1048, 1103, 1219}) QVERIFY(!bench.Shown(id));

        ActivateEntry(combo, "DCI");
        QVERIFY(bench.MeterReceived(0, "Function2 \"CURR\""));
        QCOMPARE(combo->currentText(), QString("DCI"));
        for (int id : {905, 1113, 1048, 1103, 1219})
            QVERIFY2(bench.Shown(id), qPrintable(QString::number(id)));
        QCOMPARE(bench.Text(1113), QString("DCI"));
        QVERIFY(bench.Control<LiveChartWidget>(kChartArea)->isMarkerVisible(4));

        // Both values are shown while reading.
        bench.Trigger(kCmdStartReading);
        w.OnTimer();
        w.OnTimer();
        QCOMPARE(bench.Text(901), QString("1.500000000000"));
        QCOMPARE(bench.Text(905), QString("0.250000000000"));
        bench.Trigger(kCmdStopReading);

        // The second line's radio gives the second line's scale.
        bench.Control<QRadioButton>(1103)->click();
        QCOMPARE(w.tool().chart().currentLine(), 4);
        bench.Control<QPushButton>(kYScaleDown)->click();
        QCOMPARE(bench.Text(kYScaleEdit), QString("500m"));

        // NONE puts the chart back on line 1 and hides the second value.
        ActivateEntry(combo, "NONE");
        QVERIFY(bench.MeterReceived(0, "Function2 \"NONE\""));
        QVERIFY(bench.Control<QRadioButton>(1098)->isChecked());
        QCOMPARE(w.tool().chart().currentLine(), 0);
        QCOMPARE(bench.Text(kYScaleEdit), QString("1"));
        for (int id : {905, 1113, 1048, 1103, 1219}) QVERIFY(!bench.Shown(id));
        QVERIFY(!bench.Control<LiveChartWidget>(kChartArea)->isMarkerVisible(4));
    }

    void chartControls() {
        MainWindowBench bench;
        QVERIFY(bench.UseTable(kSteadyMeters));
        CMeterToolDlg& w = bench.Open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ChartModel& chart = w.tool().chart();

        bench.Control<QPushButton>(kYScaleDown)->click();
        QCOMPARE(bench.Text(kYScaleEdit), QString("500m"));
        bench.Control<QPushButton>(kYScaleUp)->click();
        bench.Control<QPushButton>(kYScaleUp)->click();
        QCOMPARE(bench.Text(kYScaleEdit), QString("2"));
        QCOMPARE(chart.lineScaleIndex(0), 19);

        auto* offset = bench.Control<QLineEdit>(kDataOffsetEdit);
        offset->setText("0.25");
        bench.Control<QPushButton>(kDataOffsetSet)->click();
        QCOMPARE(offset->text(), QString("0.25"));
        QCOMPARE(chart.lineOffset(0), 0.25);
        QVERIFY(bench.prompter.messages.empty());

        // Shift Graph moves line 1's zero marker a division at a time.
        QWidget* marker = bench.Control(1052);
        const int level = marker->y();
        bench.Control<QPushButton>(kShiftGraphUp)->click();
        QVERIFY(marker->y() < level);
        bench.Control<QPushButton>(kShiftGraphDown)->click();
        bench.Control<QPushButton>(kShiftGraphDown)->click();
        QVERIFY(marker->y() > level);
        QCOMPARE(chart.lineShift(0), 1);

        // Enter in the offset edit applies it; nowhere does Enter close the window.
        offset->setFocus();
        offset->setText("1e-3");
        QTest::keyClick(offset, Qt::Key_Return);
        QVERIFY(w.isVisible());
        QCOMPARE(offset->text(), QString("0.001"));
        const double applied = chart.lineShift(0) * chart.lineDivision(0) + 0.001;
        QCOMPARE(chart.lineOffset(0), applied);
        bench.Control(kReadingSpeed)->setFocus();
        offset->setText("5");
        QTest::keyClick(&w, Qt::Key_Enter);
        QVERIFY(w.isVisible());
        QCOMPARE(chart.lineOffset(0), applied);

        // X-Max sets the chart width and its label.
        ActivateEntry(bench.Control<QComboBox>(kXMaxCombo), "50 readings");
        QCOMPARE(bench.Text(kXAxisLabel), QString("50 readings"));
        QCOMPARE(chart.xMax(), 50);
    }

    void escapeClosesEverySession() {
        MainWindowBench bench;
        QVERIFY(bench.UseTable(kSteadyMeters));
        CMeterToolDlg& w = bench.Open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const ViSession first = w.tool().sessions().slotSession(0);
        const ViSession second = w.tool().sessions().slotSession(1);
        QVERIFY(visa::simEndpointOf(first) && visa::simEndpointOf(second));
        bench.Trigger(kCmdStartReading);
        w.OnTimer();

        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QVERIFY(!w.tool().loop().reading());
        QVERIFY(!w.readTimer().isActive());
        QCOMPARE(w.tool().sessions().slotCount(), 0);
        QVERIFY(visa::simEndpointOf(first) == nullptr);
        QVERIFY(visa::simEndpointOf(second) == nullptr);
    }
};

QTEST_MAIN(TestMainWindowReading)
#include "tst_mainwindow_reading.moc"
