#pragma once
// What the link engine touches in a spreadsheet, whichever program holds it:
// a live LibreOffice Calc document, an .xlsx file being written, or the
// recording sheet of the tests. Errors are values with the backend's own
// description; nothing is thrown across this interface.
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace qm::sheet {

// 1-based, as the sheet shows them: A1 is row 1, column 1.
struct CellRef {
    int row = 1;
    int column = 1;
    bool operator==(const CellRef&) const = default;
    auto operator<=>(const CellRef&) const = default;
};

// A date and time as spreadsheets keep it: days since 1899-12-30 00:00 in
// local time, the fraction being the time of day.
struct DateTime {
    double serial = 0;
    bool operator==(const DateTime&) const = default;
};

using CellValue = std::variant<std::monostate, double, std::string, DateTime>;

struct CellWrite {
    CellRef cell;
    CellValue value;
};

class [[nodiscard]] SheetStatus {
  public:
    SheetStatus() = default;
    static SheetStatus Ok() { return {}; }
    static SheetStatus Fail(std::string description) {
        SheetStatus s;
        s.ok_ = false;
        s.description_ = std::move(description);
        return s;
    }
    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const std::string& description() const { return description_; }

  private:
    bool ok_ = true;
    std::string description_;
};

template <class T>
class [[nodiscard]] SheetResult {
  public:
    SheetResult(T value) : value_(std::move(value)) {}
    SheetResult(const SheetStatus& failed) : status_(failed) {}
    bool ok() const { return status_.ok(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return value_; }
    T& value() { return value_; }
    const SheetStatus& status() const { return status_; }
    const std::string& description() const { return status_.description(); }

  private:
    T value_{};
    SheetStatus status_;
};

// A line chart with markers over the readings of one sheet: the first series
// is named by one heading cell and takes its values from one column, an
// optional second series (its own heading and column) is drawn against a
// secondary value axis. The categories are the reading numbers.
struct ChartSeries {
    CellRef nameCell;
    int valuesColumn = 2;
};

struct ChartSpec {
    std::string name;  // the chart object's name
    ChartSeries first;
    std::vector<ChartSeries> secondary;  // none or one
    bool onDataSheet = true;             // else on a sheet of its own
    CellRef anchor{2, 8};                // top-left cell when on the data sheet
    int firstRow = 2;                    // data rows shown now
    int lastRow = 2;
};

class Chart {
  public:
    virtual ~Chart() = default;
    // The series now cover rows firstRow..lastRow of their columns.
    virtual SheetStatus ShowRows(int firstRow, int lastRow) = 0;
};

struct ScrollBarSettings {
    int minimum = 1;
    int maximum = 1;
    int smallChange = 1;
    int largeChange = 5;
    int value = 1;
    CellRef linkedCell;
};

class Worksheet {
  public:
    virtual ~Worksheet() = default;
    virtual std::string Name() const = 0;
    // One row from column A on, in one operation.
    virtual SheetStatus WriteRow(int row, std::span<const CellValue> values) = 0;
    // A few scattered cells (the counter cells), in as few operations as the
    // backend can manage.
    virtual SheetStatus WriteCells(std::span<const CellWrite> cells) = 0;
    virtual SheetResult<CellValue> ReadCell(CellRef cell) = 0;
    // A name scoped to this sheet; `formula` starts with "=" and is written
    // as the .xlsx file stores it: A1 references, "," between arguments,
    // sheet prefixes as Sheet1!$A$1 or 'My sheet'!Name.
    virtual SheetStatus DefineName(const std::string& name, const std::string& formula) = 0;
    virtual SheetResult<std::shared_ptr<Chart>> AddChart(const ChartSpec& spec) = 0;
    // The form scroll bar of that name on this sheet.
    virtual SheetStatus SetScrollBar(const std::string& shapeName,
                                     const ScrollBarSettings& settings) = 0;
    // The engine is done with the sheet: a file backend writes its file.
    virtual SheetStatus Release() = 0;
};

// One control of the add-in's command bar.
struct CommandBarControl {
    std::string macro;  // the macro it runs
    std::string tip;
    bool visible = true;
    bool enabled = true;
    bool operator==(const CommandBarControl&) const = default;
};

// The spreadsheet program as the engine sees it.
class SpreadsheetApp {
  public:
    virtual ~SpreadsheetApp() = default;
    // "7.4" for LibreOffice 7.4; the engine uses the number before the point.
    virtual std::string Version() = 0;
    virtual SheetStatus SetStatusBar(const std::string& text) = 0;
    // The command bar of that name gets these controls, in order.
    virtual SheetStatus SetCommandBar(const std::string& barName,
                                      std::span<const CommandBarControl> controls) = 0;
};

}  // namespace qm::sheet
