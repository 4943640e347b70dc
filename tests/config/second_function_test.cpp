#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/FunctionTable.h"
#include "config/ModelCapabilities.h"
#include "config/SecondFunction.h"

namespace qm {
namespace {

using Entries = std::vector<std::string>;

constexpr const char* kTx42 = "VARNET,TX42,123,1.0";
constexpr const char* kQmtx42 = "VARNET,QMTX42,123,1.0";

TEST(SecondFunction, RowFollowsTheFunctionLine) {
    EXPECT_EQ(SecondFunctionRowFor("Function : DCV"), 0);
    EXPECT_EQ(SecondFunctionRowFor("Function : DCI"), 2);
    EXPECT_EQ(SecondFunctionRowFor("Function : ACI"), 3);
    EXPECT_EQ(SecondFunctionRowFor("Function : PERIOD"), 8);
    EXPECT_EQ(SecondFunctionRowFor("Function : TCOUPL"), 9);
    EXPECT_EQ(SecondFunctionRowFor("Function : TEMP"), 10);
    for (const char* none : {"Function : CONT", "Function : DIOD", "Function : DC Ratio", ""}) {
        EXPECT_EQ(SecondFunctionRowFor(none), kSecondRowNone) << none;
        EXPECT_FALSE(SecondFunctionOffered(SecondFunctionRowFor(none), kTx42)) << none;
    }
    // Every allowed entry is a label of the pair table, and every row ends in NONE.
    for (int row = 0; row < kSecondRowCount; ++row) {
        const auto entries = g_secondFunctionRows[row];
        EXPECT_LE(entries.size(), 15u);
        EXPECT_EQ(entries.back(), "NONE");
        for (std::size_t k = 1; k + 1 < entries.size(); ++k) {
            EXPECT_NE(SecondFunctionKeywordForLabel(entries[k]), "NONE") << entries[k];
        }
    }
}

TEST(SecondFunction, ListAndSelection) {
    struct Case {
        const char* name;
        const char* functionText;
        const char* identity;
        const char* label2;
        Entries entries;
        std::optional<int> selection;
    } cases[] = {
        {"DCI with CURR PERIOD",
         "Function : DCI",
         kTx42,
         "CURR PERIOD",
         {"DCV", "ACV", "ACI", "FREQ", "PERIOD", "CURR FREQ", "CURR PERIOD", "TCOUPL", "NONE"},
         6},
        {"NONE reported",
         "Function : DCV",
         kTx42,
         "NONE",
         {"DCI", "ACV", "FREQ", "PERIOD", "TCOUPL", "NONE"},
         5},
        {"not allowed lands on NONE",
         "Function : DCV",
         kTx42,
         "CAP",
         {"DCI", "ACV", "FREQ", "PERIOD", "TCOUPL", "NONE"},
         5},
        {"same as primary selects nothing",
         "Function : DCV",
         kTx42,
         "DCV",
         {"DCI", "ACV", "FREQ", "PERIOD", "TCOUPL", "NONE"},
         std::nullopt},
        {"2W on TX42", "Function : 2W", kTx42, "TCOUPL", {"TCOUPL", "NONE"}, 0},
        {"QMTX42 drops TCOUPL",
         "Function : DCV",
         kQmtx42,
         "PERIOD",
         {"DCI", "ACV", "FREQ", "PERIOD", "NONE"},
         3},
        {"QMTX42 NONE after the gap",
         "Function : DCV",
         kQmtx42,
         "NONE",
         {"DCI", "ACV", "FREQ", "PERIOD", "NONE"},
         4},
        {"QMTX42 reporting TCOUPL shows NONE",
         "Function : ACI",
         kQmtx42,
         "TCOUPL",
         {"DCI", "CURR FREQ", "CURR PERIOD", "NONE"},
         3},
        // The thermocouple row has no TCOUPL entry: nothing moves up.
        {"QMTX42 thermocouple primary",
         "Function : TCOUPL",
         kQmtx42,
         "TEMP",
         {"DCV", "DCI", "RES", "FRES", "ACV", "ACI", "FREQ", "PERIOD", "CURR FREQ", "CURR PERIOD",
          "CAP", "TEMP", "NONE"},
         11},
    };
    for (const auto& c : cases) {
        const int row = SecondFunctionRowFor(c.functionText);
        const SecondFunctionList list = BuildSecondFunctionList(row, c.label2, c.identity);
        EXPECT_TRUE(list.enabled) << c.name;
        EXPECT_EQ(list.entries, c.entries) << c.name;
        EXPECT_EQ(list.selection, c.selection) << c.name;
    }
}

TEST(SecondFunction, QmtxOffersNothingWhereOnlyTcouplWouldBe) {
    for (const char* text :
         {"Function : 2W", "Function : 4W", "Function : CAP", "Function : TEMP"}) {
        const int row = SecondFunctionRowFor(text);
        EXPECT_FALSE(SecondFunctionOffered(row, kQmtx42)) << text;
        const SecondFunctionList list = BuildSecondFunctionList(row, "NONE", kQmtx42);
        EXPECT_FALSE(list.enabled) << text;
        EXPECT_TRUE(list.entries.empty()) << text;
        EXPECT_EQ(SelectedEntry(list), "") << text;
        EXPECT_TRUE(SecondFunctionOffered(row, kTx42)) << text;
    }
}

TEST(ModelCapabilities, DisplayTextCut) {
    EXPECT_EQ(DisplayTextFor(" MODEL TX41-USBTMC-123"), "TX41-USBTMC-123");
    EXPECT_EQ(DisplayTextFor(" VDM-TX43-GPIB-05"), "TX43-GPIB-05");
    EXPECT_EQ(DisplayTextFor("MODEL TX41-GPIB-05"), "MODEL TX41-GPIB-05");  // at 0: kept
    EXPECT_EQ(DisplayTextFor(" QMTX42-USBTMC-9"), " QMTX42-USBTMC-9");
    EXPECT_EQ(DisplayTextFor(""), "");
}

TEST(ModelCapabilities, ByModelAndMode) {
    for (bool multi : {false, true}) {
        const ModelCapabilities dual = CapabilitiesFor(" QMTX42-USBTMC-9", multi);
        EXPECT_EQ(dual.model, MeterModel::DualFunction);
        EXPECT_TRUE(dual.capEnabled && dual.tcouplEnabled && dual.tcouplVisible);
        EXPECT_TRUE(dual.secondLabelVisible && dual.secondMarkersVisible &&
                    dual.secondComboVisible);
        EXPECT_FALSE(dual.secondComboEnabled.has_value());  // the rebuild decides

        const ModelCapabilities single = CapabilitiesFor("TX41-USBTMC-1", multi);
        EXPECT_EQ(single.model, MeterModel::SingleFunction);
        EXPECT_FALSE(single.capEnabled || single.tcouplEnabled);
        EXPECT_TRUE(single.tcouplVisible);
        EXPECT_FALSE(single.secondLabelVisible || single.secondMarkersVisible ||
                     single.secondComboVisible);
    }
    const ModelCapabilities otherSingle = CapabilitiesFor("TX43-GPIB-05", false);
    EXPECT_EQ(otherSingle.model, MeterModel::Other);
    EXPECT_FALSE(otherSingle.capEnabled || otherSingle.tcouplVisible ||
                 otherSingle.secondLabelVisible || otherSingle.secondMarkersVisible ||
                 otherSingle.secondComboVisible);

    const ModelCapabilities otherMulti = CapabilitiesFor("TX43-GPIB-05", true);
    EXPECT_FALSE(otherMulti.capEnabled || otherMulti.tcouplEnabled);
    EXPECT_TRUE(otherMulti.secondLabelVisible && otherMulti.secondLabelEnabled &&
                otherMulti.secondMarkersVisible);
    EXPECT_EQ(otherMulti.secondComboEnabled, std::optional<bool>(false));
}

}  // namespace
}  // namespace qm
