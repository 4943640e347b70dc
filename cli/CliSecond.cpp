#include "cli/CliSecond.h"

#include <cstdio>

#include "app/MeterTool.h"
#include "cli/CliCommands.h"
#include "config/FunctionTable.h"

namespace qm::cli {

int SecondCommand(MeterTool& tool, const std::vector<std::string>& args) {
    if (args.size() != 3) {
        std::fputs("qmcli: usage: qmcli second SLOT NAME\n", stderr);
        return 2;
    }
    const int slot = SlotArgument(tool, args[1]);
    if (slot < 0) return 2;
    const SelectionView selection = tool.OnDeviceListSelChange(slot);
    if (!selection.display.changed) {
        std::fprintf(stderr, "qmcli: the meter in slot %d did not report its function\n", slot);
        return 1;
    }
    // The window offers the combo on the dual-function model only, and fills
    // it for the primary function shown.
    const std::optional<SecondFunctionList>& list = selection.display.secondList;
    if (selection.capabilities.model != MeterModel::DualFunction || !list) {
        std::fprintf(stderr, "qmcli: the meter in slot %d has no second function\n", slot);
        return 2;
    }
    const std::string primary =
        selection.display.row >= 0 && selection.display.row < static_cast<int>(g_functionTable.size())
            ? std::string(g_functionTable[static_cast<std::size_t>(selection.display.row)].label)
            : selection.display.functionText;
    if (!list->enabled) {
        std::fprintf(stderr, "qmcli: no second function is offered with the primary function %s\n", primary.c_str());
        return 2;
    }
    const std::string* entry = nullptr;
    std::string offered;
    for (const std::string& e : list->entries) {
        if (EqualsIgnoringCase(e, args[2])) entry = &e;
        offered += (offered.empty() ? "" : ", ") + e;
    }
    if (entry == nullptr) {
        std::fprintf(stderr, "qmcli: \"%s\" is not offered as second function with the primary function %s "
                     "(one of %s)\n",
                     args[2].c_str(), primary.c_str(), offered.c_str());
        return 2;
    }
    tool.BeginOperation();
    tool.function().OnSecondFunctionSelChange(*entry);
    std::printf("%s\n%s\nMeasurement Function : %s\n", tool.function().functionText().c_str(),
                tool.function().rangeText().c_str(), tool.function().secondFunction().c_str());
    return 0;
}

}  // namespace qm::cli
