#include <gtest/gtest.h>

#include "platform/TempFolder.h"
#include "sheet/XlsxWorkbook.h"
#include "tests/sheet/XlsxReader.h"

namespace qm::sheet {
namespace {

TEST(XlsxWorkbook, RowsStreamWhileScatteredCellsMergeInRowOrder) {
    test::TempFolder folder;
    const std::string path = (folder / "book.xlsx").string();
    auto book = XlsxWorkbook::Create(path);
    auto sheet = book->AddSheet("Sheet1");
    const CellValue heading[] = {std::string("Time"), std::string("DCV")};
    ASSERT_TRUE(sheet->WriteRow(1, heading));
    for (int row = 2; row <= 1000; ++row) {
        const CellValue values[] = {std::string("12:00:00:000"), double(row) / 2};
        ASSERT_TRUE(sheet->WriteRow(row, values));
        const CellWrite counters[] = {{{4, 6}, double(row - 1)}, {{6, 6}, double(row - 1)}};
        ASSERT_TRUE(sheet->WriteCells(counters));
    }
    const CellWrite f1[] = {{{1, 6}, DateTime{45000.5}}};
    ASSERT_TRUE(sheet->WriteCells(f1));
    // A row written again (out of order) wins over the streamed one.
    const CellValue again[] = {std::string("again"), 7.0};
    ASSERT_TRUE(sheet->WriteRow(3, again));
    EXPECT_EQ(std::get<double>(sheet->ReadCell({4, 6}).value()), 999);
    EXPECT_EQ(std::get<double>(sheet->ReadCell({1000, 2}).value()), 500);
    ASSERT_TRUE(sheet->DefineName("DmmCount", "=Sheet1!$F$6"));
    ChartSpec spec;
    spec.first = {{1, 2}, 2};
    auto chart = sheet->AddChart(spec);
    ASSERT_TRUE(chart);
    ASSERT_TRUE(chart.value()->ShowRows(951, 1000));
    ASSERT_TRUE(sheet->Release());
    EXPECT_TRUE(book->written());
    // Written once: later writes are refused, a second release reports the first outcome.
    EXPECT_FALSE(sheet->WriteRow(1001, again));
    EXPECT_TRUE(sheet->Release());

    test::XlsxReader x(path);
    ASSERT_TRUE(x.ok());
    EXPECT_EQ(x.Cell("A1"), "Time");
    EXPECT_EQ(x.Cell("B2"), "1");
    EXPECT_EQ(x.Cell("A3"), "again");
    EXPECT_EQ(x.Cell("B3"), "7");
    EXPECT_EQ(x.Cell("B1000"), "500");
    EXPECT_EQ(x.Cell("F4"), "999");
    EXPECT_EQ(x.Cell("F6"), "999");
    EXPECT_EQ(x.Cell("F1"), "45000.5");
    EXPECT_EQ(x.Names().at("DmmCount"), "Sheet1!$F$6");
    const auto refs = x.ChartReferences();
    ASSERT_EQ(refs.size(), 2u);
    EXPECT_EQ(refs[0], "Sheet1!$B$1");
    EXPECT_EQ(refs[1], "Sheet1!$B$951:$B$1000");
}

TEST(XlsxWorkbook, AFileThatCannotBeWrittenIsReported) {
    auto book = XlsxWorkbook::Create("/nonexistent-folder/book.xlsx");
    auto sheet = book->AddSheet("");
    EXPECT_EQ(sheet->Name(), "Sheet1");
    const SheetStatus s = sheet->Release();
    EXPECT_FALSE(s);
    EXPECT_NE(s.description().find("book.xlsx"), std::string::npos);
}

}  // namespace
}  // namespace qm::sheet
