#include "link/host/HostSocket.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <vector>

namespace qm::linkhost {

namespace {

constexpr std::size_t kLongestName = 64;

bool IsName(std::string_view word) {
    if (word.empty() || word.size() > kLongestName) return false;
    for (char c : word)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

// The line's words, split at single blanks; the line end is dropped.
std::vector<std::string_view> Words(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    std::vector<std::string_view> words;
    while (words.size() < 5) {
        const auto blank = line.find(' ');
        words.push_back(line.substr(0, blank));
        if (blank == std::string_view::npos) break;
        line.remove_prefix(blank + 1);
    }
    return words;
}

}  // namespace

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

std::optional<HostRequest> ParseHostRequest(std::string_view line) {
    const std::vector<std::string_view> w = Words(line);
    for (std::size_t i = 1; i < w.size() && i < 3; ++i)
        if (!IsName(w[i])) return std::nullopt;
    HostRequest r;
    if (w[0] == "command" && w.size() == 2) {
        r.name = w[1];
        return r;
    }
    if (w[0] == "press" && w.size() == 3) {
        r.kind = HostRequest::Kind::Press;
    } else if (w[0] == "select" && w.size() == 4) {
        r.kind = HostRequest::Kind::Select;
        if (w[3].empty() || w[3].size() > 5) return std::nullopt;
        for (char c : w[3])
            if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        r.row = std::atoi(std::string(w[3]).c_str());
        if (r.row < 1) return std::nullopt;
    } else {
        return std::nullopt;
    }
    r.name = w[1];
    r.control = w[2];
    return r;
}

std::string ParseRequest(std::string_view line) {
    const auto r = ParseHostRequest(line);
    return r && r->kind == HostRequest::Kind::Command ? r->name : std::string();
}

}  // namespace qm::linkhost
