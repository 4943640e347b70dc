#include "config/ModelCapabilities.h"

#include "config/FunctionTable.h"

namespace qm {

namespace {

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

}  // namespace

std::string DisplayTextFor(std::string_view label) {
    std::size_t at = label.find("MODEL TX41");
    if (at != std::string_view::npos && at >= 1) return std::string(label.substr(at + 6));
    at = label.find("VDM-TX43");
    if (at != std::string_view::npos && at >= 1) return std::string(label.substr(at + 4));
    return std::string(label);
}

ModelCapabilities CapabilitiesFor(std::string_view displayText, bool multiMode) {
    ModelCapabilities caps;
    // TCOUPL is shown again for both known models, so that an unknown model
    // selected earlier (which hides it) does not hide it for good.
    caps.tcouplVisible = true;
    if (Contains(displayText, "TX42")) {
        caps.model = MeterModel::DualFunction;
        caps.capEnabled = true;
        caps.tcouplEnabled = true;
        caps.secondLabelVisible = true;
        caps.secondMarkersVisible = true;
        caps.secondComboVisible = true;
    } else if (Contains(displayText, "TX41")) {
        caps.model = MeterModel::SingleFunction;
    } else if (!multiMode) {
        caps.tcouplVisible = false;
    } else {
        // Multi-device mode keeps the second-function column in place but
        // offers nothing in it for this device.
        caps.secondLabelVisible = true;
        caps.secondMarkersVisible = true;
        caps.secondComboVisible = true;
        caps.secondComboEnabled = false;
    }
    return caps;
}

bool ButtonOffered(const ModelCapabilities& capabilities, int row) {
    if (row == kRowCapacitance) return capabilities.capEnabled;
    if (row == kRowThermocouple) return capabilities.tcouplEnabled;
    return true;
}

}  // namespace qm
