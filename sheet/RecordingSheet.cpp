#include "sheet/RecordingSheet.h"

#include <cctype>
#include <cstdio>

#include "sheet/FormulaText.h"

namespace qm::sheet {

void Recording::FailFrom(const std::string& operation, int nth, std::string description) {
    failures_[operation] = Failure{nth, std::move(description)};
}

void Recording::FailEverything(std::string description) {
    failEverything_ = true;
    everything_ = std::move(description);
}

SheetStatus Recording::Enter(const std::string& operation, const std::string& arguments) {
    calls.push_back(arguments.empty() ? operation : operation + " " + arguments);
    const int n = ++counts_[operation];
    if (failEverything_) return SheetStatus::Fail(everything_);
    const auto f = failures_.find(operation);
    if (f != failures_.end() && n >= f->second.fromCall)
        return SheetStatus::Fail(f->second.description);
    return SheetStatus::Ok();
}

int Recording::Count(const std::string& operation) const {
    const auto it = counts_.find(operation);
    return it == counts_.end() ? 0 : it->second;
}

std::vector<std::string> Recording::Calls(const std::string& operation) const {
    std::vector<std::string> out;
    const std::string prefix = operation + " ";
    for (const auto& c : calls) {
        if (c == operation)
            out.emplace_back();
        else if (c.rfind(prefix, 0) == 0)
            out.push_back(c.substr(prefix.size()));
    }
    return out;
}

std::string ValueText(const CellValue& v) {
    char buf[64];
    if (const double* d = std::get_if<double>(&v)) {
        std::snprintf(buf, sizeof buf, "%.15g", *d);
        return buf;
    }
    if (const std::string* s = std::get_if<std::string>(&v)) return *s;
    if (const DateTime* t = std::get_if<DateTime>(&v)) {
        std::snprintf(buf, sizeof buf, "date:%.10g", t->serial);
        return buf;
    }
    return {};
}

RecordingChart::RecordingChart(std::shared_ptr<Recording> log, ChartSpec s)
    : spec(std::move(s)), log_(std::move(log)) {}

SheetStatus RecordingChart::ShowRows(int firstRow, int lastRow) {
    SheetStatus s =
        log_->Enter("ShowRows", std::to_string(firstRow) + ".." + std::to_string(lastRow));
    if (s) {
        spec.firstRow = firstRow;
        spec.lastRow = lastRow;
    }
    return s;
}

RecordingSheet::RecordingSheet(std::shared_ptr<Recording> log, std::string name)
    : log_(std::move(log)), name_(std::move(name)) {}

SheetStatus RecordingSheet::WriteRow(int row, std::span<const CellValue> values) {
    std::string args = std::to_string(row);
    for (const auto& v : values) args += " | " + ValueText(v);
    SheetStatus s = log_->Enter("WriteRow", args);
    if (!s) return s;
    int column = 1;
    for (const auto& v : values) cells[CellRef{row, column++}] = v;
    return s;
}

SheetStatus RecordingSheet::WriteCells(std::span<const CellWrite> writes) {
    std::string args;
    for (const auto& w : writes) {
        if (!args.empty()) args += " ";
        args += ColumnLetters(w.cell.column) + std::to_string(w.cell.row) + "=" + ValueText(w.value);
    }
    SheetStatus s = log_->Enter("WriteCells", args);
    if (!s) return s;
    for (const auto& w : writes) cells[w.cell] = w.value;
    return s;
}

SheetResult<CellValue> RecordingSheet::ReadCell(CellRef cell) {
    SheetStatus s =
        log_->Enter("ReadCell", ColumnLetters(cell.column) + std::to_string(cell.row));
    if (!s) return s;
    const auto it = cells.find(cell);
    return it == cells.end() ? CellValue{} : it->second;
}

SheetStatus RecordingSheet::DefineName(const std::string& name, const std::string& formula) {
    SheetStatus s = log_->Enter("DefineName", name + " " + formula);
    if (s) names[name] = formula;
    return s;
}

SheetResult<std::shared_ptr<Chart>> RecordingSheet::AddChart(const ChartSpec& spec) {
    std::string args = spec.name + (spec.onDataSheet ? " on-sheet" : " own-sheet") + " rows " +
                       std::to_string(spec.firstRow) + ".." + std::to_string(spec.lastRow) +
                       " series " + ColumnLetters(spec.first.valuesColumn);
    for (const auto& s : spec.secondary) args += " secondary " + ColumnLetters(s.valuesColumn);
    SheetStatus s = log_->Enter("AddChart", args);
    if (!s) return s;
    auto chart = std::make_shared<RecordingChart>(log_, spec);
    charts.push_back(chart);
    return std::shared_ptr<Chart>(chart);
}

SheetStatus RecordingSheet::SetScrollBar(const std::string& shapeName,
                                         const ScrollBarSettings& b) {
    SheetStatus s = log_->Enter(
        "SetScrollBar", shapeName + " min " + std::to_string(b.minimum) + " max " +
                            std::to_string(b.maximum) + " small " + std::to_string(b.smallChange) +
                            " large " + std::to_string(b.largeChange) + " value " +
                            std::to_string(b.value) + " link " + AbsoluteA1(b.linkedCell));
    if (!s) return s;
    const auto it = scrollBars.find(shapeName);
    if (it == scrollBars.end())
        return SheetStatus::Fail("The item with the specified name wasn't found.");
    it->second = b;
    return s;
}

SheetStatus RecordingSheet::Release() {
    SheetStatus s = log_->Enter("Release", "");
    ++releases;
    return s;
}

CellRef ParseA1(const std::string& a1) {
    int column = 0;
    std::size_t i = 0;
    while (i < a1.size() && std::isalpha(static_cast<unsigned char>(a1[i])))
        column = column * 26 + (std::toupper(static_cast<unsigned char>(a1[i++])) - 'A' + 1);
    int row = 0;
    while (i < a1.size() && std::isdigit(static_cast<unsigned char>(a1[i])))
        row = row * 10 + (a1[i++] - '0');
    if (i != a1.size() || row == 0 || column == 0) return {0, 0};
    return {row, column};
}

std::string RecordingSheet::Text(const std::string& a1) const {
    const auto it = cells.find(ParseA1(a1));
    return it == cells.end() ? std::string() : ValueText(it->second);
}

double RecordingSheet::Number(const std::string& a1) const {
    const auto it = cells.find(ParseA1(a1));
    if (it == cells.end()) return 0;
    const double* d = std::get_if<double>(&it->second);
    return d ? *d : 0;
}

void RecordingSheet::Put(const std::string& a1, CellValue v) { cells[ParseA1(a1)] = std::move(v); }

RecordingApp::RecordingApp(std::shared_ptr<Recording> log, std::string version)
    : log_(std::move(log)), version_(std::move(version)) {}

std::string RecordingApp::Version() {
    (void)log_->Enter("Version", "");
    return version_;
}

SheetStatus RecordingApp::SetStatusBar(const std::string& text) {
    SheetStatus s = log_->Enter("SetStatusBar", text);
    if (s) statusTexts.push_back(text);
    return s;
}

SheetStatus RecordingApp::SetCommandBar(const std::string& barName,
                                        std::span<const CommandBarControl> controls) {
    std::string args = barName;
    for (const auto& c : controls)
        args += std::string(" | ") + (c.visible ? "" : "hidden ") + (c.enabled ? "" : "disabled ") +
                c.macro;
    SheetStatus s = log_->Enter("SetCommandBar", args);
    if (s) commandBars[barName].assign(controls.begin(), controls.end());
    return s;
}

}  // namespace qm::sheet
