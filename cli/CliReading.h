#pragma once
// qmcli read: the live reading loop of the window, driven from the terminal.
#include <string>
#include <vector>

#include "visa/visa.h"

namespace qm {
class MeterTool;
}

namespace qm::cli {

class CliPrompter;

struct ReadOptions {
    std::string slotText;
    long count = 0;
    int intervalMs = 25;  // the window's default reading speed
    int record = 0;       // 0: not saved
    bool assumeYes = false;
    // --slots: two to four meters read at once, in this order (multi-device
    // mode); --records: the record of each (0: not saved).
    std::vector<std::string> slotTexts;
    std::vector<int> records;
};

bool ParseReadOptions(const std::vector<std::string>& args, ReadOptions& out, std::string& problem);
// The live reading loop: one output line per tick, each meter's fields
// tab-separated in reading order. Returns the exit status.
int ReadCommand(MeterTool& tool, CliPrompter& prompter, const ReadOptions& options);
void PrintStatusProblem(const char* what, ViStatus status);

}  // namespace qm::cli
