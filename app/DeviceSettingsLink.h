#pragma once
// What the Device Settings page gets from the main window's core: the
// devices of the last discovery, the page's query operation on their
// sessions, and the window's auto-range flags.
#include "config/DeviceSettingsPage.h"

namespace qm {

class MeterTool;

DeviceSettingsLink DeviceSettingsLinkFor(MeterTool& tool);

}  // namespace qm
