#pragma once
// Where the suite's files live on this system: the folder that holds
// QM_TOOL.ini (the program's "Windows folder"), the shared documents folder of
// the link engine, and the program's own folder.
#include <filesystem>

namespace qm {

// The folder of the running program (from /proc/self/exe); "." if unknown.
std::filesystem::path ExecutableFolder();

// The installed data folder (<prefix>/share/qm_tool), <prefix> being the
// folder above the program's own (<prefix>/bin).
std::filesystem::path InstalledDataFolder();

// $QM_TOOL_WINDIR when set, else the installed data folder when it exists,
// else the folder of the program.
std::filesystem::path WindowsFolder();

// The same choice with its inputs given: environment value (null or empty when
// unset), installed data folder and program folder.
std::filesystem::path ChooseWindowsFolder(const char* envValue,
                                          const std::filesystem::path& installedData,
                                          const std::filesystem::path& executableFolder);

// WindowsFolder()/QM_TOOL.ini
std::filesystem::path LanguageFilePath();

// Folder shared by all users for the link engine's settings: $QM_LINK_DOCS
// when set, else $XDG_DATA_HOME, else ~/.local/share.
std::filesystem::path AllUsersDocumentsFolder();

}  // namespace qm
