#include "cli/CliCommands.h"

#include <cstdio>
#include <cstdlib>

#include "app/MeterTool.h"
#include "cli/CliConsole.h"
#include "cli/CliLink.h"
#include "cli/CliPrompter.h"
#include "cli/CliReading.h"
#include "cli/CliSettings.h"
#include "cli/CliRecords.h"
#include "cli/CliSecond.h"
#include "config/FunctionTable.h"
#include "instrument/Discovery.h"
#include "instrument/SessionTable.h"
#include "platform/Clock.h"
#include "platform/TextSource.h"
#include "records/RecordLabels.h"

namespace qm::cli {

bool ParseNumber(const std::string& text, long min, long max, long& out) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    out = std::atol(text.c_str());
    return out >= min && out <= max;
}

int ParseSlot(const std::string& text) {
    long slot = 0;
    return ParseNumber(text, 0, 999, slot) ? static_cast<int>(slot) : -1;
}


namespace {

int ListCommand(const MeterTool& tool) {
    if (tool.devices().empty()) {
        std::fputs("No Device Connected\n", stderr);
        return 2;
    }
    for (std::size_t i = 0; i < tool.devices().size(); ++i) {
        const auto& s = tool.devices()[i];
        std::printf("%zu\t%s\t%s\t%s\n", i, s.label.c_str(), s.descriptor.c_str(),
                    s.identity.c_str());
    }
    return 0;
}

}  // namespace

int SlotArgument(const MeterTool& tool, const std::string& text) {
    const int slot = ParseSlot(text);
    if (tool.devices().empty()) {
        std::fputs("No Device Connected\n", stderr);
        return -1;
    }
    if (slot < 0 || slot >= static_cast<int>(tool.devices().size())) {
        std::fprintf(stderr, "qmcli: no meter in slot %s (%zu found)\n", text.c_str(),
                     tool.devices().size());
        return -1;
    }
    return slot;
}

namespace {

int QueryCommand(MeterTool& tool, const std::vector<std::string>& args) {
    if (args.size() != 3) {
        std::fputs("qmcli: usage: qmcli query SLOT COMMAND\n", stderr);
        return 2;
    }
    const int slot = SlotArgument(tool, args[1]);
    if (slot < 0) return 2;
    std::string command = args[2];
    if (command.empty() || command.back() != '\n') command += '\n';
    const QueryResult r = tool.sessions().QueryEx(slot, command);
    if (!r.refusal.empty()) {
        std::fprintf(stderr, "qmcli: %s\n", r.refusal.c_str());
        return 2;
    }
    if (!r.sent) {
        PrintStatusProblem("write failed", r.writeStatus);
        return 1;
    }
    if (!r.readAttempted) return 0;
    if (r.readStatus < VI_SUCCESS) {
        PrintStatusProblem("no answer", r.readStatus);
        return 1;
    }
    std::printf("%s\n", r.answer.c_str());
    return 0;
}

int PrintStatusLines(const MeterTool& tool, const FunctionDisplayUpdate& update, int slot) {
    if (!update.changed) {
        std::fprintf(stderr, "qmcli: the meter in slot %d did not report its function\n", slot);
        return 1;
    }
    std::printf("%s\n%s\n", update.functionText.c_str(), update.rangeText.c_str());
    (void)tool;
    return 0;
}

int StatusCommand(MeterTool& tool, const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fputs("qmcli: usage: qmcli status SLOT\n", stderr);
        return 2;
    }
    const int slot = SlotArgument(tool, args[1]);
    if (slot < 0) return 2;
    const SelectionView selection = tool.OnDeviceListSelChange(slot);
    return PrintStatusLines(tool, selection.display, slot);
}

int FunctionCommand(MeterTool& tool, const std::vector<std::string>& args) {
    if (args.size() != 3) {
        std::fputs("qmcli: usage: qmcli function SLOT NAME\n", stderr);
        return 2;
    }
    const int slot = SlotArgument(tool, args[1]);
    if (slot < 0) return 2;
    if (!FunctionButtonByName(args[2])) {
        std::fprintf(stderr,
                     "qmcli: unknown function \"%s\" (one of DCV DCI ACV ACI 2W 4W FREQ PERIOD "
                     "CONT DIODE TEMP TCOUPL CAP)\n",
                     args[2].c_str());
        return 2;
    }
    const SelectionView selection = tool.OnDeviceListSelChange(slot);
    // The window disables the buttons a model does not have; so does qmcli.
    const FunctionButton* button = FunctionButtonByName(args[2]);
    if (!ButtonOffered(selection.capabilities, button->row)) {
        std::fprintf(stderr, "qmcli: %s is not offered by the meter in slot %d\n",
                     std::string(button->caption).c_str(), slot);
        return 2;
    }
    const auto result = tool.PressFunctionButton(args[2]);
    if (!result || !result->sent) return 1;
    return PrintStatusLines(tool, result->display, slot);
}

int RecordsCommand(const std::vector<std::string>& args) {
    // Every other form, a bare "records" included, is the subcommands' to
    // run or to answer with their usage.
    if (args.size() != 2 || args[1] != "list") return RecordsSubcommand(args);
    const auto entries = ListRecordViewEntries();
    if (!entries.ok()) {
        std::fprintf(stderr, "qmcli: %s\n", entries.error().message.c_str());
        return 1;
    }
    for (const auto& e : entries.value()) {
        std::printf("%s\n", e.label.c_str());
        if (e.unreadable) std::fprintf(stderr, "qmcli: %s\n", e.problem.c_str());
    }
    return 0;
}

}  // namespace

int RunCommand(const std::vector<std::string>& args) {
    const std::string& name = args[0];
    if (name == "records") return RecordsCommand(args);
    if (name == "console") return ConsoleCommand(args);
    if (name == "settings" || name == "set") return SettingsCommand(args);
    if (name == "burst") return BurstCommand(args);
    if (name == "link") return LinkCommand(args);
    const bool known = name == "list" || name == "query" || name == "status" ||
                       name == "function" || name == "second" || name == "read";
    if (!known) {
        std::fprintf(stderr, "qmcli: unknown command \"%s\" (see qmcli --help)\n", name.c_str());
        return 2;
    }
    ReadOptions readOptions;
    if (name == "read") {
        std::string problem;
        if (!ParseReadOptions(args, readOptions, problem)) {
            std::fprintf(stderr, "qmcli: %s\n", problem.c_str());
            return 2;
        }
    }

    CliPrompter prompter(readOptions.assumeYes);
    EnglishTexts texts;
    MeterTool tool(prompter, texts, systemClock());
    tool.Refresh(/*selectFirst=*/name != "list" && name != "query");
    if (name == "list") return ListCommand(tool);
    if (name == "query") return QueryCommand(tool, args);
    if (name == "status") return StatusCommand(tool, args);
    if (name == "function") return FunctionCommand(tool, args);
    if (name == "second") return SecondCommand(tool, args);
    return ReadCommand(tool, prompter, readOptions);
}

}  // namespace qm::cli
