// Logging into an .xlsx workbook, read back from the file.
#include <gtest/gtest.h>

#include "sheet/XlsxWorkbook.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/sheet/XlsxReader.h"

namespace qm::link {
namespace {

class LinkXlsx : public test::LinkFixture {
  protected:
    void Open(const std::string& table) {
        bench.UseTable(table);
        book = sheet::XlsxWorkbook::Create((folder / "log.xlsx").string());
        xlsx = book->AddSheet("Sheet1");
        link = std::make_unique<Application>(prompter, bench.clock);
        test::AttachEngine(*link, book, xlsx);
    }
    test::TempFolder folder;
    std::shared_ptr<sheet::XlsxWorkbook> book;
    std::shared_ptr<sheet::Worksheet> xlsx;
};

TEST_F(LinkXlsx, StripChartRunIsWrittenWithCellsNamesAndTheChartsLastRanges) {
    Open(test::LinkTable());
    meter().meter().execute("func2 \"VOLT:AC\"");
    const sheet::CellWrite f8{{8, 6}, 50.0};
    ASSERT_TRUE(xlsx->WriteCells({&f8, 1}));
    Start(2, 1, 1, 120, 100, /*inSheet=*/true);
    RunToEnd();
    EXPECT_TRUE(prompter.messages.empty()) << prompter.last().text;
    ASSERT_TRUE(book->written());

    test::XlsxReader x(book->path());
    ASSERT_TRUE(x.ok());
    EXPECT_EQ(x.Cell("B2"), "1.25");
    EXPECT_EQ(x.Cell("C121"), "0.5");
    EXPECT_EQ(x.Cell("F4"), "120");
    EXPECT_EQ(x.Cell("F6"), "120");
    EXPECT_EQ(x.Cell("F8"), "50");
    EXPECT_EQ(x.Cell("B122"), "");
    EXPECT_EQ(x.Cell("A2").size(), 12u);
    const auto names = x.Names();
    EXPECT_EQ(names.at("DmmCount"), "Sheet1!$F$6");
    EXPECT_EQ(names.at("DmmPoints"), "Sheet1!$F$8");
    EXPECT_EQ(names.count("Dmmy2Axis"), 1u);
    // The series cover what s!DmmyAxis gives: the last 50 readings.
    const auto refs = x.ChartReferences();
    ASSERT_EQ(refs.size(), 4u);
    EXPECT_EQ(refs[0], "Sheet1!$B$1");
    EXPECT_EQ(refs[1], "Sheet1!$B$72:$B$121");
    EXPECT_EQ(refs[2], "Sheet1!$C$1");
    EXPECT_EQ(refs[3], "Sheet1!$C$72:$C$121");
    EXPECT_TRUE(x.Has("xl/drawings/drawing1.xml"));  // embedded on the data sheet
}

TEST_F(LinkXlsx, LostMeterStillLeavesAReadableFileWithEveryReading) {
    Open(test::LinkTable("drop_after=10\n"));
    Start(1, 1, 3, 0, 100, /*inSheet=*/false);
    RunToEnd();
    ASSERT_EQ(prompter.messages.size(), 1u);
    ASSERT_TRUE(book->written());
    test::XlsxReader x(book->path());
    ASSERT_TRUE(x.ok());
    const int count = std::stoi(x.Cell("F4"));
    EXPECT_GE(count, 2);
    EXPECT_EQ(x.Cell("B" + std::to_string(count + 1)), "1.25");
    EXPECT_TRUE(x.Has("xl/chartsheets/sheet1.xml"));  // the chart on a sheet of its own
}

}  // namespace
}  // namespace qm::link
