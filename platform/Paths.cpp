#include "platform/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

namespace qm {
namespace {

namespace fs = std::filesystem;

// An environment variable that is set to something; empty counts as unset.
const char* EnvValue(const char* name) {
    const char* v = std::getenv(name);
    return (v != nullptr && *v != '\0') ? v : nullptr;
}

fs::path HomeFolder() {
    if (const char* home = EnvValue("HOME")) return home;
    std::vector<char> buffer(16384);
    passwd pw{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr)
        return result->pw_dir;
    return ".";
}

}  // namespace

fs::path ExecutableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return ".";
    return exe.parent_path();
}

fs::path InstalledDataFolder() {
#ifdef QM_DATA_DIR_FROM_BIN
    // Found from the program's own place rather than a prefix fixed at build
    // time: the same build serves /usr (the package), /usr/local and a
    // user's own prefix.
    return (ExecutableFolder() / QM_DATA_DIR_FROM_BIN).lexically_normal();
#else
    return {};
#endif
}

fs::path ChooseWindowsFolder(const char* envValue, const fs::path& installedData,
                             const fs::path& executableFolder) {
    if (envValue != nullptr && *envValue != '\0') return envValue;
    std::error_code ec;
    if (!installedData.empty() && fs::is_directory(installedData, ec)) return installedData;
    return executableFolder;
}

fs::path WindowsFolder() {
    return ChooseWindowsFolder(EnvValue("QM_TOOL_WINDIR"), InstalledDataFolder(),
                               ExecutableFolder());
}

fs::path LanguageFilePath() {
    return WindowsFolder() / "QM_TOOL.ini";
}

fs::path AllUsersDocumentsFolder() {
    if (const char* docs = EnvValue("QM_LINK_DOCS")) return docs;
    // A relative XDG_DATA_HOME is invalid and ignored, as the XDG rules say.
    if (const char* xdg = EnvValue("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') return xdg;
    return HomeFolder() / ".local" / "share";
}

}  // namespace qm
