#pragma once
// Every message the user sees goes through a Prompter: the window shows a
// message box, qmcli prints to standard error, tests record and script it.
#include <cstdint>
#include <optional>
#include <string>

namespace qm {

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, YesNo };
enum class PromptAnswer { Ok, Yes, No };

struct PromptMessage {
    std::string text;
    std::string caption;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    bool defaultNo = false;  // a Yes/No question whose default button is No
};

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows a message and waits for the answer (Ok for an OK-only box).
    virtual PromptAnswer message(const PromptMessage& m) = 0;
    // Colour chooser; nullopt when cancelled.
    virtual std::optional<Rgb> chooseColour(Rgb initial) { (void)initial; return std::nullopt; }
    // File-save chooser; nullopt when cancelled.
    virtual std::optional<std::string> chooseSaveFile(const std::string& suggestedName,
                                                      const std::string& filter) {
        (void)suggestedName; (void)filter; return std::nullopt;
    }
    // Wait cursor around long work.
    virtual void beginWait() {}
    virtual void endWait() {}
    // Opens a web address or document with the desktop's handler.
    virtual void openExternal(const std::string& address) { (void)address; }

    // Shorthands.
    PromptAnswer warn(const std::string& text, const std::string& caption = {}) {
        return message({text, caption, PromptIcon::Warning, PromptButtons::Ok});
    }
    PromptAnswer error(const std::string& text, const std::string& caption) {
        return message({text, caption, PromptIcon::Error, PromptButtons::Ok});
    }
    bool askYesNo(const std::string& text, const std::string& caption = {},
                  PromptIcon icon = PromptIcon::Question) {
        return message({text, caption, icon, PromptButtons::YesNo}) == PromptAnswer::Yes;
    }
};

// RAII wait cursor.
class WaitCursor {
public:
    explicit WaitCursor(Prompter& p) : p_(p) { p_.beginWait(); }
    ~WaitCursor() { p_.endWait(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    Prompter& p_;
};

}  // namespace qm
