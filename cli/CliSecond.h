#pragma once
// qmcli second SLOT NAME: the second-function combo of the main window.
#include <string>
#include <vector>

namespace qm {
class MeterTool;
}

namespace qm::cli {

// Chooses NAME (an entry the combo offers for the meter's primary function,
// without regard to case) as the meter's second function, then prints the
// two status lines and the second function the meter now reports.
int SecondCommand(MeterTool& tool, const std::vector<std::string>& args);

}  // namespace qm::cli
