#pragma once
// Cell addresses and formulas as text: the A1 form the engine writes (the
// form an .xlsx file stores) and its translation into Calc's own syntax.
#include <string>
#include <string_view>

#include "sheet/Spreadsheet.h"

namespace qm::sheet {

// "A", "Z", "AA", ... for columns 1, 26, 27, ...
std::string ColumnLetters(int column);
// "$F$6"
std::string AbsoluteA1(CellRef cell);
// "Sheet1" or "'My sheet'" (quotes doubled inside), ready to stand before "!".
std::string SheetQualifier(std::string_view sheetName);

// "=OFFSET(Sheet1!$A$2,0,1,Sheet1!DmmCount,1)" becomes
// "OFFSET($Sheet1.$A$2;0;1;DmmCount;1)": the leading "=" goes, arguments are
// separated by ";", a sheet-qualified reference takes Calc's "$Sheet.$A$2"
// form and a sheet-qualified name its bare name (a sheet's own names are
// found from its own cells). Text inside double quotes is kept as it is.
std::string ToCalcFormula(std::string_view a1Formula);

}  // namespace qm::sheet
