#pragma once
// Where a host sends the readings: "calc" (a Calc document in an office
// started here: visible when there is a display, else headless with a
// throw-away profile), "calc:UNO-URL" (a new document in an office that
// already runs), or a file name ending in ".xlsx".
#include <functional>
#include <memory>
#include <string>

#include "sheet/Spreadsheet.h"

namespace qm::sheet {

struct LogTarget {
    std::shared_ptr<SpreadsheetApp> app;
    std::shared_ptr<Worksheet> sheet;
    std::string description;  // "LibreOffice 7.4 (headless)", "book.xlsx", ...
    // Stores the document when logging stopped (Calc; nothing for .xlsx).
    std::function<SheetStatus(const std::string& path)> saveAs;
    // Adds a form scroll bar to the logging sheet (Calc).
    std::function<SheetStatus(const std::string& name, CellRef anchor)> addScrollBar;
    // Closes what this target opened (a headless office ends; a visible one stays).
    std::function<void()> close;
};

struct TargetOptions {
    bool forceHeadless = false;  // never show a window, even with a display
};

SheetResult<LogTarget> OpenLogTarget(const std::string& spec, const TargetOptions& options = {});

// Whether this build has each backend.
bool CalcAvailable();
bool XlsxAvailable();

}  // namespace qm::sheet
