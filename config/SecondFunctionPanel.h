#pragma once
// The second-function panel of the Device Settings page (dual-function
// model): the commands that apply the chosen second function with its range
// and setting, and the read-back that selects what the meter reports.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/PageChannel.h"

namespace qm {

// A range entry of the panel as a number text: the unit words VAC, AAC and
// OHM dropped, the capacitance units "m F", "u F", "n F" written E-3, E-6,
// E-9, and the multipliers M, K, m, u, n written out ("1K OHM" -> "1000",
// "10n F" -> "10E-9", "0.1 V" -> "0.1 V").
std::string SecondRangeNumberText(std::string_view entry);

// What the panel shows besides the function label.
struct SecondFunctionChoice {
    std::string label = "NONE";
    int rangeIndex = 0;    // combo 1017 (the unit for TCOUPL and TEMP)
    int settingIndex = 0;  // combo 1016
    int transducer = 0;    // combo 1208 (temperature): 0 RTD, 1 FRTD
};

// The commands of the second function, in order, starting with
// Function2 "<keyword>". A range of AUTO first asks "<keyword>:range?" and
// leaves the 10 A range through the 1 A range, as the primary does.
// Returns false when the meter stopped taking commands.
bool ApplySecondFunction(PageChannel& channel, const SecondFunctionChoice& choice,
                         bool extendedCapRange);

struct SecondSettingsReadBack {
    std::optional<int> rangeIndex;
    std::optional<int> settingIndex;
    std::optional<int> transducer;
};

// The present range and setting of a second function as the meter reports
// them (nothing for NONE).
SecondSettingsReadBack ReadSecondFunctionSettings(PageChannel& channel, std::string_view label2,
                                                  bool extendedCapRange);

// The label of the meter's func2? answer ("NONE" for anything unknown);
// nullopt when the meter did not answer.
std::optional<std::string> ReadSecondFunctionLabel(PageChannel& channel);

}  // namespace qm
