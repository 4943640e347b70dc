#pragma once
// The host's single instance: a local socket in a folder only this user can
// open. A second qmlink hands its command over and ends.
#include <string>
#include <string_view>

namespace qm::linkhost {

// $XDG_RUNTIME_DIR/qmlink, else /tmp/qmlink-<uid>; created mode 0700 and
// refused when it is not a folder of this user's with that mode.
std::string HostFolder(std::string* problem);

// One request line: "command NAME" (NAME: letters and digits, at most 64).
// Returns NAME, or "" for a line that is not a request.
std::string ParseRequest(std::string_view line);

}  // namespace qm::linkhost
