#include "config/SecondFunction.h"

#include <cstddef>

namespace qm {

namespace {

constexpr std::string_view kNone = "NONE";
constexpr std::string_view kThermocouple = "TCOUPL";

bool IsQmtx42(std::string_view identity) {
    return identity.find("QMTX42") != std::string_view::npos;
}

}  // namespace

int SecondFunctionRowFor(std::string_view functionText) {
    for (int row = 0; row < kSecondRowNone; ++row) {
        if (functionText.find(g_secondFunctionRows[row][0]) != std::string_view::npos) return row;
    }
    return kSecondRowNone;
}

bool SecondFunctionOffered(int row, std::string_view identity) {
    if (row < 0 || row >= kSecondRowNone) return false;
    const auto entries = g_secondFunctionRows[row];
    return !(IsQmtx42(identity) && entries.size() > 1 && entries[1] == kThermocouple);
}

SecondFunctionList BuildSecondFunctionList(int row, std::string_view label2,
                                           std::string_view identity) {
    SecondFunctionList list;
    if (!SecondFunctionOffered(row, identity)) return list;
    list.enabled = true;
    const auto entries = g_secondFunctionRows[row];
    const bool qmtx42 = IsQmtx42(identity);

    // Position of the reported second function in the row, counted from the
    // primary (0); anything the row does not allow lands on its NONE.
    std::size_t position = 0;
    if (label2 != entries[0]) {
        for (std::size_t k = 1; k < entries.size(); ++k) {
            if (entries[k] == label2 || entries[k] == kNone) {
                position = k;
                break;
            }
        }
    }

    // The QMTX42 has no thermocouple second function: its entry is left out,
    // and entries after it move up one place. A row without TCOUPL (the
    // thermocouple primary itself) moves nothing.
    std::optional<std::size_t> skipped;
    for (std::size_t k = 1; k < entries.size(); ++k) {
        if (qmtx42 && entries[k] == kThermocouple) {
            skipped = k;
            continue;
        }
        list.entries.emplace_back(entries[k]);
        if (entries[k] == kNone) break;
    }

    if (position > 0) {
        const std::size_t index = (skipped && position > *skipped) ? position - 2 : position - 1;
        if (index < list.entries.size()) list.selection = static_cast<int>(index);
    }
    return list;
}

std::string SelectedEntry(const SecondFunctionList& list) {
    if (!list.selection || *list.selection < 0 ||
        static_cast<std::size_t>(*list.selection) >= list.entries.size()) {
        return {};
    }
    return list.entries[static_cast<std::size_t>(*list.selection)];
}

}  // namespace qm
