#pragma once
// The sheet as the add-in lays it out before a run, for every host of the
// engine (the add-in's host qmlink, qmcli's "link log"): the headings in
// row 1 that name the chart's series, the captions of the F cells that the
// engine keeps current, the strip chart's window in F8, and the two scroll
// bars that move the strip chart.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "sheet/Spreadsheet.h"

namespace qm::link {

// Adds a form scroll bar (a file cannot hold one: its host does nothing).
using AddScrollBar = std::function<sheet::SheetStatus(const std::string& name, sheet::CellRef anchor)>;

// No window given leaves F8 as it is. The first failure is returned; the
// steps before it stay done.
sheet::SheetStatus LayOutLoggingSheet(sheet::Worksheet& sheet, std::optional<std::int32_t> chartWindow,
                                      const AddScrollBar& addScrollBar);

// F1: when the run started (the stop time counts from there).
sheet::SheetStatus WriteRunStart(sheet::Worksheet& sheet, double serial);

}  // namespace qm::link
