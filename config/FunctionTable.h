#pragma once
// The measurement function vocabulary shared by the main window, the live
// reading loop and the Device Settings page. Row order is significant: a row
// index names the same function in every table of this folder, and several
// lookups scan the rows in order.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/AsciiCase.h"

namespace qm {

// One function as the instruments configure and report it.
struct FunctionEntry {
    std::string_view keyword;    // SCPI keyword ("VOLT:DC")
    std::string_view label;      // short label on status lines and captions ("DCV")
    std::string_view rangeUnit;  // unit after the range value ("VDC"); may be empty
};

inline constexpr int kFunctionRowCount = 14;

// Rows addressed by number elsewhere.
enum FunctionRow : int {
    kRowDcVoltage = 0,
    kRowDcCurrent = 1,
    kRowAcVoltage = 2,
    kRowAcCurrent = 3,
    kRowResistance2W = 4,
    kRowResistance4W = 5,
    kRowFrequency = 6,
    kRowPeriod = 7,
    kRowContinuity = 8,
    kRowDiode = 9,
    kRowTemperature = 10,
    kRowDcRatio = 11,
    kRowThermocouple = 12,
    kRowCapacitance = 13,
};

// Frequency and period carry VAC: their range is the AC voltage range of the
// input signal.
inline constexpr std::array<FunctionEntry, kFunctionRowCount> g_functionTable{{
    {"VOLT:DC", "DCV", "VDC"},
    {"CURR:DC", "DCI", "ADC"},
    {"VOLT:AC", "ACV", "VAC"},
    {"CURR:AC", "ACI", "AAC"},
    {"RES", "2W", "Ohm"},
    {"FRES", "4W", "Ohm"},
    {"FREQ", "FREQ", "VAC"},
    {"PER", "PERIOD", "VAC"},
    {"CONT", "CONT", "Ohm"},
    {"DIOD", "DIOD", ""},
    {"TEMP", "TEMP", ""},
    {"VOLT:RAT", "DC Ratio", ""},
    {"TCO", "TCOUPL", ""},
    {"CAP", "CAP", ""},
}};

// One of the 13 function buttons of the main window. DC ratio (row 11) has
// no button. The command is sent with a line feed appended.
struct FunctionButton {
    int controlId;
    std::string_view caption;  // also the name `qmcli function` accepts
    std::string_view command;
    bool autoRange;  // the slot's auto-range flag after a press
    int row;         // row of g_functionTable
};

inline constexpr std::array<FunctionButton, 13> g_functionButtons{{
    {1078, "DCV", "CONF:VOLT:DC", true, kRowDcVoltage},
    {1087, "DCI", "CONF:CURR:DC", true, kRowDcCurrent},
    {1079, "ACV", "CONF:VOLT:AC", true, kRowAcVoltage},
    {1088, "ACI", "CONF:CURR:AC", true, kRowAcCurrent},
    {1080, "2W", "CONF:RES", true, kRowResistance2W},
    {1089, "4W", "CONF:FRES", true, kRowResistance4W},
    {1081, "FREQ", "CONF:FREQ", true, kRowFrequency},
    {1090, "PERIOD", "CONF:PER", true, kRowPeriod},
    {1082, "CONT", "CONF:CONT", true, kRowContinuity},
    {1091, "DIODE", "CONF:DIOD", true, kRowDiode},  // caption differs from the label DIOD
    {1083, "TEMP", "CONF:TEMP", false, kRowTemperature},
    {1092, "TCOUPL", "CONF:TCO", false, kRowThermocouple},
    {1093, "CAP", "CONF:CAP", false, kRowCapacitance},
}};

// Labels of the second display of the dual-function model and the keywords
// that func? and func2? report for them. Row 13 ("NONE") is what every
// lookup yields when nothing else matches.
struct SecondFunctionPair {
    std::string_view label;
    std::string_view keyword;
};

inline constexpr int kSecondFunctionNoneRow = 13;

inline constexpr std::array<SecondFunctionPair, 14> g_secondFunctionPairs{{
    {"DCV", "VOLT"},
    {"DCI", "CURR"},
    {"RES", "RES"},
    {"FRES", "FRES"},
    {"ACV", "VOLT:AC"},
    {"ACI", "CURR:AC"},
    {"FREQ", "FREQ"},
    {"PERIOD", "PER"},
    {"CURR FREQ", "FREQ:CURR"},
    {"CURR PERIOD", "PER:CURR"},
    {"CAP", "CAP"},
    {"TCOUPL", "TCO"},
    {"TEMP", "TEMP"},
    {"NONE", "NONE"},
}};

inline constexpr std::string_view kNoneLabel = "NONE";

// Removes line feeds, carriage returns and double quotes, the way answers
// are compared everywhere.
std::string StripLineEndsAndQuotes(std::string_view answer);

// A func? answer made comparable with g_functionTable: cleaned, and the bare
// keywords completed ("VOLT" -> "VOLT:DC", "CURR" -> "CURR:DC",
// "FREQ" -> "FREQ:VOLT", "PER" -> "PER:VOLT").
std::string NormaliseFunctionAnswer(std::string_view answer);

// First row, scanning from row 0, whose keyword starts the normalised
// answer ("FRES" is row 5, not row 4). nullopt when no row matches.
std::optional<int> FunctionRowFromAnswer(std::string_view answer);

// Pair-table lookups by whole string over rows 0 to 12; "NONE" otherwise.
std::string_view SecondFunctionKeywordForLabel(std::string_view label);
std::string_view SecondFunctionLabelForKeyword(std::string_view keyword);

// Button lookups; nullptr when there is no such button. Names compare
// without regard to ASCII case ("dcv", "Diode").
const FunctionButton* FunctionButtonById(int controlId);
const FunctionButton* FunctionButtonByName(std::string_view name);
const FunctionButton* FunctionButtonForRow(int row);

}  // namespace qm
