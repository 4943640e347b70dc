#include "config/PageChannel.h"

#include <utility>

#include "config/FunctionTable.h"

namespace qm {

PageChannel::PageChannel(PageExchangeFn exchange, int slot)
    : m_exchange(std::move(exchange)), m_slot(slot) {}

bool PageChannel::Send(const std::string& command) {
    if (m_lost || !m_exchange) return false;
    const QueryResult r = m_exchange(m_slot, command);
    if (!r.sent) m_lost = true;
    return !m_lost;
}

std::optional<std::string> PageChannel::Ask(const std::string& command) {
    if (command.find("*IDN?") != std::string::npos) return std::string();
    if (m_lost || !m_exchange) return std::nullopt;
    const QueryResult r = m_exchange(m_slot, command);
    if (!r.sent || !r.readAttempted || r.readStatus < VI_SUCCESS) {
        m_lost = true;
        return std::nullopt;
    }
    return r.answer;
}

std::string PageFunctionKeyword(std::string_view answer) {
    std::string f = CleanTextAnswer(answer);
    if (f == "VOLT" || f == "CURR") f += ":DC";
    return f;
}

std::string CleanTextAnswer(std::string_view answer) {
    std::string text = StripLineEndsAndQuotes(answer);
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace qm
