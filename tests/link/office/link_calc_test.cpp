// The engine against a live, headless LibreOffice Calc.
#include <gtest/gtest.h>
#include <signal.h>

#include "platform/TempFolder.h"
#include "sheet/XlsxWorkbook.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/link/OfficeSupport.h"
#include "support/Subprocess.h"

namespace qm::link {
namespace {

using sheet::CalcDocument;
using sheet::CalcOffice;

class LinkCalc : public test::LinkFixture {
  protected:
    static void SetUpTestSuite() {
        pipe_ = "qm_link_test_" + std::to_string(::getpid());
        test::StartSuiteOffice(pipe_, office_, startError_);
    }
    static void TearDownTestSuite() { test::EndSuiteOffice(office_); }
    void SetUp() override {
        ASSERT_TRUE(office_) << "the office did not start: " << startError_;
        auto doc = office_->NewDocument(/*hidden=*/true);
        ASSERT_TRUE(doc) << doc.description();
        calc = doc.value();
    }
    void TearDown() override {
        if (calc) (void)calc->Close();
    }
    // The engine on this document's first sheet, with its headings and scroll bars.
    void UseCalc(const std::string& table = test::LinkTable()) {
        bench.UseTable(table);
        auto first = calc->Sheet(0);
        ASSERT_TRUE(first);
        calcSheet = first.value();
        const sheet::CellValue headings[] = {std::string("Time"), std::string("DCV"), std::string("ACV")};
        ASSERT_TRUE(calcSheet->WriteRow(1, headings));
        ASSERT_TRUE(calc->AddScrollBar(0, "Scroll Bar 1", {10, 6}));
        ASSERT_TRUE(calc->AddScrollBar(0, "Scroll Bar 2", {12, 6}));
        link = std::make_unique<Application>(prompter, bench.clock);
        test::AttachEngine(*link, calc, calcSheet);
    }
    std::string Eval(const std::string& formula) {
        auto r = calc->Evaluate(0, formula);
        return r ? r.value() : "error: " + r.description();
    }

    static inline std::shared_ptr<CalcOffice> office_;
    static inline std::string pipe_;
    static inline std::string startError_;
    std::shared_ptr<CalcDocument> calc;
    std::shared_ptr<sheet::Worksheet> calcSheet;
};

TEST_F(LinkCalc, StripChartRunFillsCellsNamesChartScrollBarsToolbarAndStatusBar) {
    UseCalc();
    meter().meter().execute("func2 \"VOLT:AC\"");
    const sheet::CellWrite f8{{8, 6}, 50.0};
    ASSERT_TRUE(calcSheet->WriteCells({&f8, 1}));
    Start(2, 1, 1, 120, 100, /*inSheet=*/true);
    RunToEnd();
    EXPECT_TRUE(prompter.messages.empty()) << prompter.last().text;

    // Cells.
    EXPECT_EQ(Eval("=B2"), "1.25");
    EXPECT_EQ(Eval("=C121"), "0.5");
    EXPECT_EQ(Eval("=F4"), "120");
    EXPECT_EQ(Eval("=F6"), "120");
    EXPECT_EQ(Eval("=IF(ISBLANK(B122);\"empty\";\"full\")"), "empty");
    EXPECT_EQ(Eval("=LEN(A2)"), "12");
    EXPECT_EQ(Eval("=IF(ISTEXT(A2);\"text\";\"number\")"), "text");

    // The names give the Part's ranges: the last 50 readings.
    EXPECT_EQ(Eval("=ROW(DmmyAxis)"), "72");
    EXPECT_EQ(Eval("=ROWS(DmmyAxis)"), "50");
    EXPECT_EQ(Eval("=COLUMN(DmmyAxis)"), "2");
    EXPECT_EQ(Eval("=ROW(DmmxAxis)&\",\"&COLUMN(DmmxAxis)"), "72,1");
    EXPECT_EQ(Eval("=COLUMN(Dmmy2Axis)"), "3");
    EXPECT_EQ(Eval("=IF(DmmisStripChart;\"strip\";\"all\")"), "strip");
    EXPECT_EQ(Eval("=DmmCount"), "120");
    EXPECT_EQ(calc->NameContent(0, "DmmCount").value(), "$Sheet1.$F$6");

    // The chart: line with symbols, its series over the same rows, the second on axis 1.
    EXPECT_EQ(calc->ChartType(0).value(), "com.sun.star.chart2.LineChartType");
    const auto series = calc->ChartSeries(0);
    ASSERT_TRUE(series) << series.description();
    ASSERT_EQ(series.value().size(), 2u);
    EXPECT_EQ(series.value()[0], "$Sheet1.$B$1 $Sheet1.$B$72:$B$121 0");
    EXPECT_EQ(series.value()[1], "$Sheet1.$C$1 $Sheet1.$C$72:$C$121 1");

    // Scroll bars, toolbar and status bar as the run left them.
    const auto bar1 = calc->ScrollBar(0, "Scroll Bar 1");
    ASSERT_TRUE(bar1) << bar1.description();
    EXPECT_EQ(bar1.value().maximum, 120);
    EXPECT_EQ(bar1.value().value, 120);
    EXPECT_EQ(bar1.value().linkedCell, (sheet::CellRef{6, 6}));
    const auto bar2 = calc->ScrollBar(0, "Scroll Bar 2");
    ASSERT_TRUE(bar2);
    EXPECT_EQ(bar2.value().value, 50);
    EXPECT_EQ(bar2.value().linkedCell, (sheet::CellRef{8, 6}));
    const auto toolbar = calc->CommandBar("Varnet QM-Link");
    ASSERT_TRUE(toolbar) << toolbar.description();
    ASSERT_EQ(toolbar.value().size(), 9u);
    EXPECT_EQ(toolbar.value()[6].macro, "DmmTimerStartTX35XX");
    EXPECT_EQ(toolbar.value()[0].tip, "About Varnet QM-Link");
    EXPECT_FALSE(toolbar.value()[6].enabled);
    EXPECT_TRUE(toolbar.value()[1].visible);
    EXPECT_EQ(calc->statusText(), "Ready");
    EXPECT_EQ(link->GetExlVersion(), 7);
}

TEST_F(LinkCalc, ChartOfAllReadingsOnASheetOfItsOwn) {
    UseCalc();
    Start(1, 1, 1, 30, 100, /*inSheet=*/false);
    RunToEnd();
    EXPECT_TRUE(prompter.messages.empty()) << prompter.last().text;
    EXPECT_EQ(calc->SheetCount(), 2);
    const auto series = calc->ChartSeries(1);
    ASSERT_TRUE(series) << series.description();
    ASSERT_EQ(series.value().size(), 1u);
    EXPECT_EQ(series.value()[0], "$Sheet1.$B$1 $Sheet1.$B$2:$B$31 0");
    EXPECT_EQ(Eval("=ROWS(DmmyAxis)"), "30");
}

TEST_F(LinkCalc, AnXlsxWrittenByTheEngineOpensInCalcWithItsNamesAndChart) {
    test::TempFolder folder;
    const std::string path = (folder / "log.xlsx").string();
    bench.UseTable(test::LinkTable());
    auto book = sheet::XlsxWorkbook::Create(path);
    auto xlsx = book->AddSheet("Sheet1");
    const sheet::CellValue headings[] = {std::string("Time"), std::string("DCV")};
    ASSERT_TRUE(xlsx->WriteRow(1, headings));
    const sheet::CellWrite f8{{8, 6}, 20.0};
    ASSERT_TRUE(xlsx->WriteCells({&f8, 1}));
    link = std::make_unique<Application>(prompter, bench.clock);
    test::AttachEngine(*link, book, xlsx);
    Start(2, 1, 1, 60, 100);
    RunToEnd();
    ASSERT_TRUE(book->written());

    (void)calc->Close();
    auto opened = office_->OpenDocument(path, /*hidden=*/true);
    ASSERT_TRUE(opened) << opened.description();
    calc = opened.value();
    EXPECT_EQ(Eval("=F4"), "60");
    EXPECT_EQ(Eval("=ROW(DmmyAxis)&\",\"&ROWS(DmmyAxis)"), "42,20");
    const auto series = calc->ChartSeries(0);
    ASSERT_TRUE(series) << series.description();
    ASSERT_EQ(series.value().size(), 1u);
    EXPECT_EQ(series.value()[0], "$Sheet1.$B$1 $Sheet1.$B$42:$B$61 0");
}

TEST_F(LinkCalc, AnOfficeThatAlreadyRunsIsReachedByItsUrlAndLeftRunning) {
    auto connected = CalcOffice::Connect("pipe,name=" + pipe_, std::chrono::seconds(10));
    ASSERT_TRUE(connected) << connected.description();
    EXPECT_FALSE(connected.value()->started());
    auto doc = connected.value()->NewDocument(/*hidden=*/true);
    ASSERT_TRUE(doc) << doc.description();
    auto first = doc.value()->Sheet(0);
    ASSERT_TRUE(first);
    const sheet::CellValue row[] = {std::string("x"), 2.5};
    ASSERT_TRUE(first.value()->WriteRow(7, row));
    EXPECT_EQ(doc.value()->Evaluate(0, "=B7*2").value(), "5");
    (void)doc.value()->Close();
    connected.value()->Shutdown();  // only the connection ends
    EXPECT_TRUE(office_->NewDocument(true));

    auto nobody = CalcOffice::Connect("pipe,name=qm_link_nobody_listens", std::chrono::milliseconds(300));
    EXPECT_FALSE(nobody);
    EXPECT_NE(nobody.description().find("did not answer"), std::string::npos);
    EXPECT_FALSE(CalcOffice::Connect("socket,host=127.0.0.1,port=notaport", std::chrono::seconds(1)));
}

TEST(LinkCalcGone, AnOfficeThatDiesUnderARunEndsItCleanlyWithOneMessage) {
    auto started = test::StartTestOffice();
    ASSERT_TRUE(started) << started.description();
    auto office = started.value();
    auto doc = office->NewDocument(true);
    ASSERT_TRUE(doc);
    auto sheet = doc.value()->Sheet(0);
    ASSERT_TRUE(sheet);

    test::LinkDocs docs;
    test::SimulatedBench bench;
    bench.UseTable(test::LinkTable());
    test::ScriptedPrompter prompter;
    Application link(prompter, bench.clock);
    test::AttachEngine(link, doc.value(), sheet.value());
    viSetAttribute(link.wkSesn, VI_ATTR_TMO_VALUE, 2000);
    std::int16_t kind = 1;
    bool inSheet = true;
    link.AddChart(kind, inSheet);
    link.SetTerimnatingUpon(3);
    std::int32_t interval = 100;
    link.StartTimer(interval);
    for (int i = 0; i < 5; ++i) {
        bench.clock.advance(std::chrono::milliseconds(100));
        link.Tick();
    }
    ASSERT_TRUE(prompter.messages.empty()) << prompter.last().text;
    kill(office->pid(), SIGKILL);
    for (int i = 0; i < 50 && link.LoggingActive(); ++i) {
        bench.clock.advance(std::chrono::milliseconds(100));
        link.Tick();
    }
    EXPECT_FALSE(link.LoggingActive());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].text.find("The spreadsheet stopped answering"), std::string::npos);
    ViUInt32 timeout = 0;
    viGetAttribute(link.wkSesn, VI_ATTR_TMO_VALUE, &timeout);
    EXPECT_EQ(timeout, 2000u);
    office->Shutdown();
}

}  // namespace
}  // namespace qm::link

namespace qm::link {
namespace {

TEST(QmcliLinkCalc, LogsIntoAHeadlessOfficeAndStoresTheDocument) {
    test::TempFolder folder;
    test::LinkDocs docs;
    const std::string table = (folder / "sim.ini").string();
    test::WriteBytes(table, test::LinkTable());
    const std::string saved = (folder / "run.ods").string();
    const auto r = test::Run({QMCLI_PATH, "--resources", table, "link", "log", "0", "--to", "calc",
                              "--headless", "--count", "10", "--interval", "20", "--chart", "1",
                              "--save-as", saved},
                             folder.path().string());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("10 readings logged"), std::string::npos);
    EXPECT_GT(std::filesystem::file_size(saved), 1000u);
}

}  // namespace
}  // namespace qm::link
