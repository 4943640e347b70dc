#pragma once
// A scripted meter behind the Device Settings page's exchange: every
// command is recorded, queries read the scripted answer (empty when none),
// and from the command named in `silentFrom` on nothing reaches it.
#include <optional>
#include <string>
#include <vector>

#include "ScriptedMeter.h"
#include "config/PageChannel.h"

namespace qm::test {

struct ScriptedPageMeter {
    ScriptedMeters meters;
    std::optional<std::string> silentFrom;
    bool silent = false;

    void answer(const std::string& command, const std::string& reply) {
        meters.answer(0, command, reply);
    }
    std::vector<std::string> commands() const { return meters.commands(); }

    PageExchangeFn exchange() {
        return [this](int slot, const std::string& command) {
            QueryResult r;
            if (silentFrom && command == *silentFrom) silent = true;
            if (silent) {
                r.writeStatus = VI_ERROR_CONN_LOST;
                return r;
            }
            r.answer = meters(slot, command);
            r.sent = true;
            r.readAttempted = IsQueryCommand(command);
            return r;
        };
    }
    PageChannel channel() { return PageChannel(exchange(), 0); }
};

}  // namespace qm::test
