#include "cli/CliCommands.h"

#include <cstdio>
#include <cstdlib>

#include "instrument/Discovery.h"
#include "instrument/SessionTable.h"

namespace qm::cli {

int ParseSlot(const std::string& text) {
    if (text.empty() || text.size() > 3) return -1;
    for (char c : text)
        if (c < '0' || c > '9') return -1;
    return std::atoi(text.c_str());
}

namespace {

void PrintStatusProblem(const char* what, ViStatus status) {
    if (status == VI_ERROR_TMO) {
        std::fprintf(stderr, "qmcli: %s: the meter did not answer in time (timeout)\n", what);
    } else if (status == VI_ERROR_CONN_LOST) {
        std::fprintf(stderr, "qmcli: %s: the connection to the meter was lost\n", what);
    } else {
        char desc[256] = {};
        viStatusDesc(VI_NULL, status, desc);
        std::fprintf(stderr, "qmcli: %s: %s\n", what, desc);
    }
}

int ListCommand(SessionTable& sessions, const DiscoveryResult& found) {
    (void)sessions;
    if (found.slots.empty()) {
        std::fputs("No Device Connected\n", stderr);
        return 2;
    }
    for (std::size_t i = 0; i < found.slots.size(); ++i) {
        const auto& s = found.slots[i];
        std::printf("%zu\t%s\t%s\t%s\n", i, s.label.c_str(), s.descriptor.c_str(),
                    s.identity.c_str());
    }
    return 0;
}

int QueryCommand(SessionTable& sessions, const DiscoveryResult& found,
                 const std::vector<std::string>& args) {
    if (args.size() != 3) {
        std::fputs("qmcli: usage: qmcli query SLOT COMMAND\n", stderr);
        return 2;
    }
    const int slot = ParseSlot(args[1]);
    if (slot < 0 || slot >= static_cast<int>(found.slots.size())) {
        std::fprintf(stderr, "qmcli: no meter in slot %s (%zu found)\n", args[1].c_str(),
                     found.slots.size());
        return 2;
    }
    std::string command = args[2];
    if (command.empty() || command.back() != '\n') command += '\n';
    const QueryResult r = sessions.QueryEx(slot, command);
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

}  // namespace

int RunCommand(const std::vector<std::string>& args) {
    const std::string& name = args[0];
    if (name != "list" && name != "query") {
        std::fprintf(stderr, "qmcli: unknown command \"%s\" (see qmcli --help)\n", name.c_str());
        return 2;
    }
    SessionTable sessions;
    const DiscoveryResult found = DiscoverInstruments(sessions);
    if (name == "list") return ListCommand(sessions, found);
    return QueryCommand(sessions, found, args);
}

}  // namespace qm::cli
