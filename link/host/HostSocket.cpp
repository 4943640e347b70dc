#include "link/host/HostSocket.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

namespace qm::linkhost {

std::string HostFolder(std::string* problem) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = runtime && *runtime ? std::string(runtime) + "/qmlink"
                                                   : "/tmp/qmlink-" + std::to_string(getuid());
    ::mkdir(folder.c_str(), 0700);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
        (st.st_mode & 077) != 0) {
        if (problem) *problem = folder + " is not a private folder of this user";
        return {};
    }
    return folder;
}

std::string ParseRequest(std::string_view line) {
    constexpr std::string_view prefix = "command ";
    if (line.substr(0, prefix.size()) != prefix) return {};
    std::string_view name = line.substr(prefix.size());
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.remove_suffix(1);
    if (name.empty() || name.size() > 64) return {};
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) return {};
    return std::string(name);
}

}  // namespace qm::linkhost
