#pragma once
// The two status lines of the main window ("Function : ..." and the range
// line), computed from what the instrument answers. Nothing here keeps
// state: the caller hands in a query function bound to the shown device.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "config/FunctionTable.h"

namespace qm {

// Runs the shared query operation on one device: writes the command and,
// for a query, returns the answer with double quotes removed and trailing
// white space trimmed; empty on failure and for plain writes.
using QueryFn = std::function<std::string(const std::string& command)>;

// Value text of a range: "%.0fm" of v*1000 below 1, "%.0fM" of v/1e6 from
// 1e6 on, "%.0fK" of v/1000 from 1000 on, else "%.0f" (0.1 -> "100m",
// 1e6 -> "1M", 1500000 -> "2M").
std::string RangeValueText(double value);

// Value text of a capacitance range: "%.0f n" up to 1e-7, "%.0f u" up to
// 1e-4, "%.0f m" up to 0.01, else "%.0f" (1e-8 -> "10 n", 0.01 -> "10 m").
std::string CapacitanceValueText(double value);

// Range line of rows 0 to 7 (and of DC ratio, shown as DC voltage):
// "Range : AUTO" when the slot was put into auto range, else
// "Range : <value>  <unit>" (two blanks). The 750 V AC range reports itself
// as 1000, so "1K" on an AC voltage input ("VOLT:AC", "FREQ:VOLT",
// "PER:VOLT") reads "Range : 750 VAC".
std::string NumericRangeLine(int row, std::string_view function, double value, bool autoRangeFlag);

// Range line of capacitance: "Range : AUTO" or "Range : <value>F".
std::string CapacitanceRangeLine(double value, bool autoRangeFlag);

struct FunctionDisplayTexts {
    int row = -1;                     // row of g_functionTable
    std::string functionText;         // "Function : <label>"
    std::string rangeText;            // range, type or empty
    bool secondFunctionNone = false;  // single-function model: no second function
};

// Asks the instrument for its function, auto-range state and range, in this
// order: "func?\n"; the auto-range query of the function (none for
// continuity, diode, temperature, thermocouple); then the range or type
// query of the row. nullopt means that nothing on the screen changes: the
// instrument gave no func? answer, or an answer that names no known
// function (then nothing further is asked). `identity` is the shown
// device's identification text; `autoRangeFlag` the slot's auto-range flag.
std::optional<FunctionDisplayTexts> ComputeFunctionDisplay(const QueryFn& query,
                                                           std::string_view identity,
                                                           bool autoRangeFlag);

}  // namespace qm
