#pragma once
// The Device Settings page's choices by name, for scripting: what the page
// shows as name/value lines, and choosing entries by name and value.
#include <optional>
#include <string>
#include <vector>

#include "config/DeviceSettingsPage.h"

namespace qm {

struct NamedSetting {
    std::string name;
    std::string value;
};

// One line per setting the page shows for the selected function, in page
// order: device, function, range (sensor for temperature, type for the
// thermocouple), the second column (resolution, bandwidth, aperture or
// unit), transducer and the sensor's coefficients, and on the dual-function
// model function2 with its range (unit2 for temperatures) and setting.
std::vector<NamedSetting> SettingsLines(const DeviceSettingsPage& page);

// Chooses the entries named by `settings` on the page, the function and the
// second function first. Values are matched without regard to case, by
// their shown text or by the value sent for them ("range=0.1",
// "resolution=0.02", "transducer=FRTD"); coefficients take the text as
// typed (Set checks it). Returns what is wrong (nothing is chosen then
// beyond the function) or nullopt.
std::optional<std::string> ChooseNamedSettings(DeviceSettingsPage& page,
                                               const std::vector<NamedSetting>& settings);

}  // namespace qm
