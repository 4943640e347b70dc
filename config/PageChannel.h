#pragma once
// The Device Settings page's command operation on one meter: writes a
// command and, for a query, reads one answer, keeping double quotes. Once
// the meter fails to take a command or to answer, the channel sends
// nothing more, so that a sequence stops where the meter stopped and a
// silent meter costs one timeout, not one per remaining command.
#include <functional>
#include <optional>
#include <string>

#include "instrument/SessionTable.h"

namespace qm {

// One exchange with a device slot (the session table's Device Settings
// variant of the query operation).
using PageExchangeFn = std::function<QueryResult(int slot, const std::string& command)>;

class PageChannel {
  public:
    PageChannel(PageExchangeFn exchange, int slot);

    // A command without an answer; false when it did not reach the meter.
    bool Send(const std::string& command);
    // A query; nullopt when it did not reach the meter or no answer came.
    // The identity query is never sent from the page: it answers "".
    std::optional<std::string> Ask(const std::string& command);

    // The meter stopped taking commands or answering.
    bool lost() const { return m_lost; }

  private:
    PageExchangeFn m_exchange;
    int m_slot;
    bool m_lost = false;
};

// The function keyword of a func? answer as the page compares it: line
// feeds and double quotes removed, "VOLT" and "CURR" completed with ":DC".
std::string PageFunctionKeyword(std::string_view answer);

// An answer as text to compare: line feeds, double quotes and surrounding
// blanks removed.
std::string CleanTextAnswer(std::string_view answer);

}  // namespace qm
