#include "cli/CliConsole.h"

#include <unistd.h>

#include <cstdio>

#include "app/MeterTool.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompter.h"
#include "console/CommandConsole.h"
#include "instrument/SessionTable.h"
#include "platform/Clock.h"
#include "platform/TextSource.h"

namespace qm::cli {

namespace {

// One line of input without its line end; false at the end of the input.
// Only the first characters of an over-long line are kept: enough for the
// console to refuse it, however long the line is.
bool ReadCommandLine(std::FILE* in, std::string& line) {
    line.clear();
    int c = std::fgetc(in);
    if (c == EOF) return false;
    for (; c != EOF && c != '\n'; c = std::fgetc(in))
        if (line.size() <= kConsoleCommandLimit + 1) line.push_back(static_cast<char>(c));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace

int ConsoleCommand(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fputs("qmcli: usage: qmcli console SLOT\n", stderr);
        return 2;
    }
    CliPrompter prompter(false);
    EnglishTexts texts;
    MeterTool tool(prompter, texts, systemClock());
    tool.Refresh(/*selectFirst=*/false);
    const int slot = SlotArgument(tool, args[1]);
    if (slot < 0) return 2;

    CommandConsole console(texts);
    console.SetDevices(tool.devices());
    console.Open();
    const bool interactive = isatty(STDIN_FILENO) != 0;
    if (interactive) {
        std::string label = tool.LabelOf(slot);
        label.erase(0, label.find_first_not_of(' '));
        std::fprintf(stderr,
                     "Slot %d: %s. One command per line; a command with '?' is answered. "
                     "Ctrl-D ends.\n",
                     slot, label.c_str());
    }

    int status = 0;
    std::string line;
    for (;;) {
        if (interactive) std::fputs("> ", stderr);
        if (!ReadCommandLine(stdin, line)) break;
        // Blank lines keep scripts readable; they are not commands.
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        const ConsoleResult r =
            IsQueryCommand(line) ? console.Query(slot, line) : console.Write(slot, line);
        if (r.ok()) {
            if (!r.received.empty()) std::printf("%s\n", r.received.c_str());
        } else {
            std::fprintf(stderr, "qmcli: %s\n", r.received.c_str());
            status = 1;
        }
        std::fflush(stdout);
    }
    if (interactive) std::fputc('\n', stderr);
    return status;
}

}  // namespace qm::cli
