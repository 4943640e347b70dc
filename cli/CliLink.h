#pragma once
// qmcli link: the link engine from the command line, driving the same
// members of DMMLinkQM.Application that a spreadsheet add-in calls.
#include <string>
#include <vector>

namespace qm::cli {

// args[0] is "link".
int LinkCommand(const std::vector<std::string>& args);

}  // namespace qm::cli
