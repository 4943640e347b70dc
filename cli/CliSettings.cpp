#include "cli/CliSettings.h"

#include <cstdio>

#include "app/DeviceSettingsLink.h"
#include "app/MeterTool.h"
#include "cli/CliCommands.h"
#include "cli/CliPrompter.h"
#include "config/DeviceSettingsNames.h"
#include "platform/Clock.h"
#include "platform/TextSource.h"

namespace qm::cli {

namespace {

void PrintLines(const DeviceSettingsPage& page) {
    for (const NamedSetting& line : SettingsLines(page))
        std::printf("%s\t%s\n", line.name.c_str(), line.value.c_str());
}

bool ParseAssignments(const std::vector<std::string>& args, std::vector<NamedSetting>& out) {
    for (std::size_t i = 2; i < args.size(); ++i) {
        const auto eq = args[i].find('=');
        if (eq == std::string::npos || eq == 0) {
            std::fprintf(stderr, "qmcli: \"%s\" is not NAME=VALUE\n", args[i].c_str());
            return false;
        }
        out.push_back({args[i].substr(0, eq), args[i].substr(eq + 1)});
    }
    return true;
}

}  // namespace

int SettingsCommand(const std::vector<std::string>& args) {
    const bool set = args[0] == "set";
    std::vector<NamedSetting> assignments;
    if ((!set && args.size() != 2) || (set && args.size() < 3)) {
        std::fputs(set ? "qmcli: usage: qmcli set SLOT NAME=VALUE ...\n"
                       : "qmcli: usage: qmcli settings SLOT\n",
                   stderr);
        return 2;
    }
    if (!ParseAssignments(args, assignments)) return 2;

    CliPrompter prompter(false);
    EnglishTexts texts;
    MeterTool tool(prompter, texts, systemClock());
    tool.Refresh(/*selectFirst=*/false);
    if (tool.devices().empty()) {
        std::fputs("No Device Connected\n", stderr);
        return 2;
    }
    const int slot = ParseSlot(args[1]);
    if (slot < 0 || slot >= static_cast<int>(tool.devices().size())) {
        std::fprintf(stderr, "qmcli: no meter in slot %s (%zu found)\n", args[1].c_str(),
                     tool.devices().size());
        return 2;
    }

    DeviceSettingsPage page(DeviceSettingsLinkFor(tool), prompter, texts);
    page.OnInitDialog();
    page.OnDeviceSelChange(slot);
    if (page.model() == SettingsModel::None) {
        std::fprintf(stderr, "qmcli: the meter in slot %d has no settings page\n", slot);
        return 2;
    }
    if (set) {
        if (const auto problem = ChooseNamedSettings(page, assignments)) {
            std::fprintf(stderr, "qmcli: %s; nothing was set\n", problem->c_str());
            return 2;
        }
        // The page's messages reach standard error through the prompter.
        if (!page.OnSet()) return 1;
    }
    PrintLines(page);
    return 0;
}

}  // namespace qm::cli
