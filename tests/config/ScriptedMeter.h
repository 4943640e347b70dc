#pragma once
// Instruments for the config tests: answers by exact command text, per
// slot, with every command recorded in the order it was sent.
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace qm::test {

class ScriptedMeters {
  public:
    void answer(int slot, const std::string& command, const std::string& reply) {
        answers_[{slot, command}] = reply;
    }
    std::string operator()(int slot, const std::string& command) {
        sent.emplace_back(slot, command);
        auto it = answers_.find({slot, command});
        return it == answers_.end() ? std::string() : it->second;
    }
    // Commands sent to any slot, in order.
    std::vector<std::string> commands() const {
        std::vector<std::string> c;
        for (const auto& s : sent) c.push_back(s.second);
        return c;
    }

    std::vector<std::pair<int, std::string>> sent;

  private:
    std::map<std::pair<int, std::string>, std::string> answers_;
};

}  // namespace qm::test
