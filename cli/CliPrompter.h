#pragma once
// Messages of the shared core, on a terminal: texts go to standard error;
// a Yes/No question is answered Yes only when --yes was given, otherwise it
// is printed and answered No, and the command remembers that it was declined.
#include <cstdio>
#include <string>

#include "platform/Prompter.h"

namespace qm::cli {

class CliPrompter : public Prompter {
public:
    explicit CliPrompter(bool assumeYes) : assumeYes_(assumeYes) {}

    PromptAnswer message(const PromptMessage& m) override {
        std::string line;
        if (!m.caption.empty()) line = m.caption + ": ";
        line += m.text;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (m.buttons == PromptButtons::YesNo) {
            if (assumeYes_) {
                std::fprintf(stderr, "%s [yes]\n", line.c_str());
                return PromptAnswer::Yes;
            }
            std::fprintf(stderr, "%s\n", line.c_str());
            declined_ = true;
            return PromptAnswer::No;
        }
        std::fprintf(stderr, "%s\n", line.c_str());
        ++shown_;
        return PromptAnswer::Ok;
    }

    bool declined() const { return declined_; }
    int shown() const { return shown_; }

private:
    bool assumeYes_;
    bool declined_ = false;
    int shown_ = 0;
};

}  // namespace qm::cli
