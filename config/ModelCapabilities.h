#pragma once
// What the main window offers for the selected device, decided from its
// display text: the capacitance and thermocouple buttons and the
// second-function controls belong to the dual-function model.
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// The device label as shown in the first device line: a label whose model
// field reads "MODEL TX41" or "VDM-TX43" (after the leading blank) is cut to
// start at the model number. A label that starts with one of them is kept.
std::string DisplayTextFor(std::string_view label);

enum class MeterModel { SingleFunction, DualFunction, Other };

struct ModelCapabilities {
    MeterModel model = MeterModel::Other;
    bool capEnabled = false;     // button CAP (1093)
    bool tcouplEnabled = false;  // button TCOUPL (1092)
    bool tcouplVisible = true;
    bool secondLabelVisible = false;  // "Measurement Function :" label 1197
    bool secondLabelEnabled = true;
    bool secondMarkersVisible = false;  // markers 1226 and 1227
    bool secondComboVisible = false;    // second-function combo 1019
    // nullopt: the combo keeps the enabled state its last rebuild gave it.
    std::optional<bool> secondComboEnabled;
};

// Rules by display text: "TX42" (which includes QMTX42) is the dual-function
// model, "TX41" the single-function model; another model hides the second
// function in single-device mode and shows it disabled in multi-device mode.
ModelCapabilities CapabilitiesFor(std::string_view displayText, bool multiMode);

// Whether the function button of a g_functionTable row can be pressed on
// that device (capacitance and thermocouple belong to the dual-function model).
bool ButtonOffered(const ModelCapabilities& capabilities, int row);

}  // namespace qm
