// Every text of the main window fits its control: at the window's smallest
// size, in each language, with every device line and second value on show
// and each text set to the longest value it can receive (the widest
// reading, every Y-scale label, every range line, pace and chart width).
// Set QM_LAYOUT_SHOTS to a folder to keep a picture of each language.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QtTest>
#include <cmath>

#include "app/CShapeButton.h"
#include "app/ChartModel.h"
#include "app/FittedLabelWidget.h"
#include "app/LanguageTexts.h"
#include "app/MainWindowIds.h"
#include "app/ReadingValues.h"
#include "config/YScaleTable.h"
#include "config/FunctionDisplay.h"
#include "config/FunctionTable.h"
#include "config/ModelCapabilities.h"
#include "ui/support/MainWindowBench.h"
#include "ui/support/WindowTextFit.h"

using namespace qm;
using namespace qm::mainwindow;
using qm::test::MainWindowBench;

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList CutTexts(QWidget& window) { return test::WindowCutTexts(window); }

// A control of the window itself: the pages it owns reuse some of its
// numbers (Device Settings has its own 1037 and 1038).
template <typename W = QWidget>
W* Find(QWidget& window, int id) {
    for (W* w : window.findChildren<W*>(QString::number(id)))
        if (w->window() == &window) return w;
    qFatal("no control %d", id);
}

// Each candidate text in turn: all must fit.
void CheckEach(QWidget& window, int id, const QStringList& texts, QStringList& cuts) {
    QWidget* w = Find(window, id);
    for (const QString& text : texts) {
        if (auto* label = qobject_cast<QLabel*>(w)) label->setText(text);
        if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(text);
        const QString cut = test::WindowTextCut(w);
        if (!cut.isEmpty()) cuts << cut;
    }
}

QStringList RangeLines() {
    QStringList lines{"Range : AUTO", "Type : PT3916", "Type : SPRTD"};
    for (int row = kRowDcVoltage; row <= kRowPeriod; ++row)
        for (double v = 1e-3; v <= 1.01e9; v *= 10) {
            const std::string_view keyword = g_functionTable[static_cast<std::size_t>(row)].keyword;
            lines << Q(NumericRangeLine(row, keyword, v, false));
            lines << Q(NumericRangeLine(row, keyword, 2 * v, false));
        }
    for (double v = 1e-9; v <= 1.01e-2; v *= 10) lines << Q(CapacitanceRangeLine(v, false));
    return lines;
}

}  // namespace

class TestMainWindowLayout : public QObject {
    Q_OBJECT

  private slots:
    void everyTextFitsAtTheSmallestSize_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("en") << Q(kLanguageEnglish);
        QTest::newRow("zh-TW") << Q(kLanguageChineseTraditional);
        QTest::newRow("zh-CN") << Q(kLanguageChineseSimplified);
    }

    void everyTextFitsAtTheSmallestSize() {
        QFETCH(QString, language);
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        CMeterToolDlg& w = bench.Open({language.toStdString()});

        // Every device line with its second value on show.
        for (int line = 0; line < 4; ++line) {
            for (int id :
                 {kDeviceCaptions[line], kMainValues[line], kSecondValues[line], kMainLamps[line],
                  kSecondLamps[line], kFunctionNames[line], kSecondFunctionNames[line],
                  kSecondMarkers[line], kLineRadios[line], kLineRadios[line + 4]})
                Find(w, id)->show();
        }
        for (int id : {kSecondFunctionLabel, kSecondFunctionMarkerA, kSecondFunctionMarkerB,
                       kSecondFunctionCombo})
            Find(w, id)->show();

        // The longest texts: the widest readings either side of zero, the
        // longest function name and device label.
        QStringList values;
        for (double limit : {kOverloadLimit, -kOverloadLimit})
            values << Q(ClassifyReading(std::nextafter(limit, 0.0), "").text);
        QCOMPARE(values[1].size(), 38);
        QStringList functions{"NONE"};
        for (const FunctionEntry& e : g_functionTable) functions << Q(e.label);
        // Device lines show the meters' labels as the selection cuts them.
        QStringList labels{"Multimeter Device -- 4"};
        auto* list = Find<QListWidget>(w, kDeviceList);
        for (int i = 0; i < list->count(); ++i)
            labels << Q(DisplayTextFor(list->item(i)->text().toStdString()));
        for (int line = 0; line < 4; ++line) {
            Find<QLabel>(w, kMainValues[line])->setText(values[1]);
            Find<QLabel>(w, kSecondValues[line])->setText(values[1]);
            Find<QLabel>(w, kFunctionNames[line])->setText("DC Ratio");
            Find<QLabel>(w, kSecondFunctionNames[line])->setText("TCOUPL");
            Find<QLabel>(w, kDeviceCaptions[line])->setText(labels.last());
        }
        Find<QLabel>(w, kXAxisLabel)->setText("2000");

        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QSize smallest = w.minimumSizeHint();
        w.resize(smallest);
        QTRY_COMPARE(w.size(), smallest);
        QCoreApplication::processEvents();
        // The window still fits a small laptop screen with all four lines.
        QVERIFY2(smallest.width() <= 900, qPrintable(QString::number(smallest.width())));
        QVERIFY2(smallest.height() <= 768, qPrintable(QString::number(smallest.height())));

        QStringList cuts = CutTexts(w);
        const QString shots = qEnvironmentVariable("QM_LAYOUT_SHOTS");
        if (!shots.isEmpty())
            w.grab().save(
                QString("%1/main-window-smallest-%2.png").arg(shots, QTest::currentDataTag()));

        for (int line = 0; line < 4; ++line) {
            CheckEach(w, kMainValues[line], values + QStringList{"OVLD", "OPEN"}, cuts);
            CheckEach(w, kSecondValues[line], values, cuts);
            CheckEach(w, kFunctionNames[line], functions, cuts);
            CheckEach(w, kSecondFunctionNames[line], functions, cuts);
            CheckEach(w, kDeviceCaptions[line], labels, cuts);
        }
        QStringList statuses;
        for (const QString& f : functions) statuses << "Function : " + f;
        CheckEach(w, kFunctionStatus, statuses, cuts);
        CheckEach(w, kRangeStatus, RangeLines(), cuts);
        QStringList scales;
        for (const YScaleEntry& e : YScaleTable()) scales << Q(e.label);
        CheckEach(w, kYScaleEdit, scales, cuts);
        // Offsets as the edit shows them back: a reading's size with all its
        // decimals, and a tiny one with twelve digits.
        CheckEach(w, kDataOffsetEdit,
                  {Q(ChartModel::FormatOffset(-123456789.123456)),
                   Q(ChartModel::FormatOffset(-1.23456789012e-7))},
                  cuts);
        QStringList intervals, widths;
        for (std::string_view e : g_readingSpeedEntries) intervals << "Trigger Interval : " + Q(e);
        for (std::string_view e : g_xMaxEntries) widths << Q(e).section(' ', 0, 0);
        CheckEach(w, kTriggerInterval, intervals, cuts);
        CheckEach(w, kXAxisLabel, widths, cuts);
        QVERIFY2(cuts.isEmpty(), qPrintable(cuts.join("\n")));

        // Shrinking is for long readings only; what cannot fit even then is
        // elided visibly (and shown whole in the tooltip), never cut silently.
        auto* value = Find<FittedLabel>(w, kMainValues[0]);
        value->setText("1.500000000000");
        QCOMPARE(value->fittedFont().pixelSize(), value->font().pixelSize());
        value->setText(QString(200, '9'));
        QVERIFY(value->isElided());
    }
};

QTEST_MAIN(TestMainWindowLayout)
#include "tst_mainwindow_layout.moc"
