#pragma once
// Where the host makes its logging sheets: a live office (a new or an open
// Calc document) or an .xlsx file. Tests give one that records.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sheet/Spreadsheet.h"

namespace qm::linkhost {

struct SheetChoice {
    enum class Kind { NewCalc, OpenCalc, Xlsx };
    Kind kind = Kind::NewCalc;
    int document = 0;       // OpenCalc: index into OpenDocuments()
    std::string path;       // Xlsx: the file
    std::string sheetName;  // the new sheet's name
};

struct PreparedSheet {
    std::shared_ptr<sheet::SpreadsheetApp> app;
    std::shared_ptr<sheet::Worksheet> sheet;
    std::string workbookName;
    // Adds a form scroll bar (a file cannot hold one: nothing happens there).
    std::function<sheet::SheetStatus(const std::string& name, sheet::CellRef anchor)> addScrollBar;
};

class HostOffice {
  public:
    virtual ~HostOffice() = default;
    // Titles of the spreadsheets open in the office.
    virtual std::vector<std::string> OpenDocuments() = 0;
    virtual sheet::SheetResult<PreparedSheet> MakeSheet(const SheetChoice& choice) = 0;
    // Whether the office is still there (true when there is none to lose).
    virtual bool Alive() = 0;
};

// The office at a UNO URL ("pipe,name=..."), or no office (.xlsx files only)
// when the URL is empty.
std::unique_ptr<HostOffice> ConnectHostOffice(const std::string& unoUrl, std::string& error);

}  // namespace qm::linkhost
