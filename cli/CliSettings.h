#pragma once
// qmcli settings / set: the Device Settings page from the terminal.
#include <string>
#include <vector>

namespace qm::cli {

// "settings SLOT" and "set SLOT NAME=VALUE ..."; returns the exit status.
int SettingsCommand(const std::vector<std::string>& args);

}  // namespace qm::cli
