#pragma once
// The console's history: the last 20 distinct commands sent, most recent
// first. Sending a command again moves it to the top instead of adding it twice.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

inline constexpr std::size_t kConsoleHistorySize = 20;

class CommandHistory {
  public:
    // The first entry equal to `command` (exact, case-sensitive) goes, the
    // command goes in at the top, and the oldest falls off past 20 entries.
    void Add(std::string_view command);
    void Clear() { m_entries.clear(); }

    const std::vector<std::string>& entries() const { return m_entries; }
    bool empty() const { return m_entries.empty(); }
    // The entry at `index`, or nullptr when there is none.
    const std::string* At(int index) const;

  private:
    std::vector<std::string> m_entries;
};

}  // namespace qm
