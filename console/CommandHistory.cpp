#include "console/CommandHistory.h"

#include <algorithm>

namespace qm {

void CommandHistory::Add(std::string_view command) {
    const auto same = std::find(m_entries.begin(), m_entries.end(), command);
    if (same != m_entries.end()) m_entries.erase(same);
    m_entries.insert(m_entries.begin(), std::string(command));
    if (m_entries.size() > kConsoleHistorySize) m_entries.resize(kConsoleHistorySize);
}

const std::string* CommandHistory::At(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size()) return nullptr;
    return &m_entries[static_cast<std::size_t>(index)];
}

}  // namespace qm
