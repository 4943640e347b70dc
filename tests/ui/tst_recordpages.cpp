// The three record pages as a user meets them: opened from the main window
// over simulated meters, in a scratch working folder with real record
// files, driven through their controls by number. Every text of every page
// must fit its control at the page's smallest size, in each language; with
// QM_SCREENSHOT_DIR set, each page is also saved as a picture there.
#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTableView>
#include <QtTest>
#include <filesystem>

#include "records/CMultipleReadingsDlg.h"
#include "records/CRecordChartDlg.h"
#include "records/CRecordViewDlg.h"
#include "records/RecordPlotWidget.h"
#include "records/RecordTestSupport.h"
#include "records/RecordPagesSupport.h"
#include "records/RecordStore.h"
#include "support/ScriptedPrompter.h"
#include "ui/support/MainWindowBench.h"

using namespace qm;
using qm::test::MainWindowBench;

namespace {

template <typename W = QWidget>
W* Find(QWidget* page, int id) {
    return page->findChild<W*>(QString::number(id));
}

QString Text(QWidget* page, int id) {
    QWidget* w = Find(page, id);
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    return {};
}

// Runs what the page posted to itself, pass by pass, until `done` or a bound.
template <typename F>
bool Drive(F done) {
    for (int i = 0; i < 10000 && !done(); ++i) QCoreApplication::processEvents();
    return done();
}

// Every label and button text fits its control as laid out now.
QStringList TextsThatDoNotFit(QWidget* page) {
    QStringList bad;
    for (QLabel* l : page->findChildren<QLabel*>()) {
        if (!l->isVisible() || l->text().isEmpty()) continue;
        if (l->fontMetrics().horizontalAdvance(l->text()) > l->contentsRect().width())
            bad << l->objectName() + ":" + l->text();
    }
    for (QAbstractButton* b : page->findChildren<QAbstractButton*>()) {
        if (!b->isVisible() || b->text().isEmpty()) continue;
        if (b->sizeHint().width() > b->width()) bad << b->objectName() + ":" + b->text();
    }
    for (QComboBox* c : page->findChildren<QComboBox*>()) {
        if (!c->isVisible() || c->currentText().isEmpty()) continue;
        // The text area of a combo box leaves room for its frame and arrow.
        if (c->fontMetrics().horizontalAdvance(c->currentText()) + 24 > c->width())
            bad << c->objectName() + ":" + c->currentText();
    }
    return bad;
}

}  // namespace

class TestRecordPages : public QObject {
    Q_OBJECT

  private:
    std::string Db() const { return m_dir.path() + "/DB"; }
    std::string Path(int n, RecordFormat f = RecordFormat::Current) const {
        return RecordFilePath(Db(), n, f);
    }
    void MakeRecords() {
        // The pages change into the database folder: start each test afresh.
        std::filesystem::current_path(m_dir.path());
        std::filesystem::remove_all(Db());
        std::filesystem::create_directories(Db());
        QVERIFY(test::MakeRecordFile(
            Path(1), RecordFormat::Current,
            test::Readings(1000, [](long long i) { return 0.01 * static_cast<double>(i % 200) - 1.0; })));
        QVERIFY(test::MakeRecordFile(Path(1, RecordFormat::Earlier), RecordFormat::Earlier,
                                     {{2.5}, {9.9e37}}, {2019, 1, 2, 3, 4, 5, 0}));
    }

    test::TempDir m_dir;
    test::WorkingDirectory m_cwd{m_dir.path()};

  private slots:
    void recordViewShowsSearchesExportsAndDeletes() {
        MakeRecords();
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        bench.Open();
        CRecordViewDlg* page = bench.window->recordViewPage();
        page->show();
        QCOMPARE(page->windowTitle(), QString("View Record"));
        QCOMPARE(Text(page, CRecordViewDlg::kQuantityLabel), QString("Data Quantity："));
        QCOMPARE(Text(page, CRecordViewDlg::kUpperLabel), QString("LO Limiter"));
        QCOMPARE(Text(page, CRecordViewDlg::kQuantity), QString("0"));
        QVERIFY(Find(page, CRecordViewDlg::kMaximum2)->isHidden());
        QVERIFY(Find(page, CRecordViewDlg::kPageSelector)->isHidden());
        QVERIFY(!Find(page, CRecordViewDlg::kDelete)->isEnabled());
        QVERIFY(!Find(page, CRecordViewDlg::kUpperLimit)->isEnabled());
        auto* list = Find<QListWidget>(page, CRecordViewDlg::kRecordList);
        QCOMPARE(list->count(), 2);  // both files of record 1

        list->setCurrentRow(0);
        QCOMPARE(Text(page, CRecordViewDlg::kQuantity), QString("1000"));
        QCOMPARE(Text(page, CRecordViewDlg::kMaximum), QString("0.990000000000"));
        QCOMPARE(page->grid().rowCount(), 1000);
        QCOMPARE(page->grid().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Value"));
        QVERIFY(Find(page, CRecordViewDlg::kCsvOutput)->isEnabled());

        auto* upper = Find<QLineEdit>(page, CRecordViewDlg::kUpperLimit);
        auto* lower = Find<QLineEdit>(page, CRecordViewDlg::kLowerLimit);
        upper->setFocus();
        QTest::keyClicks(upper, "0.5x");
        QCOMPARE(bench.prompter.last().text, std::string("The value is error."));
        QCOMPARE(upper->text(), QString("0.500000"));
        QTest::keyClick(upper, Qt::Key_Return);
        QCOMPARE(upper->text(), QString("0.500000000000"));
        QVERIFY(page->isVisible());  // Enter never closes the page
        QTest::keyClicks(lower, "0.45");
        QTest::keyClick(lower, Qt::Key_Return);  // searches
        QCOMPARE(Text(page, CRecordViewDlg::kMatch), QString("25"));
        QCOMPARE(page->grid().rowCount(), 25);
        QCOMPARE(Text(page, CRecordViewDlg::kQuantity), QString("1000"));

        bench.prompter.saveFiles.push_back(m_dir / "export");
        QTest::mouseClick(Find<QPushButton>(page, CRecordViewDlg::kCsvOutput), Qt::LeftButton);
        QVERIFY(Drive([&] { return !page->exporting(); }));
        QCOMPARE(bench.prompter.last().text, std::string("Output to CSV completed."));
        QVERIFY(test::Exists(m_dir / "export.csv"));

        list->setCurrentRow(1);  // the earlier-format file, on its own
        QCOMPARE(Text(page, CRecordViewDlg::kQuantity), QString("2"));
        QCOMPARE(Text(page, CRecordViewDlg::kMaximum), QString("OVLD"));

        bench.prompter.answers.push_back(PromptAnswer::Yes);
        QTest::mouseClick(Find<QPushButton>(page, CRecordViewDlg::kDelete), Qt::LeftButton);
        QCOMPARE(list->count(), 0);
        QVERIFY(!test::Exists(Path(1)));
        QVERIFY(!test::Exists(Path(1, RecordFormat::Earlier)));
        QVERIFY(!Find(page, CRecordViewDlg::kDelete)->isEnabled());
        page->hide();
    }

    void multipleReadingsStopsAtOnceAndFinishesByCount() {
        MakeRecords();
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        bench.Open();
        CMultipleReadingsDlg* page = bench.window->multipleReadingsPage();
        page->setStepsOnWorker(false);
        page->show();
        QCOMPARE(page->windowTitle(), QString("Multiple Readings"));
        QCOMPARE(Find<QListWidget>(page, CMultipleReadingsDlg::kInstrumentList)->count(), 4);
        QCOMPARE(Text(page, CMultipleReadingsDlg::kCount), QString("1"));
        auto* records = Find<QComboBox>(page, CMultipleReadingsDlg::kRecordCombo);
        QCOMPARE(records->count(), 10);
        QCOMPARE(records->itemText(9), QString("Record 10"));
        QVERIFY(!Find(page, CMultipleReadingsDlg::kStopReading)->isEnabled());

        auto* count = Find<QLineEdit>(page, CMultipleReadingsDlg::kCount);
        count->clear();
        QTest::keyClicks(count, "60000");
        QCOMPARE(bench.prompter.last().text, std::string("Please enter an integer between 1 and 50000."));
        count->setText("1000");
        records->setCurrentIndex(2);
        QTest::mouseClick(Find<QPushButton>(page, CMultipleReadingsDlg::kStartReading), Qt::LeftButton);
        QVERIFY(page->running());
        QVERIFY(!Find(page, CMultipleReadingsDlg::kExit)->isEnabled());
        QVERIFY(!records->isEnabled());
        for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
        QTest::mouseClick(Find<QPushButton>(page, CMultipleReadingsDlg::kStopReading), Qt::LeftButton);
        QVERIFY(Drive([&] { return !page->running(); }));
        const long stored = page->burst().stored();
        QVERIFY(stored > 0 && stored < 1000);
        QCOMPARE(records->currentIndex(), -1);  // no selection after Stop
        QVERIFY(Find(page, CMultipleReadingsDlg::kStartReading)->isEnabled());
        QVERIFY(Find(page, CMultipleReadingsDlg::kExit)->isEnabled());

        records->setCurrentIndex(2);
        count->setText("5");
        QTest::mouseClick(Find<QPushButton>(page, CMultipleReadingsDlg::kStartReading), Qt::LeftButton);
        QVERIFY(Drive([&] { return !page->running(); }));
        QCOMPARE(page->burst().stored(), 5L);
        QCOMPARE(records->currentIndex(), 2);
        QVERIFY(records->currentText().startsWith("Record 3            ( "));
        QCOMPARE(Find<QProgressBar>(page, CMultipleReadingsDlg::kProgress)->value(), 5);
        page->hide();
    }

    void recordChartDrawsAndReadsBack() {
        MakeRecords();
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        bench.Open();
        CRecordChartDlg* page = bench.window->recordChartPage();
        page->show();
        QCOMPARE(page->windowTitle(), QString("Chart Record"));
        QCOMPARE(Text(page, CRecordChartDlg::kDraw2nd), QString("2NDDraw"));
        auto* records = Find<QComboBox>(page, CRecordChartDlg::kRecordCombo);
        QCOMPARE(records->count(), 1);  // listed once, as its current-format file
        QCOMPARE(records->placeholderText(), QString("Please select a record."));
        QCOMPARE(Find<QComboBox>(page, CRecordChartDlg::kResolution)->currentText(), QString("1"));
        QVERIFY(!Find(page, CRecordChartDlg::kDraw)->isEnabled());

        records->setCurrentIndex(0);
        page->OnRecordSelect(0);
        QCOMPARE(Text(page, CRecordChartDlg::kQuantity), QString("1000"));
        const QImage before = page->plot()->picture().toImage();
        QTest::mouseClick(Find<QPushButton>(page, CRecordChartDlg::kDraw), Qt::LeftButton);
        QVERIFY(Drive([&] { return !page->drawing(); }));
        QVERIFY(page->drawn());
        QVERIFY(page->plot()->picture().toImage() != before);
        // The first reading (-1) lies where the chart puts it on the plot as
        // it is now, whatever size the plot had when the page opened.
        const QImage picture = page->plot()->picture().toImage();
        const qm::PlotGeometry plot = page->plot()->geometryInPixels();
        QCOMPARE(picture.size(), QSize(plot.width, plot.height));
        const int expectedY = plot.PixelY(qm::ChartY(-1.0, 1.0));
        bool onLine = false;
        for (int y = expectedY - 1; y <= expectedY + 1; ++y)
            onLine = onLine || picture.pixelColor(0, y) == QColor(0, 255, 255);
        QVERIFY2(onLine, qPrintable(QString::number(expectedY)));
        QVERIFY(Find(page, CRecordChartDlg::kProgress)->isHidden());
        auto* slider = Find<QSlider>(page, CRecordChartDlg::kSlider);
        QCOMPARE(slider->maximum(), 999);
        slider->setValue(10);
        QCOMPARE(Text(page, CRecordChartDlg::kNumberText), QString("11"));
        QCOMPARE(Text(page, CRecordChartDlg::kValueText), QString("-0.900000000000000"));
        QCOMPARE(Text(page, CRecordChartDlg::kDateText), QString("24 / 05 / 06 -- 07 : 08 : 09"));

        Find<QRadioButton>(page, CRecordChartDlg::kRangeReadings)->click();
        Find<QLineEdit>(page, CRecordChartDlg::kFrom)->setText("0");
        Find<QLineEdit>(page, CRecordChartDlg::kTo)->setText("10");
        QVERIFY(Find<QRadioButton>(page, CRecordChartDlg::kRangeReadings)->isChecked());
        QVERIFY(Find(page, CRecordChartDlg::kDraw)->isEnabled());
        QTest::mouseClick(Find<QPushButton>(page, CRecordChartDlg::kDraw), Qt::LeftButton);
        QVERIFY(!bench.prompter.messages.empty());
        QCOMPARE(bench.prompter.last().text, std::string("Input Data Error! Please re-enter."));
        QCOMPARE(bench.prompter.last().caption, std::string("ERROR"));
        QTest::mouseClick(Find<QPushButton>(page, CRecordChartDlg::kClear), Qt::LeftButton);
        QVERIFY(!page->drawn());
        page->hide();
    }

    void everyTextFitsInEachLanguage() {
        MakeRecords();
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        bench.Open();
        const QString shots = qEnvironmentVariable("QM_SCREENSHOT_DIR");
        const char* languages[] = {"English(U.S)", "Chinese(Traditional)", "Chinese(Simplify)"};
        const char* tags[] = {"en", "zh-hant", "zh-hans"};
        for (int l = 0; l < 3; ++l) {
            bench.window->ApplyLanguage(languages[l]);
            std::vector<std::pair<const char*, CPageFrame*>> pages = {
                {"multiple-readings", bench.window->multipleReadingsPage()},
                {"record-view", bench.window->recordViewPage()},
                {"record-chart", bench.window->recordChartPage()}};
            for (auto& [name, page] : pages) {
                page->show();
                if (auto* view = qobject_cast<CRecordViewDlg*>(page)) {
                    Find<QListWidget>(view, CRecordViewDlg::kRecordList)->setCurrentRow(0);
                }
                if (auto* chart = qobject_cast<CRecordChartDlg*>(page)) {
                    Find<QComboBox>(chart, CRecordChartDlg::kRecordCombo)->setCurrentIndex(0);
                    chart->OnRecordSelect(0);
                    chart->OnDraw();
                    QVERIFY(Drive([&] { return !chart->drawing(); }));
                }
                QCoreApplication::processEvents();  // the layout takes in the new texts
                page->resize(page->minimumSizeHint());
                QCoreApplication::processEvents();
                if (auto* chart = qobject_cast<CRecordChartDlg*>(page)) {
                    Find<QSlider>(chart, CRecordChartDlg::kSlider)->setValue(150);
                    QCoreApplication::processEvents();
                    // The readout's new texts do not move the page: the plot keeps its
                    // size, and with it the cursor marker.
                    QVERIFY2(chart->plot()->hasMarker(), languages[l]);
                }
                if (!shots.isEmpty())
                    page->grab().save(QString("%1/%2-%3.png").arg(shots, name, tags[l]));
                const QStringList bad = TextsThatDoNotFit(page);
                QVERIFY2(bad.isEmpty(), qPrintable(QString(languages[l]) + " " + name + ": " +
                                                   bad.join(", ")));
                page->hide();
            }
        }
    }
};

QTEST_MAIN(TestRecordPages)
#include "tst_recordpages.moc"
