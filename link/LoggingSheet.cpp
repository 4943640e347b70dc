#include "link/LoggingSheet.h"

#include <utility>
#include <vector>

namespace qm::link {

namespace {

sheet::CellWrite Cell(int row, int column, sheet::CellValue value) {
    sheet::CellWrite w;
    w.cell = {row, column};
    w.value = std::move(value);
    return w;
}

}  // namespace

sheet::SheetStatus LayOutLoggingSheet(sheet::Worksheet& sheet, std::optional<std::int32_t> chartWindow,
                                      const AddScrollBar& addScrollBar) {
    const sheet::CellValue headings[] = {std::string("Time"), std::string("Reading"),
                                         std::string("Second reading")};
    sheet::SheetStatus s = sheet.WriteRow(1, headings);
    // Column E names what the engine writes beside it in column F (short
    // words: a longer one would be cut off by the value beside it).
    const std::pair<int, const char*> captions[] = {
        {1, "Start"}, {3, "Stop"}, {4, "Readings"}, {6, "Shown up to"}, {8, "Points"}};
    std::vector<sheet::CellWrite> cells;
    for (const auto& [row, text] : captions) cells.push_back(Cell(row, 5, std::string(text)));
    if (chartWindow) cells.push_back(Cell(8, 6, static_cast<double>(*chartWindow)));
    if (s) s = sheet.WriteCells(cells);
    if (s && addScrollBar) s = addScrollBar("Scroll Bar 1", {10, 6});
    if (s && addScrollBar) s = addScrollBar("Scroll Bar 2", {12, 6});
    return s;
}

sheet::SheetStatus WriteRunStart(sheet::Worksheet& sheet, double serial) {
    const sheet::CellWrite start = Cell(1, 6, sheet::DateTime{serial});
    return sheet.WriteCells({&start, 1});
}

}  // namespace qm::link
