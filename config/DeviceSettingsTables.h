#pragma once
// Constant vocabulary of the Device Settings page: the function names of its
// function list, the range sets with their numeric values, the transducers
// and the choice lists of its second column and of the second-function
// panel. Rows follow the order of g_functionTable (config/FunctionTable.h).
#include <array>
#include <span>
#include <string_view>

#include "config/FunctionTable.h"

namespace qm {

// ---- Function list -----------------------------------------------------------

struct SettingsFunctionName {
    std::string_view languageKey;
    std::string_view defaultName;
    std::string_view pageKeyword;  // sent as "CONF:%s"
};

inline constexpr std::array<SettingsFunctionName, kFunctionRowCount> g_settingsFunctionNames{{
    {"71", "DC Voltage", "VOLT:DC"},
    {"72", "DC Current", "CURR:DC"},
    {"73", "AC Voltage", "VOLT:AC"},
    {"74", "AC Current", "CURR:AC"},
    {"75", "Resistance(2W)", "RES"},
    {"76", "Resistance(4W)", "FRES"},
    {"77", "Frequency", "FREQ"},
    {"78", "Period", "PER"},
    {"79", "Continuity", "CONT"},
    {"80", "Diode", "DIODE"},
    {"81", "TEMP", "TEMP"},
    {"82", "DC Ratio", "VOLT:RAT"},
    {"83", "TCOUPLE", "TCOUPLE"},
    {"210", "CAP", "CAP"},
}};

// The single-function model offers rows 0 to 11 only (no thermocouple, no
// capacitance).
inline constexpr int kSingleModelFunctionCount = 12;

// ---- Range sets ----------------------------------------------------------------

// One entry of a range list. value 0 stands for AUTO, and for entries that
// are not numbers (the sensor types of the temperature row).
struct RangeChoice {
    std::string_view label;
    double value;
};

enum class RangeSetKind { Basic, Standard, Extended };

inline constexpr std::string_view kAutoLabel = "AUTO";

namespace range_lists {
inline constexpr RangeChoice kDcVoltage[] = {{"AUTO", 0},    {"100m Vdc", 0.1}, {"1 Vdc", 1},
                                             {"10 Vdc", 10}, {"100 Vdc", 100},  {"1000 Vdc", 1000}};
inline constexpr RangeChoice kDcCurrentBasic[] = {
    {"AUTO", 0}, {"10m Adc", 0.01}, {"100m Adc", 0.1}, {"1 Adc", 1}, {"3 Adc", 3}};
inline constexpr RangeChoice kDcCurrent[] = {{"AUTO", 0},  {"10m Adc", 0.01}, {"100m Adc", 0.1},
                                             {"1 Adc", 1}, {"3 Adc", 3},      {"10 Adc", 10}};
inline constexpr RangeChoice kAcVoltage[] = {{"AUTO", 0},    {"100m Vac", 0.1}, {"1 Vac", 1},
                                             {"10 Vac", 10}, {"100 Vac", 100},  {"750 Vac", 750}};
inline constexpr RangeChoice kAcCurrentBasic[] = {{"AUTO", 0}, {"1 Aac", 1}, {"3 Aac", 3}};
inline constexpr RangeChoice kAcCurrent[] = {
    {"AUTO", 0}, {"1 Aac", 1}, {"3 Aac", 3}, {"10 Aac", 10}};
inline constexpr RangeChoice kResistance[] = {{"AUTO", 0},      {"100 ohm", 100},  {"1K ohm", 1e3},
                                              {"10K ohm", 1e4}, {"100K ohm", 1e5}, {"1M ohm", 1e6},
                                              {"10M ohm", 1e7}, {"100M ohm", 1e8}};
inline constexpr RangeChoice kAutoOnly[] = {{"AUTO", 0}};
inline constexpr RangeChoice kSensorsBasic[] = {
    {"PT100", 0}, {"D100", 0}, {"F100", 0}, {"PT385", 0}, {"PT3916", 0}, {"SPRTD", 0}, {"USER", 0}};
inline constexpr RangeChoice kSensors[] = {{"PT100", 0},  {"D100", 0}, {"F100", 0},  {"PT385", 0},
                                           {"PT3916", 0}, {"NTCT", 0}, {"SPRTD", 0}, {"USER", 0}};
inline constexpr RangeChoice kCapacitance[] = {{"AUTO", 0},      {"1 nF", 1e-9}, {"10 nF", 1e-8},
                                               {"100 nF", 1e-7}, {"1 uF", 1e-6}, {"10 uF", 1e-5},
                                               {"100 uF", 1e-4}};
inline constexpr RangeChoice kCapacitanceExtended[] = {
    {"AUTO", 0},     {"1 nF", 1e-9},   {"10 nF", 1e-8}, {"100 nF", 1e-7}, {"1 uF", 1e-6},
    {"10 uF", 1e-5}, {"100 uF", 1e-4}, {"1 mF", 1e-3},  {"10 mF", 1e-2}};
}  // namespace range_lists

struct FunctionRangeSets {
    std::span<const RangeChoice> basic;
    std::span<const RangeChoice> standard;
    std::span<const RangeChoice> extended;
};

// Frequency and period list the AC voltage ranges of their input; DC ratio
// those of DC voltage; the thermocouple row has no ranges (its types are
// g_thermocoupleTypes).
inline constexpr std::array<FunctionRangeSets, kFunctionRowCount> g_rangeSets{{
    {range_lists::kDcVoltage, range_lists::kDcVoltage, range_lists::kDcVoltage},
    {range_lists::kDcCurrentBasic, range_lists::kDcCurrent, range_lists::kDcCurrent},
    {range_lists::kAcVoltage, range_lists::kAcVoltage, range_lists::kAcVoltage},
    {range_lists::kAcCurrentBasic, range_lists::kAcCurrent, range_lists::kAcCurrent},
    {range_lists::kResistance, range_lists::kResistance, range_lists::kResistance},
    {range_lists::kResistance, range_lists::kResistance, range_lists::kResistance},
    {range_lists::kAcVoltage, range_lists::kAcVoltage, range_lists::kAcVoltage},
    {range_lists::kAcVoltage, range_lists::kAcVoltage, range_lists::kAcVoltage},
    {range_lists::kAutoOnly, range_lists::kAutoOnly, range_lists::kAutoOnly},
    {range_lists::kAutoOnly, range_lists::kAutoOnly, range_lists::kAutoOnly},
    {range_lists::kSensorsBasic, range_lists::kSensors, range_lists::kSensors},
    {range_lists::kDcVoltage, range_lists::kDcVoltage, range_lists::kDcVoltage},
    {{}, {}, {}},
    {range_lists::kCapacitance, range_lists::kCapacitance, range_lists::kCapacitanceExtended},
}};

// The set a model is offered: the single-function model the basic set, the
// dual-function model the standard set, or the extended one when it reports
// the 10 mF capacitance limit.
RangeSetKind RangeSetFor(bool dualFunctionModel, bool extendedCapRange);

// The range list of a row in a set; empty for a row outside 0..13.
std::span<const RangeChoice> RangeChoicesFor(int row, RangeSetKind kind);

// ---- Choice lists ----------------------------------------------------------------

// A shown entry and the text sent for it. languageKey is empty when the
// entry is not translated.
struct ChoiceEntry {
    std::string_view languageKey;
    std::string_view label;
    std::string_view valueText;
    double value;
};

// Every function record carries both transducers; only temperature uses them.
inline constexpr std::array<ChoiceEntry, 2> g_transducerChoices{{
    {"", "2W RTD", "RTD", 0},
    {"", "4W RTD", "FRTD", 0},
}};

// Resolution of the models other than the dual-function model; the value is
// the integration time sent for it.
inline constexpr std::array<ChoiceEntry, 4> g_resolutionChoices{{
    {"99", "Fast 4 Digits", "0.02", 0.02},
    {"101", "Fast 5 Digits", "0.1", 0.1},
    {"103", "Fast 6 Digits", "1", 1},
    {"104", "Slow 6 Digits", "10", 10},
}};

inline constexpr std::array<ChoiceEntry, 10> g_integrationTimeChoices{{
    {"", "0.001 PLC", "0.001", 0.001},
    {"", "0.006 PLC", "0.006", 0.006},
    {"", "0.02 PLC", "0.02", 0.02},
    {"", "0.06 PLC", "0.06", 0.06},
    {"", "0.2 PLC", "0.2", 0.2},
    {"", "0.6 PLC", "0.6", 0.6},
    {"", "1 PLC", "1", 1},
    {"", "2 PLC", "2", 2},
    {"", "10 PLC", "10", 10},
    {"", "100 PLC", "100", 100},
}};

inline constexpr std::array<ChoiceEntry, 3> g_bandwidthChoices{{
    {"96", "3 HZ", "3", 3},
    {"97", "20 HZ", "20", 20},
    {"98", "200 HZ", "200", 200},
}};

inline constexpr std::array<ChoiceEntry, 3> g_apertureChoices{{
    {"0.01", "0.01s", "0.01", 0.01},
    {"0.1", "0.1s", "0.1", 0.1},
    {"1", "1s", "1", 1},
}};

inline constexpr std::array<ChoiceEntry, 3> g_temperatureUnitChoices{{
    {"105", "C", "C", 0},
    {"106", "F", "F", 0},
    {"107", "K", "K", 0},
}};

inline constexpr std::array<std::string_view, 9> g_thermocoupleTypes{"K", "J", "R", "S", "T",
                                                                     "E", "B", "N", "C"};

// ---- Second-function panel of the dual-function model ---------------------------

// Entries of the panel's range combo for a second-function label; the unit
// takes the range's place for TCOUPL and TEMP. The capacitance list gains
// "1m F" and "10m F" with the 10 mF limit. Empty for NONE and unknown labels.
std::span<const std::string_view> SecondFunctionRangeEntries(std::string_view label,
                                                             bool extendedCapRange);

// Caption of the panel's range column: "UNIT" for TCOUPL and TEMP, else "Range".
std::string_view SecondFunctionRangeCaption(std::string_view label);

struct SecondFunctionSetting {
    std::string_view caption;  // "NPLC", "Bandwidth (Hz)", "TYPE", "SENSOR", "Aperture (s)"
    std::span<const std::string_view> entries;
};

// The setting combo of the panel: AC voltage and current the bandwidth,
// frequency and period (voltage or current based) the aperture, TCOUPL the
// type, TEMP the sensor, every other label the integration time.
SecondFunctionSetting SecondFunctionSettingFor(std::string_view label);

}  // namespace qm
