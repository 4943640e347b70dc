// Timed logging into the recording sheet on a virtual clock.
#include <gtest/gtest.h>

#include <regex>

#include "link/ChartNames.h"
#include "link/DateSerial.h"
#include "link/Logging.h"
#include "tests/link/LinkTestSupport.h"

namespace qm::link {
namespace {

using namespace std::chrono_literals;
using sheet::CommandBarControl;

class LinkLogging : public test::LinkFixture {
  protected:
    void SetUp() override { SetUpEngine(); }
    std::vector<std::string> MeterLog() { return meter().meter().commandLog(); }
    const std::vector<CommandBarControl>& Bar() { return app->commandBars.at("Varnet QM-Link"); }
    ViUInt32 SessionTimeout() {
        ViUInt32 t = 0;
        viGetAttribute(link->wkSesn, VI_ATTR_TMO_VALUE, &t);
        return t;
    }
};

TEST_F(LinkLogging, CountedRunWritesRowsTwoToSixThenStopsAndCleansUp) {
    ASSERT_EQ(Bar().size(), 9u);
    EXPECT_EQ(Bar()[0].macro, "DmmAboutTX35XX");
    EXPECT_EQ(Bar()[0].tip, "About Varnet QM-Link");
    EXPECT_EQ(Bar()[8].macro, "DmmTimerStopTX35XX");
    EXPECT_FALSE(Bar()[6].enabled);
    EXPECT_TRUE(Bar()[5].enabled);
    EXPECT_EQ(link->GetExlVersion(), 7);
    viSetAttribute(link->wkSesn, VI_ATTR_TMO_VALUE, 2000);

    Start(0, 1, 1, 5, 100);
    EXPECT_FALSE(Bar()[1].visible);
    EXPECT_FALSE(Bar()[6].enabled);
    EXPECT_TRUE(Bar()[7].enabled);
    EXPECT_EQ(SessionTimeout(), 30000u);
    std::vector<std::string> stamps;
    for (int i = 0; i < 5; ++i) {
        RunFor(100ms);
        stamps.push_back(ReadingTimeStamp(bench.clock.wallNow()));
    }
    EXPECT_FALSE(link->LoggingActive());
    for (int row = 2; row <= 6; ++row) {
        EXPECT_EQ(sheet->Text("A" + std::to_string(row)), stamps[static_cast<std::size_t>(row - 2)]);
        EXPECT_DOUBLE_EQ(sheet->Number("B" + std::to_string(row)), 1.25);
    }
    EXPECT_TRUE(std::regex_match(stamps[0], std::regex(R"(\d\d:\d\d:\d\d:\d\d\d)")));
    EXPECT_EQ(sheet->Text("A7"), "");
    EXPECT_EQ(sheet->Text("C2"), "");  // single reading: no second column
    EXPECT_EQ(sheet->Number("F4"), 5);
    EXPECT_EQ(sheet->Text("F6"), "");  // kind 0 keeps only F4
    // Back to idle: buttons, status bar, the meter's time-out, the sheet released.
    EXPECT_TRUE(Bar()[1].visible);
    EXPECT_FALSE(Bar()[7].enabled);
    EXPECT_FALSE(Bar()[8].enabled);
    EXPECT_EQ(app->statusTexts.back(), "Ready");
    EXPECT_EQ(app->statusTexts.front(), "Reading...");
    EXPECT_EQ(log->Count("SetStatusBar"), 2);  // set only when the text changes
    EXPECT_EQ(SessionTimeout(), 2000u);
    EXPECT_EQ(sheet->releases, 1);
    EXPECT_EQ(link->RowCounter(), 2);
    EXPECT_TRUE(prompter.messages.empty());
    const auto commands = MeterLog();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "read?"), 5);
    EXPECT_NE(std::find(commands.begin(), commands.end(), "func?"), commands.end());
    // The run's parameters went to the settings file.
    EXPECT_NE(docs.ReadSettings().find("ReadPoints=5"), std::string::npos);
    EXPECT_NE(docs.ReadSettings().find("Interval=100"), std::string::npos);
}

TEST_F(LinkLogging, DualMeterFillsBothColumnsOfARowAndDecimalCommasCount) {
    meter().meter().execute("func2 \"VOLT:AC\"");
    Start(1, 1, 1, 2, 50);
    RunToEnd();
    EXPECT_DOUBLE_EQ(sheet->Number("B2"), 1.25);
    EXPECT_DOUBLE_EQ(sheet->Number("C2"), 0.5);
    EXPECT_DOUBLE_EQ(sheet->Number("C3"), 0.5);
    EXPECT_EQ(sheet->Number("F4"), 2);
    EXPECT_EQ(sheet->Number("F6"), 2);
    ASSERT_EQ(sheet->charts.size(), 1u);
    ASSERT_EQ(sheet->charts[0]->spec.secondary.size(), 1u);
    EXPECT_EQ(sheet->charts[0]->spec.secondary[0].valuesColumn, 3);
    EXPECT_EQ(sheet->names.at("Dmmy2Axis"), "=OFFSET(Sheet1!$C$2,0,0,Sheet1!DmmCount,1)");
    EXPECT_EQ(sheet->names.at("DmmyAxis"), "=OFFSET(Sheet1!$A$2,0,1,Sheet1!DmmCount,1)");

    EXPECT_DOUBLE_EQ(ParseLoggedAnswer("1,5", false).first, 1.5);
    EXPECT_DOUBLE_EQ(ParseLoggedAnswer("+1,5E+00", false).first, 1.5);
    const auto dual = ParseLoggedAnswer("+1.5E+00,-2.5E-03", true);
    EXPECT_DOUBLE_EQ(dual.first, 1.5);
    EXPECT_DOUBLE_EQ(*dual.second, -0.0025);
    EXPECT_FALSE(ParseLoggedAnswer("+1.5E+00", true).second);
    EXPECT_DOUBLE_EQ(ParseLoggedAnswer("garbage", false).first, 0);
}

TEST_F(LinkLogging, StripChartShowsTheLastWindowOfReadingsAndSetsTheScrollBars) {
    sheet->Put("F8", 50.0);
    sheet->scrollBars["Scroll Bar 1"] = {};
    sheet->scrollBars["Scroll Bar 2"] = {};
    Start(2, 1, 1, 120, 20, /*inSheet=*/false);
    RunToEnd();
    ASSERT_EQ(sheet->charts.size(), 1u);
    const auto& chart = sheet->charts[0]->spec;
    EXPECT_FALSE(chart.onDataSheet);
    EXPECT_EQ(chart.firstRow, 72);
    EXPECT_EQ(chart.lastRow, 121);
    // Readings every 20 ms: the chart moved at most every 100 ms, and once more at the end.
    EXPECT_LE(log->Count("ShowRows"), 120 * 20 / 100 + 2);
    EXPECT_GE(log->Count("ShowRows"), 120 * 20 / 100 - 2);
    EXPECT_EQ(sheet->names.at("DmmisStripChart"),
              "=AND(Sheet1!DmmPoints>0,Sheet1!DmmPoints<=Sheet1!DmmCount)");
    EXPECT_EQ(sheet->names.at("DmmPoints"), "=Sheet1!$F$8");
    EXPECT_EQ(sheet->names.at("DmmxAxis"),
              "=IF(Sheet1!DmmisStripChart,OFFSET(Sheet1!$A$2,Sheet1!DmmCount-Sheet1!DmmPoints,0,"
              "Sheet1!DmmPoints,1),OFFSET(Sheet1!$A$2,0,0,Sheet1!DmmCount,1))");
    EXPECT_EQ(sheet->names.count("Dmmy2Axis"), 0u);
    const auto& bar1 = sheet->scrollBars.at("Scroll Bar 1");
    EXPECT_EQ(bar1.maximum, 120);
    EXPECT_EQ(bar1.value, 120);
    EXPECT_EQ(bar1.largeChange, 5);
    EXPECT_EQ(bar1.linkedCell, (sheet::CellRef{6, 6}));
    const auto& bar2 = sheet->scrollBars.at("Scroll Bar 2");
    EXPECT_EQ(bar2.value, 50);
    EXPECT_EQ(bar2.linkedCell, (sheet::CellRef{8, 6}));
    EXPECT_TRUE(prompter.messages.empty());

    // The rows rule itself, at its edges.
    EXPECT_EQ(ChartRows(kStripChart, 49, 50), (RowSpan{2, 50}));
    EXPECT_EQ(ChartRows(kStripChart, 50, 50), (RowSpan{2, 51}));
    EXPECT_EQ(ChartRows(kStripChart, 120, 0), (RowSpan{2, 121}));  // no window: every reading
    EXPECT_EQ(ChartRows(kAllReadings, 120, 50), (RowSpan{2, 121}));
}

TEST_F(LinkLogging, MissingScrollBarsAndAChartThatCannotBeMadeAreReportedWhileLoggingGoesOn) {
    log->FailFrom("AddChart", 1, "No room for a chart.");
    Start(2, 1, 1, 3, 100);
    RunToEnd();
    EXPECT_EQ(sheet->Number("F4"), 3);  // every reading was still written
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0].text, "Create Chart Error 1:\nNo room for a chart.");
    EXPECT_EQ(prompter.messages[1].text,
              "Scroll Bar Error:\nThe item with the specified name wasn't found.");
    EXPECT_EQ(prompter.messages[1].caption, "Varnet QM-Link");
}

TEST_F(LinkLogging, PausedRunTakesNoReadingsAndResumes) {
    Start(0, 1, 3, 0, 100);
    RunFor(250ms);
    EXPECT_EQ(sheet->Number("F4"), 2);
    link->PauseTimer();
    EXPECT_TRUE(Bar()[6].enabled);
    EXPECT_FALSE(Bar()[7].enabled);
    RunFor(1s);
    EXPECT_EQ(sheet->Number("F4"), 2);
    link->Stop_Pause();
    EXPECT_FALSE(Bar()[6].enabled);
    RunFor(200ms);
    EXPECT_EQ(sheet->Number("F4"), 4);
    link->StopTimer();  // stop mode 3: only on request
    EXPECT_FALSE(link->LoggingActive());
    EXPECT_FALSE(link->NextTickIn());
}

TEST_F(LinkLogging, AtTimeStartAndStopTimeFromF1) {
    const double now = ToSerial(bench.clock.wallNow());
    const std::string at = FormatDateTime(now + 3.0 / 86400);  // in three seconds
    ASSERT_TRUE(link->SetAtTime(at).ok());
    std::int16_t kind = 0;
    bool inSheet = true;
    link->AddChart(kind, inSheet);
    link->SetBegin(2);
    ASSERT_TRUE(std::holds_alternative<sheet::DateTime>(sheet->cells.at({1, 6})));
    EXPECT_EQ(FormatDateTime(std::get<sheet::DateTime>(sheet->cells.at({1, 6})).serial), at);
    ASSERT_TRUE(link->SetStopTime("0", "0", "5").ok());  // F1 + 5 s
    EXPECT_EQ(FormatDateTime(std::get<sheet::DateTime>(sheet->cells.at({3, 6})).serial),
              FormatDateTime(now + 8.0 / 86400));
    link->SetTerimnatingUpon(2);
    std::int32_t interval = 1000;
    link->StartTimer(interval);
    RunFor(2s);
    EXPECT_EQ(app->statusTexts.back(), "Waiting time...");
    EXPECT_EQ(sheet->Text("B2"), "");
    RunToEnd();
    // Readings from the At Time on, one a second, until five seconds past it.
    EXPECT_GE(sheet->Number("F4"), 4);
    EXPECT_LE(sheet->Number("F4"), 6);
    EXPECT_GE(ToSerial(bench.clock.wallNow()), now + 8.0 / 86400 - 1e-9);

    EXPECT_EQ(link->SetAtTime("2024-13-01 00:00:00").error->number, kTypeMismatch);
    EXPECT_EQ(link->SetAtTime("tomorrow").error->number, kTypeMismatch);
}

TEST_F(LinkLogging, ExternalTriggerStartWaitsThroughPollTimeoutsWithoutComplaint) {
    SetUpEngine(test::LinkTable("trigger_after_ms=25000\n"));
    Start(0, 3, 1, 3, 500);
    const auto commands = MeterLog();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "trig:sour ext"), commands.end());
    EXPECT_NE(std::find(commands.begin(), commands.end(), "trig:count 1"), commands.end());
    EXPECT_NE(std::find(commands.begin(), commands.end(), "trig:delay 0.5"), commands.end());
    EXPECT_NE(std::find(commands.begin(), commands.end(), "init"), commands.end());
    RunFor(20s);  // two polls time out (10 s each)
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(app->statusTexts.back(), "Waiting for an External Trigger...");
    EXPECT_EQ(sheet->Text("B2"), "");
    RunToEnd();
    EXPECT_EQ(sheet->Number("F4"), 3);
    EXPECT_TRUE(prompter.messages.empty());
    const auto after = MeterLog();
    const auto imm = std::find(after.begin(), after.end(), "trig:sour imm");
    ASSERT_NE(imm, after.end());
    EXPECT_EQ(std::count(after.begin(), imm, std::string("syst:err?")), 2);
    EXPECT_EQ(meter().meter().state().triggerSource, sim::TriggerSource::Immediate);
}

TEST_F(LinkLogging, StopWhileWaitingForTheTriggerAsksAndNoKeepsWaiting) {
    Start(0, 3, 1, 3, 500);
    RunFor(300ms);
    prompter.answers = {PromptAnswer::No};
    link->StopTimer();
    ASSERT_EQ(prompter.messages.size(), 1u);
    const PromptMessage& q = prompter.messages[0];
    EXPECT_EQ(q.buttons, PromptButtons::YesNo);
    EXPECT_TRUE(q.defaultNo);
    EXPECT_EQ(q.icon, PromptIcon::Question);
    EXPECT_EQ(q.text.substr(0, 33), "Waiting for an External Trigger:\n");
    EXPECT_NE(q.text.find("press'LOCAL' followed by 'TRIG' on the instrument Front Panel."),
              std::string::npos);
    EXPECT_TRUE(link->Running());
    EXPECT_TRUE(link->LoggingActive());

    // The user presses TRIG on the meter, then Yes: the poll sees 1 and logging stops.
    meter().meter().fireTrigger();
    prompter.answers = {PromptAnswer::Yes};
    link->StopTimer();
    EXPECT_FALSE(link->LoggingActive());
    EXPECT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(meter().meter().state().triggerSource, sim::TriggerSource::Immediate);
    EXPECT_EQ(sheet->Text("B2"), "");
}

TEST_F(LinkLogging, LostMeterStopsWithTheErrorBoxAndKeepsWhatWasWritten) {
    SetUpEngine(test::LinkTable("drop_after=9\n"));  // dies a few readings in
    Start(1, 1, 3, 0, 100);
    RunToEnd();
    EXPECT_FALSE(link->LoggingActive());
    ASSERT_EQ(prompter.messages.size(), 1u);  // one box, not one per failed step
    EXPECT_EQ(prompter.messages[0].text.rfind("Error status description:\n", 0), 0u);
    EXPECT_EQ(prompter.messages[0].icon, PromptIcon::Error);
    const double written = sheet->Number("F4");
    EXPECT_GE(written, 2);
    EXPECT_EQ(sheet->Text("B" + std::to_string(static_cast<int>(written) + 1)), "1.25");
    EXPECT_EQ(sheet->Text("B" + std::to_string(static_cast<int>(written) + 2)), "");
    EXPECT_EQ(sheet->releases, 1);

    // The next run does not stop at its first reading for the old failure.
    prompter.messages.clear();
    SetUpEngine();
    Start(0, 1, 1, 2, 100);
    RunToEnd();
    EXPECT_EQ(sheet->Number("F4"), 2);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(LinkLogging, SpreadsheetGoneStopsCleanlyWithOneMessage) {
    viSetAttribute(link->wkSesn, VI_ATTR_TMO_VALUE, 2000);
    Start(1, 1, 3, 0, 100);
    RunFor(350ms);
    log->FailEverything("Binary URP bridge disposed during call");
    RunToEnd();
    EXPECT_FALSE(link->LoggingActive());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].text.find("Binary URP bridge disposed during call"), std::string::npos);
    EXPECT_EQ(SessionTimeout(), 2000u);  // the meter is left as it was found
    EXPECT_EQ(link->RowCounter(), 2);
    EXPECT_FALSE(link->NextTickIn());
}

TEST_F(LinkLogging, StartWithoutASheetOrWithAnUnreadableOneIsReported) {
    std::int16_t kind = 0;
    bool inSheet = true;
    link->AddChart(kind, inSheet);
    link->SetSheet(nullptr);
    std::int32_t interval = 100;
    link->StartTimer(interval);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "To Start Reading:\nNo worksheet is set (SetSheet).");
    EXPECT_FALSE(link->LoggingActive());

    link->SetSheet(sheet);
    log->FailFrom("ReadCell", 1, "Cell F8 is locked.");
    link->StartTimer(interval);
    EXPECT_EQ(prompter.last().text, "To Start Reading:\nCell F8 is locked.");
    EXPECT_FALSE(link->NextTickIn());
}

}  // namespace
}  // namespace qm::link
