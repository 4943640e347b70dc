// The host's forms driving the link engine on a recording spreadsheet:
// Connect with two simulated meters, File Access, Logging Charts, START,
// PAUSE and STOP, and the toolbar's macro names.
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>

#include "link/host/CLinkHost.h"
#include "link/host/HostSocket.h"
#include "listctl/DMMListQM.h"
#include "tests/support/FindChild.h"
#include "tests/addin/LinkHostBench.h"

using namespace qm;

namespace {

using qm::test::Child;

void Click(QWidget& form, const char* name) { QTest::mouseClick(Child<QPushButton>(form, name), Qt::LeftButton); }

}  // namespace

class TestLinkHost : public QObject {
    Q_OBJECT
    using Bench = test::LinkHostBench;

  private slots:
    void everyToolbarMacroReachesACommand() {
        Bench b;
        // The engine's bar, as SetApp sets it, and the launcher's names.
        b.host->core().engine().SetApp(b.office.app);
        const auto& bar = b.office.app->commandBars.at("Varnet QM-Link");
        QCOMPARE(bar.size(), size_t(9));
        std::ifstream basic(QM_SOURCE_DIR "/addin/oxt/Link.bas");
        const std::string source((std::istreambuf_iterator<char>(basic)), std::istreambuf_iterator<char>());
        std::vector<std::string> macros;
        for (const auto& c : bar) macros.push_back(c.macro);
        for (const char* m : {"DMMAboutTX35XX", "DmmTimerStart", "DmmTimerPause", "DmmTimerStop"}) macros.push_back(m);
        for (const auto& m : macros) {
            QVERIFY2(linkhost::CommandFromMacro(m).has_value(), m.c_str());
            // Basic compares names without regard to case.
            std::string lowerSource = source, wanted = "sub " + m;
            for (auto* s : {&lowerSource, &wanted})
                for (char& ch : *s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            QVERIFY2(lowerSource.find(wanted + "\n") != std::string::npos, m.c_str());
        }
        QVERIFY(!linkhost::CommandFromMacro("DmmNothing").has_value());
        QCOMPARE(linkhost::ParseRequest("command DmmAboutTX35XX\n"), std::string("DmmAboutTX35XX"));
        QCOMPARE(linkhost::ParseRequest("command Dmm;rm -rf\n"), std::string());
        QCOMPARE(linkhost::ParseRequest("about"), std::string());
    }

    void connectFormListsTheMetersAndSetsTheWorkingSession() {
        Bench b;
        b.host->Handle(linkhost::HostCommand::Connect);
        CConnectDlg& form = b.host->connectForm();
        QVERIFY(form.isVisible());
        auto* list = Child<QTreeWidget>(form, "lvwDMM");
        QCOMPARE(list->topLevelItemCount(), 2);  // the two Varnet meters; the other maker is not listed
        QCOMPARE(list->topLevelItem(0)->text(1), QString("TX42"));
        QCOMPARE(b.host->core().engine().wkSesn, ViSession(0));

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(1)).center());
        Click(form, "cmdConnect");
        Click(form, "cmdOK");
        auto& engine = b.host->core().engine();
        QVERIFY(engine.wkSesn != 0);
        QCOMPARE(b.host->core().connectedAddress(), std::string("USB0::0x1209::0x4101::SN000002::INSTR"));
        // Opened again (and after a new search) the connected meter keeps its mark.
        b.host->Handle(linkhost::HostCommand::Connect);
        QCOMPARE(form.list()->lvwNow(), qint16(2));
        Click(form, "cmdSearch");
        QCOMPARE(form.list()->lvwNow(), qint16(2));
        QVERIFY(engine.wkSesn != 0);

        // Get Single Reading from the connected TX41.
        b.host->Handle(linkhost::HostCommand::Meas);
        Click(b.host->reading(), "cmdRead");
        QVERIFY(!Child<QLabel>(b.host->reading(), "lblValue")->text().startsWith("--"));
        QVERIFY(b.prompter.messages.empty());
    }

    void fileAccessChartsStartPauseStopLogIntoTheSheet() {
        Bench b;
        auto& core = b.host->core();
        // Nothing to log into yet: START says what is missing.
        b.host->Handle(linkhost::HostCommand::Start);
        QCOMPARE(b.prompter.messages.size(), size_t(1));
        b.prompter.messages.clear();

        b.host->Handle(linkhost::HostCommand::Connect);
        auto* list = Child<QTreeWidget>(b.host->connectForm(), "lvwDMM");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(0)).center());
        Click(b.host->connectForm(), "cmdConnect");
        Click(b.host->connectForm(), "cmdOK");

        b.host->Handle(linkhost::HostCommand::Files);
        Child<QLineEdit>(b.host->files(), "txtSheet")->setText("Run 1");
        Click(b.host->files(), "cmdOK");
        QCOMPARE(b.office.choices.size(), size_t(1));
        QCOMPARE(b.office.choices[0].sheetName, std::string("Run 1"));
        QCOMPARE(b.office.sheet->Text("A1"), std::string("Time"));
        QCOMPARE(b.office.sheet->Text("E8"), std::string("Points"));
        QVERIFY(b.office.sheet->scrollBars.count("Scroll Bar 1") && b.office.sheet->scrollBars.count("Scroll Bar 2"));
        const auto& bar = b.office.app->commandBars.at("Varnet QM-Link");
        // The engine leaves START disabled; with a sheet and a meter the add-in offers it.
        QVERIFY(bar[6].enabled);
        QCOMPARE(bar[6].macro, std::string("DmmTimerStartTX35XX"));
        QVERIFY(!bar[7].enabled && !bar[8].enabled);
        core.ConnectAddress("");
        QVERIFY(!b.office.app->commandBars.at("Varnet QM-Link")[6].enabled);
        core.ConnectAddress("USB0::0x1209::0x4101::SN000001::INSTR");
        QVERIFY(b.office.app->commandBars.at("Varnet QM-Link")[6].enabled);

        b.host->Handle(linkhost::HostCommand::Chart);
        CLoggingChartsDlg& charts = b.host->charts();
        // A wrong value is refused with a message and nothing is kept.
        Child<QRadioButton>(charts, "optStop1")->click();
        Child<QLineEdit>(charts, "txtReadings")->setText("0");
        Click(charts, "cmdOK");
        QCOMPARE(b.prompter.messages.size(), size_t(1));
        QVERIFY(charts.isVisible());
        Child<QLineEdit>(charts, "txtReadings")->setText("5");
        Child<QRadioButton>(charts, "optBegin1")->click();
        Child<QRadioButton>(charts, "optChart2")->click();
        Child<QLineEdit>(charts, "txtPoints")->setText("3");
        Child<QLineEdit>(charts, "txtInterval")->setText("200");
        Click(charts, "cmdOK");
        QVERIFY(!charts.isVisible());
        QCOMPARE(core.parameters().readings, 5);

        b.host->Handle(linkhost::HostCommand::Start);
        QVERIFY(core.loggingActive());
        QVERIFY(!b.office.app->commandBars.at("Varnet QM-Link")[6].enabled);
        QVERIFY(!b.office.app->commandBars.at("Varnet QM-Link")[1].visible);
        b.host->Handle(linkhost::HostCommand::Pause);
        QVERIFY(!core.engine().Running());
        b.host->Handle(linkhost::HostCommand::Start);  // resumes
        QVERIFY(core.engine().Running());
        b.RunToEnd();
        QVERIFY(!core.loggingActive());
        QCOMPARE(b.office.sheet->Number("B2"), 1.25);
        QCOMPARE(b.office.sheet->Number("F4"), 5.0);
        QCOMPARE(b.office.sheet->Text("B7"), std::string());
        QCOMPARE(b.office.sheet->Number("F8"), 3.0);
        QVERIFY(b.office.app->commandBars.at("Varnet QM-Link")[1].visible);
        QVERIFY(b.office.app->commandBars.at("Varnet QM-Link")[6].enabled);  // ready for the next run

        // The parameters were kept for the next time.
        const std::string ini = b.docs.ReadSettings();
        QVERIFY(ini.find("ReadPoints=5") != std::string::npos);
        QVERIFY(ini.find("Interval=200") != std::string::npos);
        QVERIFY2(b.prompter.messages.size() == 1, b.prompter.last().text.c_str());
    }

    void theFirstRunTakesTheKeptValuesWithoutTheForm() {
        Bench b;
        b.docs.WriteSettings("[Information]\nReadPoints=4\nBegin=1\nTerminating=1\nAdd_Chart=0\n"
                             "NumPoints=7\nInterval=50\n");
        auto& core = b.host->core();
        core.Search();
        core.ConnectAddress("USB0::0x1209::0x4101::SN000001::INSTR");
        QVERIFY(core.MakeLoggingSheet({}));
        QCOMPARE(b.office.sheet->Number("F8"), 7.0);
        QVERIFY(core.Start());
        b.RunToEnd();
        QCOMPARE(b.office.sheet->Number("F4"), 4.0);
        QCOMPARE(b.office.sheet->Text("B6"), std::string());
        QCOMPARE(b.prompter.messages.size(), size_t(0));

        // A value edited in the file to one the form refuses: no run, and the reason.
        test::LinkHostBench edited;
        edited.docs.WriteSettings("[Information]\nInterval=0\n");
        auto& host = edited.host->core();
        host.Search();
        host.ConnectAddress("USB0::0x1209::0x4101::SN000001::INSTR");
        QVERIFY(host.MakeLoggingSheet({}));
        QVERIFY(!host.Start());
        QVERIFY(!host.loggingActive());
        QCOMPARE(edited.prompter.messages.size(), size_t(1));
        QVERIFY(edited.prompter.last().text.find("interval") != std::string::npos);
    }

    void scriptRequestsReachOnlyShownFormsAndUsableControls() {
        using linkhost::HostRequest;
        QVERIFY(!linkhost::ParseHostRequest("press frmConnect").has_value());
        QVERIFY(!linkhost::ParseHostRequest("press frmConnect cmdOK extra").has_value());
        QVERIFY(!linkhost::ParseHostRequest("press frm;Connect cmdOK").has_value());
        QVERIFY(!linkhost::ParseHostRequest("press  frmConnect cmdOK").has_value());
        QVERIFY(!linkhost::ParseHostRequest("select frmConnect lvwDMM 0").has_value());
        QVERIFY(!linkhost::ParseHostRequest("select frmConnect lvwDMM -1").has_value());
        QVERIFY(!linkhost::ParseHostRequest("select frmConnect lvwDMM 123456").has_value());
        QVERIFY(!linkhost::ParseHostRequest("press " + std::string(65, 'a') + " cmdOK").has_value());
        const auto select = linkhost::ParseHostRequest("select frmConnect lvwDMM 2\r\n");
        QVERIFY(select && select->kind == HostRequest::Kind::Select && select->row == 2);
        QCOMPARE(select->name, std::string("frmConnect"));
        QCOMPARE(select->control, std::string("lvwDMM"));

        Bench b;
        auto ask = [&](const std::string& line) {
            const auto r = linkhost::ParseHostRequest(line);
            return r ? b.host->Drive(*r) : std::string("not a request");
        };
        QCOMPARE(ask("press frmConnect cmdOK"), std::string("frmConnect is not shown"));
        QCOMPARE(ask("command DmmConnectTX35XX"), std::string());
        QTRY_VERIFY(b.host->connectForm().isVisible());
        QCOMPARE(ask("command DmmNothing"), std::string("unknown command"));
        QCOMPARE(ask("press frmConnect cmdDisconnect"), std::string("cmdDisconnect is disabled"));
        QCOMPARE(ask("press frmConnect lvwDMM"), std::string("lvwDMM is not a button"));
        QCOMPARE(ask("select frmConnect cmdOK 1"), std::string("cmdOK is not a list"));
        QCOMPARE(ask("select frmConnect lvwDMM 3"), std::string("no row 3"));
        QCOMPARE(ask("press frmConnect cmdNothing"), std::string("no control cmdNothing on frmConnect"));
        QCOMPARE(ask("select frmConnect lvwDMM 2"), std::string());
        QCOMPARE(ask("press frmConnect cmdConnect"), std::string());
        QTRY_COMPARE(b.host->connectForm().list()->lvwNow(), qint16(2));
        QCOMPARE(ask("press frmConnect cmdOK"), std::string());
        QTRY_VERIFY(!b.host->connectForm().isVisible());
        QCOMPARE(b.host->core().connectedAddress(), std::string("USB0::0x1209::0x4101::SN000002::INSTR"));
    }

    void anOfficeThatGoesAwayReleasesTheMeterOnce() {
        Bench b;
        b.host->core().Search();
        b.host->core().ConnectAddress("USB0::0x1209::0x4101::SN000001::INSTR");
        const ViSession session = b.host->core().engine().wkSesn;
        QVERIFY(session != 0);
        QSignalSpy gone(b.host.get(), &CLinkHost::officeGone);
        b.office.alive = false;
        b.host->WatchOffice();
        b.host->WatchOffice();
        QCOMPARE(gone.count(), 1);
        QCOMPARE(b.prompter.messages.size(), size_t(1));
        QVERIFY(b.prompter.last().text.find("LibreOffice Calc was closed") == 0);
        QCOMPARE(b.host->core().engine().wkSesn, ViSession(0));
        ViUInt32 count = 0;
        QVERIFY(viWrite(session, reinterpret_cast<ViConstBuf>("*idn?"), 5, &count) < VI_SUCCESS);
    }

    void firstStartPutsTheSettingsFileInPlaceAndSaysSo() {
        test::LinkDocs docs(/*withSettings=*/false);
        test::ScriptedPrompter prompter;
        test::RecordingHostOffice office;
        linkhost::AddinHost host(prompter, systemClock(), office);
        QVERIFY(host.EnsureSettingsFile());
        QVERIFY(std::filesystem::is_regular_file(docs.settings()));
        QCOMPARE(prompter.messages.size(), size_t(1));
        QVERIFY(prompter.last().text.find(docs.settings().string()) != std::string::npos);
        QVERIFY(host.EnsureSettingsFile());
        QCOMPARE(prompter.messages.size(), size_t(1));
        // The shipped languages, through the engine.
        QCOMPARE(host.Languages().size(), size_t(3));
        host.ChooseLanguage(1);
        QCOMPARE(host.GetText("7010", "Connect to Device"), host.GetText("7010", "x"));
        QCOMPARE(host.GetText("86", "Function"), std::string("功能"));
    }
};

QTEST_MAIN(TestLinkHost)
#include "tst_linkhost.moc"
