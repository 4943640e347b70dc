#pragma once
// Reading a meter's present settings into the Device Settings page: which
// queries are asked for each function and how each answer selects an entry.
// An answer that matches no entry leaves that selection as it was (the
// fields stay empty); a meter that stops answering ends the read-back.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "config/DeviceSettingsLayout.h"
#include "config/PageChannel.h"
#include "config/SensorParameters.h"

namespace qm {

using CoefficientTexts = std::array<std::optional<std::string>, kCoefficientCount>;

struct PrimaryReadBack {
    std::optional<int> row;  // function row the meter reports
    std::optional<int> columnIndex;
    std::optional<bool> extendedCapRange;
    std::optional<int> rangeIndex;  // range, sensor or thermocouple type
    std::optional<int> transducer;  // 0 "2W RTD", 1 "4W RTD"
    CoefficientTexts coefficients;  // texts for the edits of the sensor read
};

// The "Get Multimeter Setting" operation. `currentRow` and
// `extendedCapRange` are the page's selections, used where the meter's
// answer selects nothing.
PrimaryReadBack ReadInstrumentSettings(PageChannel& channel, SettingsModel model, int currentRow,
                                       bool extendedCapRange);

// The present coefficients of a sensor type, formatted for the edits.
CoefficientTexts ReadCoefficients(PageChannel& channel, std::string_view sensor);

// The entry of `entries` whose value the numeric answer names; nullopt when
// none does (AUTO entries never match a number).
std::optional<int> MatchRangeAnswer(std::span<const RangeChoice> entries, std::string_view answer);
std::optional<int> MatchChoiceAnswer(std::span<const ChoiceEntry> entries, std::string_view answer);

}  // namespace qm
