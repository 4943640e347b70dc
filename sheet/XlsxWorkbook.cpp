#include "sheet/XlsxWorkbook.h"

#include <xlsxwriter.h>

#include <cctype>
#include <map>
#include <vector>

#include "sheet/FormulaText.h"
#include "sheet/XlsxRowStore.h"

namespace qm::sheet {

namespace {

class XlsxSheet;

class XlsxChart : public Chart {
  public:
    explicit XlsxChart(ChartSpec s) : spec(std::move(s)) {}
    SheetStatus ShowRows(int firstRow, int lastRow) override {
        spec.firstRow = firstRow;
        spec.lastRow = lastRow;
        return SheetStatus::Ok();
    }
    ChartSpec spec;
};

SheetStatus Written() { return SheetStatus::Fail("The workbook has already been written."); }

}  // namespace

struct XlsxWorkbook::Impl {
    std::string path;
    std::vector<std::shared_ptr<XlsxSheet>> sheets;
    bool written = false;
    SheetStatus outcome;
    SheetStatus WriteFile();
};

namespace {

class XlsxSheet : public Worksheet {
  public:
    XlsxSheet(std::weak_ptr<XlsxWorkbook::Impl> book, std::string name)
        : book_(std::move(book)), name_(std::move(name)) {}

    std::string Name() const override { return name_; }

    SheetStatus WriteRow(int row, std::span<const CellValue> values) override {
        if (Closed()) return Written();
        if (row > rows_.lastRow()) {
            // Readings arrive in row order: they go to the temporary file.
            for (int c = 1; c <= static_cast<int>(values.size()); ++c) side_.erase({row, c});
            if (!rows_.Append(row, values))
                return SheetStatus::Fail(rows_.error().empty() ? "cannot store the row"
                                                               : rows_.error());
            return SheetStatus::Ok();
        }
        int c = 1;
        for (const CellValue& v : values) side_[{row, c++}] = v;
        return SheetStatus::Ok();
    }

    SheetStatus WriteCells(std::span<const CellWrite> cells) override {
        if (Closed()) return Written();
        for (const CellWrite& w : cells) side_[w.cell] = w.value;
        return SheetStatus::Ok();
    }

    SheetResult<CellValue> ReadCell(CellRef cell) override {
        if (const auto it = side_.find(cell); it != side_.end()) return it->second;
        if (cell.row == rows_.lastRow() && cell.column >= 1 &&
            cell.column <= static_cast<int>(rows_.lastValues().size()))
            return rows_.lastValues()[static_cast<std::size_t>(cell.column - 1)];
        return CellValue{};
    }

    SheetStatus DefineName(const std::string& name, const std::string& formula) override {
        if (Closed()) return Written();
        names_[name] = formula;
        return SheetStatus::Ok();
    }

    SheetResult<std::shared_ptr<Chart>> AddChart(const ChartSpec& spec) override {
        if (Closed()) return Written();
        auto chart = std::make_shared<XlsxChart>(spec);
        charts_.push_back(chart);
        return std::shared_ptr<Chart>(chart);
    }

    SheetStatus SetScrollBar(const std::string&, const ScrollBarSettings&) override {
        // The file has no live controls: the linked cells carry the values.
        return SheetStatus::Ok();
    }

    SheetStatus Release() override {
        const auto book = book_.lock();
        return book ? book->WriteFile() : SheetStatus::Fail("The workbook is gone.");
    }

    SheetStatus WriteInto(lxw_workbook* wb, lxw_worksheet* ws, lxw_format* dateFormat,
                          int& chartSheets);

  private:
    bool Closed() const {
        const auto book = book_.lock();
        return !book || book->written;
    }
    std::weak_ptr<XlsxWorkbook::Impl> book_;
    std::string name_;
    XlsxRowStore rows_;
    std::map<CellRef, CellValue> side_;  // cells written out of row order
    std::map<std::string, std::string> names_;
    std::vector<std::shared_ptr<XlsxChart>> charts_;
};

lxw_error WriteValue(lxw_worksheet* ws, int row, int column, const CellValue& v,
                     lxw_format* dateFormat) {
    const auto r = static_cast<lxw_row_t>(row - 1);
    const auto c = static_cast<lxw_col_t>(column - 1);
    if (const double* d = std::get_if<double>(&v)) return worksheet_write_number(ws, r, c, *d, nullptr);
    if (const auto* t = std::get_if<DateTime>(&v))
        return worksheet_write_number(ws, r, c, t->serial, dateFormat);
    if (const auto* s = std::get_if<std::string>(&v))
        return worksheet_write_string(ws, r, c, s->c_str(), nullptr);
    return LXW_NO_ERROR;
}

std::string ColumnRange(const std::string& qualifier, int column, int first, int last) {
    const std::string letters = "$" + ColumnLetters(column) + "$";
    return "=" + qualifier + "!" + letters + std::to_string(first) + ":" + letters +
           std::to_string(last);
}

SheetStatus XlsxSheet::WriteInto(lxw_workbook* wb, lxw_worksheet* ws, lxw_format* dateFormat,
                                 int& chartSheets) {
    // Streamed rows and out-of-order cells, merged in row order; a cell
    // written out of order later wins over the streamed one.
    if (!rows_.Rewind()) return SheetStatus::Fail(rows_.error());
    int streamedRow = 0;
    std::vector<CellValue> streamed;
    bool more = rows_.Next(streamedRow, streamed);
    auto side = side_.begin();
    while (more || side != side_.end()) {
        const int row = !more ? side->first.row
                        : side == side_.end() ? streamedRow
                                              : std::min(streamedRow, side->first.row);
        std::map<int, const CellValue*> cells;
        if (more && streamedRow == row)
            for (std::size_t i = 0; i < streamed.size(); ++i) cells[static_cast<int>(i) + 1] = &streamed[i];
        for (; side != side_.end() && side->first.row == row; ++side) cells[side->first.column] = &side->second;
        for (const auto& [column, value] : cells)
            if (const lxw_error e = WriteValue(ws, row, column, *value, dateFormat); e != LXW_NO_ERROR)
                return SheetStatus::Fail(lxw_strerror(e));
        if (more && streamedRow == row) more = rows_.Next(streamedRow, streamed);
    }

    const std::string qualifier = SheetQualifier(name_);
    for (const auto& [name, given] : names_) {
        // The writer takes formulas of up to 128 characters: the sheet's own
        // names are written without their sheet prefix, which they do not
        // need inside another name of the same sheet.
        std::string formula = given;
        for (const auto& [other, unused] : names_) {
            const std::string prefixed = qualifier + "!" + other;
            for (auto at = formula.find(prefixed); at != std::string::npos; at = formula.find(prefixed, at)) {
                const std::size_t end = at + prefixed.size();
                const bool whole = end >= formula.size() ||
                                   !(std::isalnum(static_cast<unsigned char>(formula[end])) || formula[end] == '_');
                if (whole)
                    formula.erase(at, qualifier.size() + 1);
                else
                    at = end;
            }
        }
        const std::string scoped = qualifier + "!" + name;
        if (const lxw_error e = workbook_define_name(wb, scoped.c_str(), formula.c_str());
            e != LXW_NO_ERROR)
            return SheetStatus::Fail("name " + name + ": " + lxw_strerror(e));
    }

    for (const auto& chart : charts_) {
        const ChartSpec& s = chart->spec;
        lxw_chart* c = workbook_add_chart(wb, LXW_CHART_LINE);
        if (!c) return SheetStatus::Fail("cannot add the chart");
        std::vector<ChartSeries> all{s.first};
        all.insert(all.end(), s.secondary.begin(), s.secondary.end());
        for (const ChartSeries& series : all) {
            const std::string values = ColumnRange(qualifier, series.valuesColumn, s.firstRow, s.lastRow);
            lxw_chart_series* added = chart_add_series(c, nullptr, values.c_str());
            if (!added) return SheetStatus::Fail("cannot add a chart series");
            const std::string nameRef = "=" + qualifier + "!" + AbsoluteA1(series.nameCell);
            chart_series_set_name(added, nameRef.c_str());
            chart_series_set_marker_type(added, LXW_CHART_MARKER_AUTOMATIC);
        }
        chart_axis_set_label_position(c->x_axis, LXW_CHART_AXIS_LABEL_POSITION_LOW);
        lxw_error e = LXW_NO_ERROR;
        if (s.onDataSheet) {
            e = worksheet_insert_chart(ws, static_cast<lxw_row_t>(s.anchor.row - 1),
                                       static_cast<lxw_col_t>(s.anchor.column - 1), c);
        } else {
            const std::string sheetName = "Chart" + std::to_string(++chartSheets);
            lxw_chartsheet* cs = workbook_add_chartsheet(wb, sheetName.c_str());
            e = cs ? chartsheet_set_chart(cs, c) : LXW_ERROR_MEMORY_MALLOC_FAILED;
        }
        if (e != LXW_NO_ERROR) return SheetStatus::Fail(std::string("chart: ") + lxw_strerror(e));
    }
    return SheetStatus::Ok();
}

}  // namespace

SheetStatus XlsxWorkbook::Impl::WriteFile() {
    if (written) return outcome;
    written = true;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
    if (!wb) return outcome = SheetStatus::Fail("cannot create " + path);
    lxw_format* dateFormat = workbook_add_format(wb);
    format_set_num_format(dateFormat, "yyyy/mm/dd hh:mm:ss");
    std::vector<lxw_worksheet*> worksheets;
    for (const auto& s : sheets) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, s->Name().c_str());
        if (!ws) {
            workbook_close(wb);
            return outcome = SheetStatus::Fail("cannot add the sheet " + s->Name());
        }
        worksheets.push_back(ws);
    }
    int chartSheets = 0;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        outcome = sheets[i]->WriteInto(wb, worksheets[i], dateFormat, chartSheets);
        if (!outcome) break;
    }
    const lxw_error closed = workbook_close(wb);
    if (outcome && closed != LXW_NO_ERROR)
        outcome = SheetStatus::Fail("cannot write " + path + ": " + lxw_strerror(closed));
    return outcome;
}

XlsxWorkbook::XlsxWorkbook(std::string path) : impl_(std::make_shared<Impl>()) {
    impl_->path = std::move(path);
}

XlsxWorkbook::~XlsxWorkbook() = default;

std::shared_ptr<XlsxWorkbook> XlsxWorkbook::Create(std::string path) {
    return std::shared_ptr<XlsxWorkbook>(new XlsxWorkbook(std::move(path)));
}

std::shared_ptr<Worksheet> XlsxWorkbook::AddSheet(const std::string& name) {
    std::string chosen = name.empty() ? "Sheet" + std::to_string(impl_->sheets.size() + 1) : name;
    auto sheet = std::make_shared<XlsxSheet>(impl_, chosen);
    impl_->sheets.push_back(sheet);
    return sheet;
}

SheetStatus XlsxWorkbook::Write() { return impl_->WriteFile(); }
bool XlsxWorkbook::written() const { return impl_->written; }
const std::string& XlsxWorkbook::path() const { return impl_->path; }

}  // namespace qm::sheet
