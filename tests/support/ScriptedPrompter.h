#pragma once
// A Prompter for tests: records every message with its caption, icon and
// buttons, and answers Yes/No questions from a script (Yes when the script
// runs dry, unless told otherwise).
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/Prompter.h"

namespace qm::test {

class ScriptedPrompter : public Prompter {
public:
    PromptAnswer message(const PromptMessage& m) override {
        messages.push_back(m);
        if (m.buttons == PromptButtons::Ok) return PromptAnswer::Ok;
        if (!answers.empty()) {
            PromptAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return defaultAnswer;
    }
    std::optional<Rgb> chooseColour(Rgb) override {
        if (colours.empty()) return std::nullopt;
        Rgb c = colours.front();
        colours.pop_front();
        return c;
    }
    std::optional<std::string> chooseSaveFile(const std::string&, const std::string&) override {
        if (saveFiles.empty()) return std::nullopt;
        std::string f = saveFiles.front();
        saveFiles.pop_front();
        return f;
    }
    void beginWait() override { ++waitDepth; ++waitCount; }
    void endWait() override { --waitDepth; }
    void openExternal(const std::string& address) override { opened.push_back(address); }

    const PromptMessage& last() const { return messages.back(); }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& m : messages) t.push_back(m.text);
        return t;
    }

    std::vector<PromptMessage> messages;
    std::deque<PromptAnswer> answers;
    PromptAnswer defaultAnswer = PromptAnswer::Yes;
    std::deque<Rgb> colours;
    std::deque<std::string> saveFiles;
    std::vector<std::string> opened;
    int waitDepth = 0;
    int waitCount = 0;
};

}  // namespace qm::test
