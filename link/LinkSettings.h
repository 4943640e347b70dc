#pragma once
// The engine's settings file, <all-users documents>/Varnet Instruments/TX42/
// QM_TOOL.ini, with the section "Information" and the language sections.
#include <filesystem>
#include <string>

#include "link/EngineState.h"

namespace qm::link {

inline constexpr const char* kInformationSection = "Information";

// The path the settings file must have; empty when the documents folder is unknown.
std::filesystem::path SettingsFilePath();
// GetINI: the path when the file exists; else the message and "".
std::string SettingsFile(EngineState& e);
// SaveSetting: the logging parameters into "Information".
bool SaveLoggingSettings(EngineState& e);
// Shortest decimal text of a number ("1.5", "30000", "0").
std::string NumberText(double v);

}  // namespace qm::link
