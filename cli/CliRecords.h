#pragma once
// qmcli burst and the records subcommands beyond "list": the Multiple
// Readings and Record View rules on the command line.
#include <string>
#include <vector>

namespace qm::cli {

// qmcli burst SLOT --count N --record R
int BurstCommand(const std::vector<std::string>& args);
// qmcli records show|stats|search|export|delete ...; any other form gets
// the usage of every records subcommand.
int RecordsSubcommand(const std::vector<std::string>& args);

}  // namespace qm::cli
