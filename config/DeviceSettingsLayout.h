#pragma once
// What the Device Settings page offers for each function and meter model:
// the function list, the entries and captions of the range combo and of the
// second column, and which optional controls a function shows.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/DeviceSettingsTables.h"
#include "platform/TextSource.h"

namespace qm {

// The model tag of the page: a TX42 in the identity (which includes the
// QMTX42) is the dual-function model, a TX41 the single-function model.
enum class SettingsModel { None, Single, Dual };
SettingsModel SettingsModelFor(std::string_view identity);

// How many rows of the function list a model offers: all 14 on the
// dual-function model, rows 0 to 11 on the single-function model (no
// thermocouple, no capacitance), none for another meter.
int OfferedFunctionCount(SettingsModel model);

// The shown function names of the offered rows, from the language file.
std::vector<std::string> FunctionNames(SettingsModel model, const TextSource& texts);

// The second column (combo 1086) by function row.
enum class ColumnKind { None, Resolution, Bandwidth, Aperture, Unit };
ColumnKind ColumnKindFor(int row);

// A language text: key and English default.
struct CaptionText {
    std::string_view key;
    std::string_view fallback;
};

// Caption of the range combo (1013): "Sensor" for temperature and "TYPE"
// for the thermocouple (both key 89), "Range" (key 87) otherwise.
CaptionText RangeCaptionFor(int row);
// Caption of the second column (1085).
CaptionText ColumnCaptionFor(ColumnKind kind);

// Entries of the range combo (1010): the range list of the model's set, the
// sensor types for temperature, the types K, J, R, S, T, E, B, N, C for the
// thermocouple. The single-function model gets the basic set; the dual one
// the standard set, or the extended one with the 10 mF capacitance limit.
std::span<const RangeChoice> RangeEntriesFor(int row, SettingsModel model, bool extendedCapRange);

// Entries of the second column: the resolutions of the single-function
// model or the integration times of the dual one, the bandwidths, the
// apertures or the temperature units; empty for ColumnKind::None.
std::span<const ChoiceEntry> ColumnEntriesFor(ColumnKind kind, SettingsModel model);
// Their shown texts (language texts where the entry has a key).
std::vector<std::string> ColumnLabels(ColumnKind kind, SettingsModel model,
                                      const TextSource& texts);

// Whether an entry of a range list is the AUTO entry.
bool IsAutoEntry(const RangeChoice& choice);

// The row of the allowed second functions (g_secondFunctionRows) that a
// primary function row uses; kSecondRowNone for those without any.
int SecondFunctionRowOf(int row);

// Equality of two instrument numbers, tolerant of the rounding of their
// text forms.
bool SameNumber(double a, double b);
// A reported range equals a listed one; the 750 V AC range reports itself
// as 1000.
bool SameRange(double reported, double listed);

}  // namespace qm
