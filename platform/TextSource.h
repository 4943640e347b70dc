#pragma once
// Where user-visible texts come from: the language file by key, with the
// English default when the file or the key is missing.
#include <string>
#include <string_view>

namespace qm {

class TextSource {
public:
    virtual ~TextSource() = default;
    virtual std::string GetText(std::string_view key, std::string_view englishDefault) const = 0;
};

// Always the English default (tests, and code that runs without a language file).
class EnglishTexts final : public TextSource {
public:
    std::string GetText(std::string_view, std::string_view englishDefault) const override {
        return std::string(englishDefault);
    }
};

}  // namespace qm
