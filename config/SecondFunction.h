#pragma once
// The second function of the dual-function model: which second functions
// each primary function allows, and the combo list the main window shows.
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

namespace second_rows {
inline constexpr std::string_view kDcv[] = {"DCV",    "DCI",    "ACV", "FREQ",
                                            "PERIOD", "TCOUPL", "NONE"};
inline constexpr std::string_view kAcv[] = {"ACV",    "DCV",    "DCI", "FREQ",
                                            "PERIOD", "TCOUPL", "NONE"};
inline constexpr std::string_view kDci[] = {"DCI",    "DCV",       "ACV",         "ACI",    "FREQ",
                                            "PERIOD", "CURR FREQ", "CURR PERIOD", "TCOUPL", "NONE"};
inline constexpr std::string_view kAci[] = {"ACI",         "DCI",    "CURR FREQ",
                                            "CURR PERIOD", "TCOUPL", "NONE"};
inline constexpr std::string_view k2W[] = {"2W", "TCOUPL", "NONE"};
inline constexpr std::string_view k4W[] = {"4W", "TCOUPL", "NONE"};
inline constexpr std::string_view kCap[] = {"CAP", "TCOUPL", "NONE"};
inline constexpr std::string_view kFreq[] = {"FREQ",   "DCV",    "DCI", "ACV",
                                             "PERIOD", "TCOUPL", "NONE"};
inline constexpr std::string_view kPer[] = {"PER", "DCV", "DCI", "ACV", "FREQ", "TCOUPL", "NONE"};
inline constexpr std::string_view kTcoupl[] = {"TCOUPL",      "DCV", "DCI",  "RES",    "FRES",
                                               "ACV",         "ACI", "FREQ", "PERIOD", "CURR FREQ",
                                               "CURR PERIOD", "CAP", "TEMP", "NONE"};
inline constexpr std::string_view kTemp[] = {"TEMP", "TCOUPL", "NONE"};
inline constexpr std::string_view kNone[] = {"NONE"};
}  // namespace second_rows

// Allowed second functions: entry 0 of a row names the primary function (it
// is looked for in the "Function : ..." line), the others are the allowed
// second-function labels in combo order, ending with "NONE". The primary of
// row 8 is "PER" so that it is found in the period line "Function : PERIOD".
inline constexpr int kSecondRowCount = 12;
inline constexpr int kSecondRowNone = 11;
inline constexpr std::array<std::span<const std::string_view>, kSecondRowCount>
    g_secondFunctionRows{{second_rows::kDcv, second_rows::kAcv, second_rows::kDci,
                          second_rows::kAci, second_rows::k2W, second_rows::k4W, second_rows::kCap,
                          second_rows::kFreq, second_rows::kPer, second_rows::kTcoupl,
                          second_rows::kTemp, second_rows::kNone}};

// First row, scanning from row 0, whose primary occurs anywhere in the
// function line; row 11 ("NONE") when none does (continuity, diode, DC ratio,
// an empty line).
int SecondFunctionRowFor(std::string_view functionText);

// Whether the second-function combo is offered at all for a row on a device:
// not for row 11, and not on a QMTX42 where the only alternative would be
// TCOUPL (which that model does not offer as a second function).
bool SecondFunctionOffered(int row, std::string_view identity);

// What the second-function combo shows.
struct SecondFunctionList {
    std::vector<std::string> entries;
    std::optional<int> selection;  // nullopt: no entry selected
    bool enabled = false;
};

// The list of an offered row with the entry of `label2` (the label of the
// instrument's func2? answer) selected. A label2 equal to the primary
// selects nothing; one not in the row selects "NONE". A QMTX42 does not
// list TCOUPL.
SecondFunctionList BuildSecondFunctionList(int row, std::string_view label2,
                                           std::string_view identity);

// The text of the selected entry; empty when nothing is selected.
std::string SelectedEntry(const SecondFunctionList& list);

// The function name and second-value controls of one device line.
struct SecondValueLine {
    int line = 0;  // 0..3: function name 1104 + line, second value 905 + line
    int slot = 0;  // device slot read for this line
    std::string functionCaption;
    bool secondShown = false;  // second value, caption, lamp, selector, marker shown
    std::string secondCaption;
};

}  // namespace qm
