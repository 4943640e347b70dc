// The main window around discovery: start-up with and without meters, the
// missing language file, language texts, the model limits of each meter,
// the function keys, Refresh, the connection guard, and the menu pages.
#include <QDialogButtonBox>
#include <QListWidget>
#include <QMenuBar>
#include <QRadioButton>
#include <QtTest>

#include "app/CMeterToolApp.h"
#include "app/CShapeButton.h"
#include "app/LanguageTexts.h"
#include "app/LiveChartWidget.h"
#include "app/MainWindowIds.h"
#include "config/FunctionTable.h"
#include "support/ScriptedPrompter.h"
#include "ui/support/MainWindowBench.h"

using namespace qm;
using namespace qm::mainwindow;
using qm::test::MainWindowBench;
using qm::test::ComboEntries;
using qm::test::ListEntries;
using qm::test::ModalWatch;

namespace {

const std::string kSingleTx41 =
    qm::test::MeterSection("USB0::0x1209::0x4101::SN000009::INSTR", "TX41", "SN000009",
                           "identity=Varnet, Model TX41, SN000009, V1.00");

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

  private slots:
    void startUpWithMetersSelectsTheFirst() {
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        CMeterToolDlg& w = bench.Open();
        QVERIFY(bench.prompter.messages.empty());
        QCOMPARE(w.windowTitle(), QString("DA-VIVO"));
        QCOMPARE(w.objectName(), QString("102"));

        auto* list = bench.Control<QListWidget>(kDeviceList);
        QVERIFY(list);
        QCOMPARE(list->count(), 4);  // the other maker's GPIB meter is not listed
        QVERIFY(list->item(0)->text().contains("TX42-USBTMC-SN000001"));
        QVERIFY(list->item(1)->text().contains("MODEL TX41-USBTMC-SN000002"));
        QVERIFY(list->item(3)->text().contains("TX42-GPIB-12"));
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->isEnabled());
        QCOMPARE(list->toolTip(), QString("Varnet, TX42, SN000001, V1.00"));

        QVERIFY(bench.Text(1037).contains("TX42-USBTMC-SN000001"));
        QCOMPARE(bench.Text(kFunctionStatus), QString("Function : DCV"));
        QVERIFY(bench.Text(kRangeStatus).startsWith("Range : "));
        QCOMPARE(bench.Text(1104), QString("DCV"));
        for (int id : {1037, 1044, 901, 1104, 1098})
            QVERIFY2(bench.Shown(id), qPrintable(QString::number(id)));
        for (int id : {1038, 1039, 1040, 902, 1045, 1099, 1105, 905, 1048, 1103, 1219})
            QVERIFY2(!bench.Shown(id), qPrintable(QString::number(id)));
        for (int id : {901, 902, 903, 904}) QCOMPARE(bench.Text(id), QString("0"));

        QCOMPARE(bench.Text(kReadingSpeed), QString("25ms"));
        QCOMPARE(bench.Text(kTriggerInterval), QString("Trigger Interval : 25ms"));
        QCOMPARE(bench.Text(kXMaxCombo), QString("100 readings"));
        QCOMPARE(bench.Text(kXAxisLabel), QString("100"));
        QCOMPARE(bench.Text(kYScaleEdit), QString("1"));
        QCOMPARE(bench.Text(kDataOffsetEdit), QString("0"));
        QVERIFY(bench.Control<QRadioButton>(1098)->isChecked());
        QVERIFY(bench.Control<LiveChartWidget>(kChartArea));

        // Stop is grayed until a run starts.
        QVERIFY(w.action(kCmdToolbarStart)->isEnabled());
        QVERIFY(!w.action(kCmdToolbarStop)->isEnabled());
        QVERIFY(!w.action(kCmdStopReading)->isEnabled());
        QVERIFY(w.action(kCmdStartReading)->isEnabled());

        // The 13 capsule keys.
        for (const FunctionButton& b : g_functionButtons) {
            auto* key = bench.Control<CShapeButton>(b.controlId);
            QVERIFY2(key, qPrintable(QString::number(b.controlId)));
            QCOMPARE(key->text(), QString::fromUtf8(b.caption.data(), b.caption.size()));
            QVERIFY(key->hasShape());
            QCOMPARE(key->shapeKind(), qm::shape::ShapeKind::Capsule);
        }

        // Every command is there with its identifier, labelled in English.
        for (int id : {32775, 32776, 32777, 32778, 32779, 32780, 32781, 32782, 32785, 32786, 32789,
                       32771, 32772, 32784, 16}) {
            QVERIFY2(w.action(id), qPrintable(QString::number(id)));
            QCOMPARE(w.action(id)->data().toInt(), id);
        }
        // The shipped file names the entry after its page.
        QCOMPARE(w.action(kCmdReadingSettings)->text(), QString("Reading Settings"));
        QCOMPARE(w.action(kCmdAbout)->text(), QString("About"));
        QCOMPARE(w.action(kCmdToolbarStart)->toolTip(), QString("START"));
        QCOMPARE(w.action(kCmdToolbarStop)->toolTip(), QString("STOP"));
        QCOMPARE(w.action(kCmdSetDevice)->toolTip(), QString("Set Device"));
        auto* menuBar = w.findChild<QMenuBar*>();
        QVERIFY(menuBar);
        QStringList titles;
        for (QAction* a : menuBar->actions()) titles << a->text();
        QCOMPARE(titles, QStringList({"Settings", "Record", "Operation", "Tool", "About"}));
        QCOMPARE(bench.Text(kYScaleLabel), QString("Y-Scale"));
        QCOMPARE(bench.Text(kShiftGraphLabel), QString("Shift Graph"));
    }

    void startUpWithoutMeters() {
        MainWindowBench bench;
        bench.UseNone();
        CMeterToolDlg& w = bench.Open();
        QVERIFY(bench.prompter.messages.empty());
        auto* list = bench.Control<QListWidget>(kDeviceList);
        QCOMPARE(ListEntries(list), QStringList({"No Device Connected"}));
        QVERIFY(!list->isEnabled());
        QCOMPARE(list->toolTip(), QString("No Device Connected"));
        for (int id : {1037, 1044, 1048, 901, 1104, 1197, 1226, 1227, 1098})
            QVERIFY2(!bench.Shown(id), qPrintable(QString::number(id)));
        QVERIFY(bench.Shown(kSecondFunctionCombo));
        QVERIFY(w.tool().startedEmpty());

        // Start and the function keys explain why nothing happens.
        bench.Trigger(kCmdStartReading);
        QCOMPARE(bench.prompter.messages.size(), size_t(1));
        QCOMPARE(bench.prompter.last().text, std::string("No Device Connected"));
        QCOMPARE(bench.prompter.last().icon, PromptIcon::Warning);
        QVERIFY(bench.prompter.last().caption.empty());
        QVERIFY(!w.readTimer().isActive());
        QVERIFY(!w.action(kCmdStopReading)->isEnabled());

        bench.Control<QPushButton>(1078)->click();
        QCOMPARE(bench.prompter.last().text, std::string("Select Device First"));
        QCOMPARE(bench.prompter.messages.size(), size_t(2));
    }

    void missingLanguageFileIsReportedAndEnglishUsed() {
        MainWindowBench bench(false);
        QVERIFY(bench.UseBuiltin());
        CMeterToolDlg& w = bench.Open({std::string(kLanguageChineseTraditional)});
        QVERIFY(!bench.prompter.messages.empty());
        const PromptMessage& m = bench.prompter.messages.front();
        QCOMPARE(m.text, std::string(kMissingLanguageFileMessage));
        QCOMPARE(m.caption, std::string("Error"));
        QCOMPARE(m.icon, PromptIcon::Error);
        QCOMPARE(w.action(kCmdDeviceSettings)->text(), QString("Device Settings"));
        QCOMPARE(w.action(kCmdReadingSettings)->text(), QString("Reading manager"));
        QCOMPARE(bench.Text(kReadingSpeedLabel), QString("Reading Speed"));
        // Applying the language leaves the lost file lost.
        QVERIFY(!QFile::exists(bench.iniPath()));
    }

    void languageTextsComeFromTheFile() {
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        CMeterToolDlg& w = bench.Open({std::string(kLanguageChineseTraditional)});
        QVERIFY(bench.prompter.messages.empty());
        LanguageTexts reference(bench.iniPath().toStdString());
        reference.SetLanguage(kLanguageChineseTraditional);
        auto text = [&](const char* key, const char* english) {
            const QString t = QString::fromStdString(reference.GetText(key, english));
            // The section really holds a translation, so the check means something.
            if (t == QString(english)) qWarning("key %s is not translated", key);
            return t;
        };
        QCOMPARE(w.action(kCmdReadingSettings)->text(), text("02", "Reading manager"));
        QCOMPARE(w.action(kCmdCommandControl)->text(), text("31", "Command Control"));
        QCOMPARE(w.action(kCmdToolbarStart)->toolTip(), text("61", "START"));
        QCOMPARE(bench.Text(kYScaleLabel), text("51", "Y-Scale"));
        QCOMPARE(bench.Text(kXMaxLabel), text("54", "X-Max"));
        QVERIFY(bench.Text(kYScaleLabel) != QString("Y-Scale"));
        QCOMPARE(w.findChild<QMenuBar*>()->actions().first()->text(), text("00", "Settings"));

        // The language in use is recorded in the file.
        QFile ini(bench.iniPath());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(ini.readAll()).contains("LanguageID=Chinese(Traditional)"));

        // Applying English again relabels everything back.
        w.ApplyLanguage(std::string(kLanguageEnglish));
        QCOMPARE(w.action(kCmdReadingSettings)->text(), QString("Reading Settings"));
        QCOMPARE(bench.Text(kYScaleLabel), QString("Y-Scale"));
    }

    void eachModelGetsItsControls() {
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        bench.Open();
        auto* list = bench.Control<QListWidget>(kDeviceList);
        auto* second = bench.Control<QComboBox>(kSecondFunctionCombo);

        list->setCurrentRow(1);  // single-function model
        QVERIFY(!bench.Enabled(1093));
        QVERIFY(!bench.Enabled(1092));
        for (int id : {1197, 1226, 1227, 1019})
            QVERIFY2(!bench.Shown(id), qPrintable(QString::number(id)));
        QVERIFY(bench.Text(1037).startsWith("TX41-USBTMC-SN000002"));
        QCOMPARE(list->toolTip(), QString("Varnet, Model TX41, SN000002, V1.00"));
        QCOMPARE(bench.Text(kFunctionStatus), QString("Function : DCV"));

        list->setCurrentRow(0);  // dual-function model
        QVERIFY(bench.Enabled(1093));
        QVERIFY(bench.Enabled(1092));
        for (int id : {1197, 1226, 1227, 1019})
            QVERIFY2(bench.Shown(id), qPrintable(QString::number(id)));
        QVERIFY(second->isEnabled());
        QCOMPARE(ComboEntries(second),
                 QStringList({"DCI", "ACV", "FREQ", "PERIOD", "TCOUPL", "NONE"}));
        QCOMPARE(second->currentText(), QString("NONE"));

        list->setCurrentRow(2);  // QMTX42: no thermocouple as second function
        QVERIFY(bench.Enabled(1093));
        QCOMPARE(ComboEntries(second), QStringList({"DCI", "ACV", "FREQ", "PERIOD", "NONE"}));

        // Back on the single-function model the capacitance key stays off
        // even after a key press refreshed everything else.
        list->setCurrentRow(1);
        bench.Control<QPushButton>(1078)->click();
        QVERIFY(!bench.Enabled(1093));
        QVERIFY(!bench.Shown(1019));
    }

    void functionKeysSendTheirCommands() {
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        bench.Open();
        for (const FunctionButton& b : g_functionButtons) {
            const QString name = QString::fromUtf8(b.caption.data(), b.caption.size());
            bench.Control<QLabel>(901)->setText("stale");
            bench.Control<QPushButton>(b.controlId)->click();
            QVERIFY2(bench.MeterReceived(0, std::string(b.command)), qPrintable(name));
            const auto& row = g_functionTable[static_cast<std::size_t>(b.row)];
            QCOMPARE(bench.Text(kFunctionStatus),
                     "Function : " + QString::fromUtf8(row.label.data(), row.label.size()));
            const bool noRange = b.row == kRowContinuity || b.row == kRowDiode;
            QCOMPARE(bench.Text(kRangeStatus).isEmpty(), noRange);
            QCOMPARE(bench.Text(901), QString("0"));
            QVERIFY(bench.prompter.messages.empty());
        }
        // The auto-range keys show auto range; TEMP names its sensor type.
        bench.Control<QPushButton>(1079)->click();
        QCOMPARE(bench.Text(kRangeStatus), QString("Range : AUTO"));
        bench.Control<QPushButton>(1083)->click();
        QVERIFY(bench.Text(kRangeStatus).startsWith("Type : "));
    }

    void refreshFindsTheMetersAgain() {
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        CMeterToolDlg& w = bench.Open();
        auto* list = bench.Control<QListWidget>(kDeviceList);
        list->setCurrentRow(2);

        QVERIFY(bench.UseTable(kSingleTx41));
        bench.Control<QLabel>(901)->setText("7");
        bench.Trigger(kCmdRefresh);
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->isEnabled());
        QVERIFY(bench.Text(1037).startsWith("TX41-USBTMC-SN000009"));
        QVERIFY(!bench.Enabled(1093));
        QCOMPARE(bench.Text(901), QString("0"));
        QVERIFY(bench.Control<QRadioButton>(1098)->isChecked());
        QVERIFY(bench.MeterReceived(0, "*IDN?"));

        bench.UseNone();
        bench.Trigger(kCmdRefresh);
        QCOMPARE(ListEntries(list), QStringList({"No Device Connected"}));
        QVERIFY(!list->isEnabled());
        QVERIFY(!bench.Shown(901));
        QVERIFY(!bench.Shown(1037));
        QVERIFY(bench.Text(kFunctionStatus).isEmpty());
        QVERIFY(w.tool().startedEmpty());
        QVERIFY(bench.prompter.messages.empty());
    }

    void guardedCommandsAskForRefreshAfterAnEmptyStart() {
        MainWindowBench bench;
        bench.UseNone();
        CMeterToolDlg& w = bench.Open();
        QVERIFY(bench.UseBuiltin());  // meters appear after the empty start

        for (int id : {kCmdCommandControl, kCmdMultipleReadings, kCmdReadingSettings,
                       kCmdDeviceSettings, kCmdSetDevice}) {
            ModalWatch watch;
            bench.prompter.messages.clear();
            bench.Trigger(id);
            QVERIFY2(!watch.shown(), qPrintable(QString::number(id)));
            QCOMPARE(bench.prompter.messages.size(), size_t(1));
            QCOMPARE(bench.prompter.last().text,
                     std::string("Connection status has changed.Please select \"Refresh\"."));
            QVERIFY(bench.prompter.last().caption.empty());
            QCOMPARE(bench.prompter.last().icon, PromptIcon::Warning);
        }
        // Pages without instruments open all the same.
        {
            ModalWatch watch;
            bench.Trigger(kCmdViewRecord);
            QVERIFY(watch.shown());
        }
        // The About box runs Refresh when no meter is known: the guard is satisfied.
        {
            ModalWatch watch;
            bench.Trigger(kCmdAbout);
            QVERIFY(watch.shown());
        }
        QCOMPARE(bench.Control<QListWidget>(kDeviceList)->count(), 4);
        QVERIFY(!w.tool().startedEmpty());
        bench.prompter.messages.clear();
        ModalWatch console;
        bench.Trigger(kCmdCommandControl);
        QVERIFY(console.shown());
        QCOMPARE(console.title(), QString("Command Control"));
        QVERIFY(bench.prompter.messages.empty());
    }

    void menuOpensEveryPage() {
        qm::test::ScratchWorkingFolder work;
        QVERIFY(work.ok());
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        CMeterToolDlg& w = bench.Open();
        const std::vector<std::pair<int, QString>> pages = {
            {kCmdDeviceSettings, "Device Settings"},    {kCmdSetDevice, "Device Settings"},
            {kCmdReadingSettings, "Reading Settings"},  {kCmdViewRecord, "View Record"},
            {kCmdChartRecord, "Chart Record"},          {kCmdMultipleReadings, "Multiple Readings"},
            {kCmdCommandControl, "Command Control"},    {kCmdAbout, "About Vidazuvazu Zize"},
            {kCmdSystemAbout, "About Vidazuvazu Zize"},
        };
        for (const auto& [id, title] : pages) {
            QString exitText;
            ModalWatch watch([&exitText](QDialog* page) {
                // The closing button sits in the page's button row.
                for (auto* box : page->findChildren<QDialogButtonBox*>())
                    for (auto* b : box->buttons())
                        if (!b->text().isEmpty()) exitText = b->text();
            });
            bench.Trigger(id);
            QVERIFY2(watch.shown(), qPrintable(QString::number(id)));
            QCOMPARE(watch.title(), title);
            QVERIFY(exitText == "Exit" || exitText == "OK");
        }
        QVERIFY(bench.prompter.messages.empty());
        // After Device Settings the selection is read again: the device line
        // still names the selected meter.
        QVERIFY(bench.Text(1037).contains("TX42-USBTMC-SN000001"));

        // Exit closes the window and every session.
        w.show();
        const ViSession session = w.tool().sessions().slotSession(0);
        QVERIFY(visa::simEndpointOf(session) != nullptr);
        bench.Trigger(kCmdExit);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.tool().sessions().slotCount(), 0);
        QVERIFY(visa::simEndpointOf(session) == nullptr);
    }

    void commandLineOptions() {
        using Options = CMeterToolApp::Options;
        Options o = CMeterToolApp::ParseOptions(
            {"--simulate", "--language", "zh_TW", "--screenshot", "/tmp/x.png"});
        QVERIFY(o.error.empty());
        QVERIFY(o.simulate);
        QCOMPARE(o.language, std::string(kLanguageChineseTraditional));
        QCOMPARE(o.screenshot, std::string("/tmp/x.png"));

        o = CMeterToolApp::ParseOptions({"--resources=table.ini", "--language=Chinese(Simplify)",
                                         "--screenshot-after-ticks", "40", "--screenshot=a.png"});
        QVERIFY(o.error.empty());
        QCOMPARE(o.resourcesFile, std::string("table.ini"));
        QCOMPARE(o.language, std::string(kLanguageChineseSimplified));
        QCOMPARE(o.screenshotTicks, 40);
        QCOMPARE(CMeterToolApp::ParseOptions({"--language", "en"}).language,
                 std::string(kLanguageEnglish));
        QCOMPARE(CMeterToolApp::ParseOptions({"--language", "english(u.s)"}).language,
                 std::string(kLanguageEnglish));

        for (const std::vector<std::string>& bad :
             std::vector<std::vector<std::string>>{{"--language", "Klingon"},
                                                   {"--language"},
                                                   {"--resources"},
                                                   {"--screenshot", ""},
                                                   {"--screenshot-after-ticks", "-3"},
                                                   {"--simulate", "--resources", "t.ini"},
                                                   {"--bogus"}}) {
            QVERIFY2(!CMeterToolApp::ParseOptions(bad).error.empty(), bad.front().c_str());
        }
        QVERIFY(CMeterToolApp::ParseOptions({"--help"}).help);
        QVERIFY(CMeterToolApp::ParseOptions({"--version"}).version);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
