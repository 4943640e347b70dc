#pragma once
#include <string>
#include <vector>

namespace qm {
class MeterTool;
}

namespace qm::cli {

// Runs one command (args[0] is its name); returns the exit status.
int RunCommand(const std::vector<std::string>& args);

// A whole number of decimal digits within [min, max]; false otherwise.
bool ParseNumber(const std::string& text, long min, long max, long& out);
// Parses a slot number argument; -1 when it is not a number.
int ParseSlot(const std::string& text);
// The slot argument, checked against what discovery found; -1 (after saying
// why on standard error) when there is no such meter.
int SlotArgument(const MeterTool& tool, const std::string& text);

}  // namespace qm::cli
