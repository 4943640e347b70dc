#include <gtest/gtest.h>

#include "sheet/FormulaText.h"
#include "sheet/RecordingSheet.h"

namespace qm::sheet {
namespace {

TEST(FormulaText, AddressesAndSheetQualifiers) {
    EXPECT_EQ(ColumnLetters(1), "A");
    EXPECT_EQ(ColumnLetters(26), "Z");
    EXPECT_EQ(ColumnLetters(27), "AA");
    EXPECT_EQ(ColumnLetters(16384), "XFD");
    EXPECT_EQ(AbsoluteA1({6, 6}), "$F$6");
    EXPECT_EQ(SheetQualifier("Sheet1"), "Sheet1");
    EXPECT_EQ(SheetQualifier("My data"), "'My data'");
    EXPECT_EQ(SheetQualifier("Bob's"), "'Bob''s'");
    EXPECT_EQ(SheetQualifier("2024"), "'2024'");
    EXPECT_EQ(ParseA1("AB12"), (CellRef{12, 28}));
    EXPECT_EQ(ParseA1("12"), (CellRef{0, 0}));
}

TEST(FormulaText, ExcelFormulasBecomeCalcFormulas) {
    EXPECT_EQ(ToCalcFormula("=Sheet1!$F$6"), "$Sheet1.$F$6");
    EXPECT_EQ(ToCalcFormula("=OFFSET(Sheet1!$A$2,0,1,Sheet1!DmmCount,1)"),
              "OFFSET($Sheet1.$A$2;0;1;DmmCount;1)");
    EXPECT_EQ(ToCalcFormula("=AND(Sheet1!DmmPoints>0,Sheet1!DmmPoints<=Sheet1!DmmCount)"),
              "AND(DmmPoints>0;DmmPoints<=DmmCount)");
    EXPECT_EQ(ToCalcFormula("='My data'!$B$1"), "$'My data'.$B$1");
    EXPECT_EQ(ToCalcFormula("=OFFSET('Bob''s'!$A$2,0,0,'Bob''s'!DmmCount,1)"),
              "OFFSET($'Bob''s'.$A$2;0;0;DmmCount;1)");
    // Text literals keep their commas and exclamation marks.
    EXPECT_EQ(ToCalcFormula("=IF(A1,\"a,b!c\",\"\")"), "IF(A1;\"a,b!c\";\"\")");
    // A name that looks like a cell only in part is a name.
    EXPECT_EQ(ToCalcFormula("=Sheet1!AB12X"), "AB12X");
    // Broken input never reads past its end.
    EXPECT_EQ(ToCalcFormula("='unterminated"), "'unterminated");
    EXPECT_EQ(ToCalcFormula("=\"open"), "\"open");
    EXPECT_EQ(ToCalcFormula("=!"), "!");
}

}  // namespace
}  // namespace qm::sheet
