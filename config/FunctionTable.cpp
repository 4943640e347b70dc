#include "config/FunctionTable.h"

#include <cstddef>

namespace qm {

std::string StripLineEndsAndQuotes(std::string_view answer) {
    std::string cleaned;
    cleaned.reserve(answer.size());
    for (char c : answer) {
        if (c != '\n' && c != '\r' && c != '"') cleaned.push_back(c);
    }
    return cleaned;
}

std::string NormaliseFunctionAnswer(std::string_view answer) {
    std::string f = StripLineEndsAndQuotes(answer);
    if (f == "VOLT" || f == "CURR") {
        f += ":DC";
    } else if (f == "FREQ" || f == "PER") {
        f += ":VOLT";
    }
    return f;
}

std::optional<int> FunctionRowFromAnswer(std::string_view answer) {
    const std::string f = NormaliseFunctionAnswer(answer);
    for (int row = 0; row < kFunctionRowCount; ++row) {
        if (std::string_view(f).starts_with(g_functionTable[row].keyword)) return row;
    }
    return std::nullopt;
}

std::string_view SecondFunctionKeywordForLabel(std::string_view label) {
    for (int row = 0; row < kSecondFunctionNoneRow; ++row) {
        if (g_secondFunctionPairs[row].label == label) return g_secondFunctionPairs[row].keyword;
    }
    return g_secondFunctionPairs[kSecondFunctionNoneRow].keyword;
}

std::string_view SecondFunctionLabelForKeyword(std::string_view keyword) {
    for (int row = 0; row < kSecondFunctionNoneRow; ++row) {
        if (g_secondFunctionPairs[row].keyword == keyword) return g_secondFunctionPairs[row].label;
    }
    return g_secondFunctionPairs[kSecondFunctionNoneRow].label;
}

const FunctionButton* FunctionButtonById(int controlId) {
    for (const FunctionButton& button : g_functionButtons) {
        if (button.controlId == controlId) return &button;
    }
    return nullptr;
}

const FunctionButton* FunctionButtonByName(std::string_view name) {
    for (const FunctionButton& button : g_functionButtons) {
        if (EqualsIgnoringCase(button.caption, name)) return &button;
    }
    return nullptr;
}

const FunctionButton* FunctionButtonForRow(int row) {
    for (const FunctionButton& button : g_functionButtons) {
        if (button.row == row) return &button;
    }
    return nullptr;
}

}  // namespace qm
