// The Reading Settings page and its exchange with the main window: every
// text fits at the page's smallest size in each language; OK hands mode,
// meters, saving and colours to the window, which then reads four meters
// on four dual lines; Cancel leaves everything as it was.
// With $QM_SCREENSHOT_DIR set, pictures of the page and of the window.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/LanguageTexts.h"
#include "app/MainWindowIds.h"
#include "config/ModelCapabilities.h"
#include "records/CReadingSettingsDlg.h"
#include "records/RecordPagesSupport.h"
#include "records/RecordTestSupport.h"
#include "ui/support/MainWindowBench.h"
#include "ui/support/PageShots.h"
#include "ui/support/WindowTextFit.h"

using namespace qm;
using namespace qm::mainwindow;
using qm::test::MainWindowBench;
using qm::test::ModalWatch;
using Page = CReadingSettingsDlg;

namespace {

template <typename W = QWidget>
W* Find(QWidget* page, int id) {
    W* w = page->findChild<W*>(QString::number(id));
    if (w == nullptr) qFatal("no control %d", id);
    return w;
}

void Click(QWidget* page, int id) {
    QTest::mouseClick(Find<QAbstractButton>(page, id), Qt::LeftButton);
}

QColor Colour(QWidget* w) {
    return w->palette().color(QPalette::Window);
}

// Four dual-function meters, each measuring a main and a second value of its
// own: -134.25, -234.25, ... and 0.5, 0.25, ... (exact in binary).
std::string FourDualMeters() {
    std::string table;
    for (int i = 1; i <= 4; ++i) {
        const std::string n = std::to_string(i);
        table += test::MeterSection("USB0::0x1209::0x4101::SN00000" + n + "::INSTR",
                                    i == 3 ? "QMTX42" : "TX42", "SN00000" + n,
                                    "value=-" + n + "34.25\nvalue2=" + std::to_string(1.0 / (1 << i)) +
                                        "\nnoise=0");
    }
    return table;
}

}  // namespace

class TestReadingSettings : public QObject {
    Q_OBJECT

  private:
    test::TempDir m_dir;
    test::WorkingDirectory m_cwd{m_dir.path()};

  private slots:
    void init() {
        // The page changes into the database folder: each test starts afresh.
        std::filesystem::current_path(m_dir.path());
        std::filesystem::remove_all(m_dir.path() + "/DB");
    }

    void everyTextFitsAtTheSmallestSize_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("tag");
        QTest::newRow("en") << QString::fromUtf8(kLanguageEnglish.data(), kLanguageEnglish.size()) << QString("en");
        QTest::newRow("zh-TW") << QString::fromUtf8(kLanguageChineseTraditional.data(), kLanguageChineseTraditional.size()) << QString("zh-tw");
        QTest::newRow("zh-CN") << QString::fromUtf8(kLanguageChineseSimplified.data(), kLanguageChineseSimplified.size()) << QString("zh-cn");
    }

    void everyTextFitsAtTheSmallestSize() {
        QFETCH(QString, language);
        QFETCH(QString, tag);
        // The longest record label: a dated record 10.
        std::filesystem::create_directory(m_dir.path() + "/DB");
        QVERIFY(test::MakeRecordFile(RecordFilePath(m_dir.path() + "/DB", 10, RecordFormat::Current),
                                     RecordFormat::Current, {{1.0}}));
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        CMeterToolDlg& w = bench.Open({language.toStdString()});
        Page* page = w.readingSettingsPage();
        ReadingSettingsContext context = w.tool().ReadingSettingsContextFor();
        context.dualMeasure = true;
        page->Open(context);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page));
        QCOMPARE(page->windowTitle().isEmpty(), false);
        QVERIFY(!Find(page, Page::kDualMeasure)->isEnabled());

        auto check = [&](const QString& name) {
            QCoreApplication::processEvents();
            page->resize(page->minimumSizeHint());
            QCoreApplication::processEvents();
            if (test::ShotsWanted()) test::SaveSmallestShot(page, "reading-settings-" + name + "-" + tag);
            const QStringList cuts = test::WindowCutTexts(*page);
            QVERIFY2(cuts.isEmpty(), qPrintable(name + ": " + cuts.join("\n")));
        };
        // Single-device mode with saving into the dated record.
        Click(page, Page::kSaveSingle);
        auto* record = Find<QComboBox>(page, Page::kRecordSingle);
        QVERIFY(record->isEnabled());
        QCOMPARE(record->currentIndex(), -1);  // the prompt
        record->setCurrentIndex(9);
        emit record->activated(9);
        QVERIFY(Find(page, Page::kChangeSecondColour)->isVisibleTo(page));
        check("single");

        // Multi-device mode with a dual-function meter shown.
        Click(page, Page::kMultiDevice);
        QVERIFY(!Find(page, Page::kOk)->isEnabled());
        auto* list = Find<QListWidget>(page, Page::kInstrumentList);
        for (int row : {0, 1, 3}) list->item(row)->setSelected(true);
        Click(page, Page::kSelect);
        QVERIFY(Find(page, Page::kOk)->isEnabled());
        // The first meter read saves where the single meter did.
        QVERIFY(Find<QCheckBox>(page, Page::kSaveInstrument)->isChecked());
        QCOMPARE(Find<QComboBox>(page, Page::kRecordInstrument)->currentIndex(), 9);
        check("multi");
        page->reject();
    }

    void okHandsTheModeToTheWindowWhichReadsFourDualLines() {
        MainWindowBench bench;
        QVERIFY(bench.UseTable(FourDualMeters()));
        CMeterToolDlg& w = bench.Open();
        // A second value on every meter.
        for (int slot = 0; slot < 4; ++slot)
            w.tool().sessions().Query(slot, "Function2 \"VOLT:AC\"\n");
        w.tool().RefreshFunctionDisplay();  // the dual-measure flag the page shows
        bench.prompter.colours = {Rgb{200, 100, 0}};
        ModalWatch watch([&](QDialog* page) {
            Click(page, Page::kMultiDevice);
            auto* list = Find<QListWidget>(page, Page::kInstrumentList);
            for (int row : {3, 1, 0, 2}) list->item(row)->setSelected(true);
            Click(page, Page::kSelect);
            Click(page, Page::kNextInstrument);
            Click(page, Page::kChangeInstrumentSecondColour);
            Click(page, Page::kSaveInstrument);
            auto* record = Find<QComboBox>(page, Page::kRecordInstrument);
            emit record->activated(6);
            Click(page, Page::kOk);
        });
        bench.Trigger(kCmdReadingSettings);
        QVERIFY(watch.shown());

        // Chosen in list order, each on its line with its own caption.
        QVERIFY(w.tool().function().multiMode());
        QCOMPARE(w.tool().loop().chosenSlots(), (std::vector<int>{0, 1, 2, 3}));
        for (int line = 0; line < 4; ++line) {
            QVERIFY(bench.Shown(kDeviceCaptions[line]));
            QCOMPARE(bench.Text(kDeviceCaptions[line]).toStdString(),
                     DisplayTextFor(w.tool().LabelOf(line)));
        }
        auto* deviceList = bench.Control<QListWidget>(kDeviceList);
        QCOMPARE(deviceList->count(), 1);
        QCOMPARE(deviceList->item(0)->text(), QString("MultiDevice mode"));
        QVERIFY(!deviceList->isEnabled());
        QCOMPARE(Colour(bench.Control(kSecondLamps[1])), QColor(200, 100, 0));

        // Start: every meter read once per tick, the second into record 7.
        bench.Trigger(kCmdStartReading);
        QVERIFY(w.tool().loop().reading());
        for (int i = 0; i < 3; ++i) w.OnTimer();
        for (int line = 0; line < 4; ++line) {
            QCOMPARE(bench.Text(kMainValues[line]),
                     "-" + QString::number(line + 1) + "34.250000000000000");
            QVERIFY(bench.Shown(kSecondValues[line]));
            QCOMPARE(bench.Text(kSecondValues[line]),
                     QString::number(1.0 / (1 << (line + 1)), 'f', 12));
            QCOMPARE(bench.Text(kSecondFunctionNames[line]), QString("ACV"));
        }
        QCOMPARE(test::StoredValues(m_dir.path() + "/DB/Record 7.mdb").size(), 3u);

        // The smallest window with four dual lines still shows every text.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(w.minimumSizeHint());
        QCoreApplication::processEvents();
        if (test::ShotsWanted()) test::SaveSmallestShot(&w, "main-window-multi-device");
        const QStringList cuts = test::WindowCutTexts(w);
        QVERIFY2(cuts.isEmpty(), qPrintable(cuts.join("\n")));
        bench.Trigger(kCmdStopReading);
        QVERIFY(!w.tool().loop().reading());
        QVERIFY(!deviceList->isEnabled());  // still reading several meters

        // Opened, changed and cancelled: nothing changes.
        const ReadingSettingsContext before = w.tool().ReadingSettingsContextFor();
        bench.prompter.colours = {Rgb{1, 2, 3}};
        ModalWatch cancelled([&](QDialog* page) {
            QVERIFY(Find(page, Page::kOk)->isEnabled());  // the window's choice stands
            Click(page, Page::kChangeInstrumentColour);
            Click(page, Page::kSaveInstrument);
            Click(page, Page::kSingleDevice);
        });
        bench.Trigger(kCmdReadingSettings);
        QVERIFY(cancelled.shown());
        const ReadingSettingsContext after = w.tool().ReadingSettingsContextFor();
        QVERIFY(after.multiMode);
        QCOMPARE(after.chosen, before.chosen);
        QVERIFY(after.colours == before.colours);
        QCOMPARE(w.readingSettingsPage()->values().saveFlag[0], false);
        QCOMPARE(deviceList->item(0)->text(), QString("MultiDevice mode"));

        // Back to one meter: the list returns with the meter selected before.
        ModalWatch single([&](QDialog* page) {
            Click(page, Page::kSingleDevice);
            Click(page, Page::kOk);
        });
        bench.Trigger(kCmdReadingSettings);
        QVERIFY(!w.tool().function().multiMode());
        QCOMPARE(deviceList->count(), 4);
        QVERIFY(deviceList->isEnabled());
        QCOMPARE(deviceList->currentRow(), 0);
        for (int line = 1; line < 4; ++line) QVERIFY(!bench.Shown(kDeviceCaptions[line]));
    }
};

QTEST_MAIN(TestReadingSettings)
#include "tst_readingsettings.moc"
