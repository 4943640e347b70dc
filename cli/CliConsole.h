#pragma once
// qmcli console: the command console on standard input and output.
#include <string>
#include <vector>

namespace qm::cli {

// qmcli console SLOT: one command per line from standard input; each answer
// is printed on standard output as it comes. Returns the exit status.
int ConsoleCommand(const std::vector<std::string>& args);

}  // namespace qm::cli
