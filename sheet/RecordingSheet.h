#pragma once
// The spreadsheet of the tests: keeps what was written, logs every call with
// its arguments, and fails calls when a script says so (a sheet that refuses
// one operation, or an office that went away).
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sheet/Spreadsheet.h"

namespace qm::sheet {

// The call log and the failure script shared by an application, its sheets
// and their charts.
class Recording {
  public:
    // The nth call (1-based) of `operation` and every later one fail.
    void FailFrom(const std::string& operation, int nth, std::string description);
    // Every call from now on fails, as with an office that has gone.
    void FailEverything(std::string description);
    // Logs the call; the failure it must report, if any.
    SheetStatus Enter(const std::string& operation, const std::string& arguments);
    int Count(const std::string& operation) const;
    // Calls logged for one operation, arguments only.
    std::vector<std::string> Calls(const std::string& operation) const;

    std::vector<std::string> calls;  // "Operation arguments"

  private:
    struct Failure {
        int fromCall = 1;
        std::string description;
    };
    std::map<std::string, Failure> failures_;
    std::map<std::string, int> counts_;
    std::string everything_;
    bool failEverything_ = false;
};

std::string ValueText(const CellValue& v);  // "1.5", "text", "date:45000.5", "" for empty

class RecordingChart : public Chart {
  public:
    RecordingChart(std::shared_ptr<Recording> log, ChartSpec spec);
    SheetStatus ShowRows(int firstRow, int lastRow) override;

    ChartSpec spec;  // as created, rows updated by ShowRows

  private:
    std::shared_ptr<Recording> log_;
};

class RecordingSheet : public Worksheet {
  public:
    RecordingSheet(std::shared_ptr<Recording> log, std::string name);
    std::string Name() const override { return name_; }
    SheetStatus WriteRow(int row, std::span<const CellValue> values) override;
    SheetStatus WriteCells(std::span<const CellWrite> cells) override;
    SheetResult<CellValue> ReadCell(CellRef cell) override;
    SheetStatus DefineName(const std::string& name, const std::string& formula) override;
    SheetResult<std::shared_ptr<Chart>> AddChart(const ChartSpec& spec) override;
    SheetStatus SetScrollBar(const std::string& shapeName,
                             const ScrollBarSettings& settings) override;
    SheetStatus Release() override;

    // The value of a cell ("" when empty), by A1 name: Text("F4").
    std::string Text(const std::string& a1) const;
    double Number(const std::string& a1) const;  // 0 unless a number
    void Put(const std::string& a1, CellValue v);  // as the user or the add-in would

    std::map<CellRef, CellValue> cells;
    std::map<std::string, std::string> names;  // name -> formula
    std::vector<std::shared_ptr<RecordingChart>> charts;
    std::map<std::string, ScrollBarSettings> scrollBars;  // only shapes the sheet has
    int releases = 0;

  private:
    std::shared_ptr<Recording> log_;
    std::string name_;
};

// A1 name ("F4", "AB12") to a cell; {0,0} when it is not one.
CellRef ParseA1(const std::string& a1);

class RecordingApp : public SpreadsheetApp {
  public:
    explicit RecordingApp(std::shared_ptr<Recording> log, std::string version = "7.4");
    std::string Version() override;
    SheetStatus SetStatusBar(const std::string& text) override;
    SheetStatus SetCommandBar(const std::string& barName,
                              std::span<const CommandBarControl> controls) override;

    std::vector<std::string> statusTexts;  // every text set, in order
    std::map<std::string, std::vector<CommandBarControl>> commandBars;

  private:
    std::shared_ptr<Recording> log_;
    std::string version_;
};

}  // namespace qm::sheet
