#pragma once
// The host's single instance: a local socket in a folder only this user can
// open. A second qmlink hands its command over and ends; a script of the
// same user (the suite's tests among them) may drive the forms there too.
#include <optional>
#include <string>
#include <string_view>

namespace qm::linkhost {

// $XDG_RUNTIME_DIR/qmlink, else /tmp/qmlink-<uid>; created mode 0700 and
// refused when it is not a folder of this user's with that mode.
std::string HostFolder(std::string* problem);

// One request line (names: letters and digits, at most 64 each):
//   command NAME           a toolbar command, NAME its macro
//   press FORM CONTROL     a button of a shown form, as a click on it
//   select FORM LIST ROW   row ROW (1-based) of a list on a shown form, as a click on it
struct HostRequest {
    enum class Kind { Command, Press, Select };
    Kind kind = Kind::Command;
    std::string name;  // Command: the macro; otherwise the form
    std::string control;
    int row = 0;
};
std::optional<HostRequest> ParseHostRequest(std::string_view line);

// The NAME of a "command NAME" line; "" for any other line.
std::string ParseRequest(std::string_view line);

}  // namespace qm::linkhost
