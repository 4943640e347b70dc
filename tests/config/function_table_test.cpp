#include <gtest/gtest.h>

#include <string>

#include "config/DeviceSettingsTables.h"
#include "config/FunctionTable.h"

namespace qm {
namespace {

TEST(FunctionTable, RowFromFuncAnswer) {
    struct Case {
        const char* answer;
        int row;
        const char* label;
    } cases[] = {
        {"VOLT", 0, "DCV"},
        {"\"VOLT\"\n", 0, "DCV"},
        {"VOLT:DC", 0, "DCV"},
        {"CURR", 1, "DCI"},
        {"VOLT:AC", 2, "ACV"},
        {"CURR:AC", 3, "ACI"},
        {"RES", 4, "2W"},
        {"FRES", 5, "4W"},
        {"FREQ", 6, "FREQ"},
        {"FREQ:VOLT", 6, "FREQ"},
        {"FREQ:CURR", 6, "FREQ"},
        {"PER", 7, "PERIOD"},
        {"CONT", 8, "CONT"},
        {"DIOD", 9, "DIOD"},
        {"TEMP", 10, "TEMP"},
        {"VOLT:RAT", 11, "DC Ratio"},
        {"TCO", 12, "TCOUPL"},
        {"\"CAP\"", 13, "CAP"},
        {"\"VOLT:A\r\nC\"", 2, "ACV"},
    };
    for (const auto& c : cases) {
        const auto row = FunctionRowFromAnswer(c.answer);
        ASSERT_TRUE(row.has_value()) << c.answer;
        EXPECT_EQ(*row, c.row) << c.answer;
        EXPECT_EQ(g_functionTable[*row].label, c.label) << c.answer;
    }
    for (const char* unknown : {"", "\"\"", "XYZ", "volt", "ZRES", "VOL", " VOLT"}) {
        EXPECT_FALSE(FunctionRowFromAnswer(unknown).has_value()) << unknown;
    }
}

TEST(FunctionTable, NormalisesOnlyTheBareKeywords) {
    EXPECT_EQ(NormaliseFunctionAnswer("\"FREQ\"\n"), "FREQ:VOLT");
    EXPECT_EQ(NormaliseFunctionAnswer("PER"), "PER:VOLT");
    EXPECT_EQ(NormaliseFunctionAnswer("CURR"), "CURR:DC");
    EXPECT_EQ(NormaliseFunctionAnswer("PER:CURR"), "PER:CURR");
    EXPECT_EQ(NormaliseFunctionAnswer("VOLT:RAT"), "VOLT:RAT");
}

TEST(FunctionTable, SecondFunctionPairsCompareWholeStrings) {
    EXPECT_EQ(SecondFunctionKeywordForLabel("CURR FREQ"), "FREQ:CURR");
    EXPECT_EQ(SecondFunctionKeywordForLabel("CURR PERIOD"), "PER:CURR");
    EXPECT_EQ(SecondFunctionKeywordForLabel("TEMP"), "TEMP");
    for (const char* notALabel : {"2W", "4W", "NONE", "", "DCV ", "dcv"}) {
        EXPECT_EQ(SecondFunctionKeywordForLabel(notALabel), "NONE") << notALabel;
    }
    EXPECT_EQ(SecondFunctionLabelForKeyword("VOLT"), "DCV");
    EXPECT_EQ(SecondFunctionLabelForKeyword("VOLT:AC"), "ACV");
    EXPECT_EQ(SecondFunctionLabelForKeyword("TCO"), "TCOUPL");
    for (const char* notAKeyword : {"VOLT:DC", "CONT", "DIOD", "", "NONE"}) {
        EXPECT_EQ(SecondFunctionLabelForKeyword(notAKeyword), "NONE") << notAKeyword;
    }
}

TEST(FunctionTable, ButtonsByIdNameAndRow) {
    // The main window's button set, written out independently of the table.
    struct Expected {
        int id;
        const char* name;
        const char* command;
        bool autoRange;
    } buttons[] = {
        {1078, "DCV", "CONF:VOLT:DC", true}, {1087, "DCI", "CONF:CURR:DC", true},
        {1079, "ACV", "CONF:VOLT:AC", true}, {1088, "ACI", "CONF:CURR:AC", true},
        {1080, "2W", "CONF:RES", true},      {1089, "4W", "CONF:FRES", true},
        {1081, "FREQ", "CONF:FREQ", true},   {1090, "PERIOD", "CONF:PER", true},
        {1082, "CONT", "CONF:CONT", true},   {1091, "DIODE", "CONF:DIOD", true},
        {1083, "TEMP", "CONF:TEMP", false},  {1092, "TCOUPL", "CONF:TCO", false},
        {1093, "CAP", "CONF:CAP", false},
    };
    for (const auto& e : buttons) {
        const FunctionButton* byId = FunctionButtonById(e.id);
        ASSERT_NE(byId, nullptr) << e.id;
        EXPECT_EQ(byId->caption, e.name);
        EXPECT_EQ(byId->command, e.command);
        EXPECT_EQ(byId->autoRange, e.autoRange) << e.name;
        EXPECT_EQ(FunctionButtonByName(e.name), byId);
        EXPECT_EQ(FunctionButtonForRow(byId->row), byId);
        // The command configures the function of its row.
        EXPECT_EQ(FunctionRowFromAnswer(std::string(byId->command).substr(5)), byId->row) << e.name;
    }
    EXPECT_EQ(FunctionButtonByName("diode"), FunctionButtonById(1091));
    EXPECT_EQ(FunctionButtonByName("DIOD"), nullptr);
    EXPECT_EQ(FunctionButtonByName("DC Ratio"), nullptr);
    EXPECT_EQ(FunctionButtonForRow(kRowDcRatio), nullptr);
    EXPECT_EQ(FunctionButtonById(1084), nullptr);
}

TEST(DeviceSettingsTables, RangeSetsByModel) {
    EXPECT_EQ(RangeSetFor(false, true), RangeSetKind::Basic);
    EXPECT_EQ(RangeSetFor(true, false), RangeSetKind::Standard);
    EXPECT_EQ(RangeSetFor(true, true), RangeSetKind::Extended);

    // The single-function model stops at 3 A; only the 10 mF limit adds 1 mF and 10 mF.
    EXPECT_EQ(RangeChoicesFor(kRowDcCurrent, RangeSetKind::Basic).back().value, 3);
    EXPECT_EQ(RangeChoicesFor(kRowDcCurrent, RangeSetKind::Standard).back().value, 10);
    EXPECT_EQ(RangeChoicesFor(kRowCapacitance, RangeSetKind::Standard).size(), 7u);
    EXPECT_EQ(RangeChoicesFor(kRowCapacitance, RangeSetKind::Extended)[7].label, "1 mF");
    EXPECT_EQ(RangeChoicesFor(kRowTemperature, RangeSetKind::Basic).size(), 7u);  // no NTCT
    EXPECT_TRUE(RangeChoicesFor(kRowThermocouple, RangeSetKind::Extended).empty());
    EXPECT_TRUE(RangeChoicesFor(14, RangeSetKind::Basic).empty());
    EXPECT_TRUE(RangeChoicesFor(-1, RangeSetKind::Basic).empty());

    // Every list fits the page's ten slots; where it holds numbers, AUTO
    // comes first and is the only zero, and the values rise.
    for (int row = 0; row < kFunctionRowCount; ++row) {
        for (auto kind : {RangeSetKind::Basic, RangeSetKind::Standard, RangeSetKind::Extended}) {
            const auto list = RangeChoicesFor(row, kind);
            EXPECT_LE(list.size(), 10u) << row;
            if (row == kRowTemperature) continue;
            for (std::size_t i = 0; i < list.size(); ++i) {
                EXPECT_EQ(list[i].label == kAutoLabel, i == 0) << row << ' ' << i;
                EXPECT_EQ(list[i].value == 0, i == 0) << row << ' ' << i;
                if (i > 1) {
                    EXPECT_GT(list[i].value, list[i - 1].value) << row << ' ' << i;
                }
            }
        }
    }
}

TEST(DeviceSettingsTables, SecondFunctionPanel) {
    EXPECT_EQ(SecondFunctionRangeEntries("DCI", false).front(), "1 A");  // no AUTO
    EXPECT_EQ(SecondFunctionRangeEntries("CAP", false).size(), 7u);
    EXPECT_EQ(SecondFunctionRangeEntries("CAP", true).back(), "10m F");
    EXPECT_TRUE(SecondFunctionRangeEntries("NONE", false).empty());
    EXPECT_EQ(SecondFunctionRangeCaption("TEMP"), "UNIT");
    EXPECT_EQ(SecondFunctionRangeCaption("DCV"), "Range");
    struct Case {
        const char* label;
        const char* caption;
    } cases[] = {{"ACI", "Bandwidth (Hz)"},  {"CURR FREQ", "Aperture (s)"},
                 {"PERIOD", "Aperture (s)"}, {"TCOUPL", "TYPE"},
                 {"TEMP", "SENSOR"},         {"CAP", "NPLC"}};
    for (const auto& c : cases) EXPECT_EQ(SecondFunctionSettingFor(c.label).caption, c.caption);
}

}  // namespace
}  // namespace qm
