#pragma once
// An .xlsx workbook written where no office suite runs: rows are streamed to
// a temporary file while logging goes on and the workbook is written when
// the engine releases its sheet. The file holds the cells, the sheet's names
// and the chart (its series over the cell ranges they cover at that moment);
// it has no status bar, no command bar and no live scroll bars.
#include <memory>
#include <string>

#include "sheet/Spreadsheet.h"

namespace qm::sheet {

class XlsxWorkbook : public SpreadsheetApp {
  public:
    static std::shared_ptr<XlsxWorkbook> Create(std::string path);
    ~XlsxWorkbook() override;

    // A new worksheet (names are unique; "Sheet1" when empty).
    std::shared_ptr<Worksheet> AddSheet(const std::string& name);
    // Writes the file; later calls do nothing and report the first outcome.
    SheetStatus Write();
    bool written() const;
    const std::string& path() const;

    std::string Version() override { return "12.0"; }
    SheetStatus SetStatusBar(const std::string&) override { return SheetStatus::Ok(); }
    SheetStatus SetCommandBar(const std::string&, std::span<const CommandBarControl>) override {
        return SheetStatus::Ok();
    }

    struct Impl;

  private:
    explicit XlsxWorkbook(std::string path);
    std::shared_ptr<Impl> impl_;
};

}  // namespace qm::sheet
