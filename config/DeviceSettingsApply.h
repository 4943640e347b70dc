#pragma once
// Set on the Device Settings page: the chosen function and its settings
// sent to the meter as a fixed sequence of commands, most of them checked
// by a query. A failed check shows its message and ends the sequence there;
// what was sent before stays in effect. The page then reads the meter back.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "config/DeviceSettingsLayout.h"
#include "config/PageChannel.h"
#include "config/SecondFunctionPanel.h"
#include "config/SensorParameters.h"
#include "platform/Prompter.h"
#include "platform/TextSource.h"

namespace qm {

// The fixed English messages of the sequence.
namespace apply_messages {
inline constexpr std::string_view kSecondFunctionCurrent =
    "When 2ND function is activated, the DCI range must set between 1A to 10A.\n"
    "The Range will be set to 1A.\n";
inline constexpr std::string_view kNoThermocouple = "Not support TCOUPLE.\n";
inline constexpr std::string_view kFunction = "Shift FUNCTION error.Try again.";
inline constexpr std::string_view kSensorType = "Converting data error，please retry";
inline constexpr std::string_view kThermocoupleType = "Shift TCopule TYPE error. Try again.";
inline constexpr std::string_view kUnit = "Shift UNIT error. Try again.";
inline constexpr std::string_view kAutoRange = "Shift AUTO RANGE error. Try again.";
inline constexpr std::string_view kRange = "Shift RANGE error. Try again.";
// The meter took no command or gave no answer part way.
inline constexpr std::string_view kNoAnswer =
    "The meter stopped answering. The settings after the last one it took were not sent.";
// A choice that the function does not offer (only a caller that sets the
// page's choices by value can get there).
inline constexpr std::string_view kNotOffered = "That setting is not offered for this function.";
}  // namespace apply_messages

// Everything Set takes from the page.
struct ApplyRequest {
    SettingsModel model = SettingsModel::None;
    int slot = 0;
    int row = 0;          // function row
    int rangeIndex = 0;   // combo 1010
    int columnIndex = 0;  // combo 1086
    int transducer = 0;   // combo 1210: 0 RTD, 1 FRTD
    bool extendedCapRange = false;
    std::array<std::string, kCoefficientCount> coefficientTexts;
    SecondFunctionChoice second;  // dual-function model
};

struct ApplyOutcome {
    bool completed = false;  // every step went through: read the meter back
    // The DC current range was raised to 1 A for the second function.
    std::optional<int> forcedRangeIndex;
};

// Runs the sequence. `setAutoRange` receives the main window's auto-range
// flag of the slot once the function is confirmed.
ApplyOutcome ApplySettings(PageChannel& channel, const ApplyRequest& request, Prompter& prompter,
                           const TextSource& texts,
                           const std::function<void(int slot, bool on)>& setAutoRange);

}  // namespace qm
