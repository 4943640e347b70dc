#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptedMeter.h"
#include "config/FunctionDisplay.h"

namespace qm {
namespace {

TEST(RangeText, ValueTexts) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {{0.1, "100m"}, {0.01, "10m"},  {0, "0m"},     {0.9996, "1000m"}, {1, "1"},
                 {10, "10"},    {999.4, "999"}, {1000, "1K"},  {1e4, "10K"},      {1e6, "1M"},
                 {1.5e6, "2M"}, {1e8, "100M"},  {-1, "-1000m"}};
    for (const auto& c : cases) EXPECT_EQ(RangeValueText(c.value), c.text) << c.value;

    struct CapCase {
        double value;
        const char* text;
    } caps[] = {{1e-9, "1 n"}, {1e-8, "10 n"}, {1e-7, "100 n"}, {1e-6, "1 u"}, {1e-4, "100 u"},
                {1e-3, "1 m"}, {0.01, "10 m"}, {0, "0 n"},      {1, "1"}};
    for (const auto& c : caps) EXPECT_EQ(CapacitanceValueText(c.value), c.text) << c.value;

    // A huge answer still formats completely.
    EXPECT_EQ(RangeValueText(1e300).size(), 296u);
}

TEST(RangeText, LinesAndThe750VoltRule) {
    EXPECT_EQ(NumericRangeLine(2, "VOLT:AC", 1000, false), "Range : 750 VAC");
    EXPECT_EQ(NumericRangeLine(6, "FREQ:VOLT", 1000, false), "Range : 750 VAC");
    EXPECT_EQ(NumericRangeLine(7, "PER:VOLT", 1000, false), "Range : 750 VAC");
    EXPECT_EQ(NumericRangeLine(0, "VOLT:DC", 1000, false), "Range : 1K  VDC");
    EXPECT_EQ(NumericRangeLine(6, "FREQ:CURR", 1000, false), "Range : 1K  VAC");
    EXPECT_EQ(NumericRangeLine(4, "RES", 1000, false), "Range : 1K  Ohm");
    EXPECT_EQ(NumericRangeLine(2, "VOLT:AC", 1000, true), "Range : AUTO");
    EXPECT_EQ(CapacitanceRangeLine(1e-8, false), "Range : 10 nF");
    EXPECT_EQ(CapacitanceRangeLine(1e-8, true), "Range : AUTO");
}

// One refresh: the scripted answers, the commands expected in order and the
// resulting lines.
struct RefreshCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> answers;  // command, reply
    std::vector<std::string> commands;
    bool autoFlag;
    const char* functionText;
    const char* rangeText;
};

TEST(FunctionDisplay, EveryRowAsksAndFormatsInOrder) {
    const RefreshCase cases[] = {
        {"DCV",
         {{"func?\n", "VOLT"}, {"VOLT:DC:RANGe:AUTO?\n", "0"}, {"VOLT:DC:range?\n", "+1.0E-01"}},
         {"func?\n", "VOLT:DC:RANGe:AUTO?\n", "VOLT:DC:range?\n"},
         false,
         "Function : DCV",
         "Range : 100m  VDC"},
        {"DCI",
         {{"func?\n", "CURR"}, {"CURR:DC:range?\n", "3"}},
         {"func?\n", "CURR:DC:RANGe:AUTO?\n", "CURR:DC:range?\n"},
         false,
         "Function : DCI",
         "Range : 3  ADC"},
        {"ACV 750",
         {{"func?\n", "VOLT:AC"}, {"VOLT:AC:range?\n", "1.000000E+03"}},
         {"func?\n", "VOLT:AC:RANGe:AUTO?\n", "VOLT:AC:range?\n"},
         false,
         "Function : ACV",
         "Range : 750 VAC"},
        {"ACI",
         {{"func?\n", "CURR:AC"}, {"CURR:AC:range?\n", "1"}},
         {"func?\n", "CURR:AC:RANGe:AUTO?\n", "CURR:AC:range?\n"},
         false,
         "Function : ACI",
         "Range : 1  AAC"},
        {"2W",
         {{"func?\n", "RES"}, {"RES:range?\n", "1e6"}},
         {"func?\n", "RES:RANGe:AUTO?\n", "RES:range?\n"},
         false,
         "Function : 2W",
         "Range : 1M  Ohm"},
        {"4W rounds",
         {{"func?\n", "FRES"}, {"FRES:range?\n", "1500000"}},
         {"func?\n", "FRES:RANGe:AUTO?\n", "FRES:range?\n"},
         false,
         "Function : 4W",
         "Range : 2M  Ohm"},
        {"FREQ",
         {{"func?\n", "FREQ"}, {"FREQ:VOLT:range?\n", "1E3"}},
         {"func?\n", "FREQ:VOLT:RANGe:AUTO?\n", "FREQ:VOLT:range?\n"},
         false,
         "Function : FREQ",
         "Range : 750 VAC"},
        {"PERIOD",
         {{"func?\n", "PER"}, {"PER:VOLT:range?\n", "10"}},
         {"func?\n", "PER:VOLT:RANGe:AUTO?\n", "PER:VOLT:range?\n"},
         false,
         "Function : PERIOD",
         "Range : 10  VAC"},
        {"CONT", {{"func?\n", "CONT"}}, {"func?\n"}, true, "Function : CONT", ""},
        {"DIOD", {{"func?\n", "DIOD"}}, {"func?\n"}, true, "Function : DIOD", ""},
        {"TEMP",
         {{"func?\n", "TEMP"}, {"SENS:TEMP:RTD:TYPE?\n", "PT100"}},
         {"func?\n", "SENS:TEMP:RTD:TYPE?\n"},
         true,
         "Function : TEMP",
         "Type : PT100"},
        {"DC ratio",
         {{"func?\n", "VOLT:RAT"}, {"VOLT:DC:range?\n", "10"}},
         {"func?\n", "VOLT:DC:RANG:AUTO?\n", "VOLT:DC:range?\n"},
         false,
         "Function : DC Ratio",
         "Range : 10  VDC"},
        {"TCOUPL",
         {{"func?\n", "TCO"}, {"SENS:TCO:TYPE?\n", "K"}},
         {"func?\n", "SENS:TCO:TYPE?\n"},
         false,
         "Function : TCOUPL",
         "Type : K"},
        {"CAP",
         {{"func?\n", "CAP"}, {"sens:cap:rang?\n", "1.0E-08"}},
         {"func?\n", "CAP:RANGe:AUTO?\n", "sens:cap:rang?\n"},
         false,
         "Function : CAP",
         "Range : 10 nF"},
        {"CAP flag",
         {{"func?\n", "CAP"}, {"sens:cap:rang?\n", "0.01"}},
         {"func?\n", "CAP:RANGe:AUTO?\n", "sens:cap:rang?\n"},
         true,
         "Function : CAP",
         "Range : AUTO"},
        {"instrument auto wins",
         {{"func?\n", "VOLT"}, {"VOLT:DC:RANGe:AUTO?\n", "1"}, {"VOLT:DC:range?\n", "10"}},
         {"func?\n", "VOLT:DC:RANGe:AUTO?\n", "VOLT:DC:range?\n"},
         false,
         "Function : DCV",
         "Range : AUTO"},
        {"program flag",
         {{"func?\n", "VOLT"}, {"VOLT:DC:RANGe:AUTO?\n", "0"}},
         {"func?\n", "VOLT:DC:RANGe:AUTO?\n", "VOLT:DC:range?\n"},
         true,
         "Function : DCV",
         "Range : AUTO"},
        {"non-numeric range",
         {{"func?\n", "VOLT"}, {"VOLT:DC:range?\n", "ERR"}},
         {"func?\n", "VOLT:DC:RANGe:AUTO?\n", "VOLT:DC:range?\n"},
         false,
         "Function : DCV",
         "Range : 0m  VDC"},
        {"DC 1000",
         {{"func?\n", "VOLT:DC"}, {"VOLT:DC:range?\n", "1000"}},
         {"func?\n", "VOLT:DC:RANGe:AUTO?\n", "VOLT:DC:range?\n"},
         false,
         "Function : DCV",
         "Range : 1K  VDC"},
    };
    for (const auto& c : cases) {
        test::ScriptedMeters meters;
        for (const auto& [command, reply] : c.answers) meters.answer(0, command, reply);
        const QueryFn query = [&](const std::string& command) { return meters(0, command); };
        const auto texts = ComputeFunctionDisplay(query, "VARNET,TX42,1,1.0", c.autoFlag);
        ASSERT_TRUE(texts.has_value()) << c.name;
        EXPECT_EQ(meters.commands(), c.commands) << c.name;
        EXPECT_EQ(texts->functionText, c.functionText) << c.name;
        EXPECT_EQ(texts->rangeText, c.rangeText) << c.name;
        EXPECT_FALSE(texts->secondFunctionNone) << c.name;
    }
}

TEST(FunctionDisplay, NoAnswerOrUnknownFunctionChangesNothing) {
    for (const char* answer : {"", "XYZ", "\"\"", "ZVOLT"}) {
        test::ScriptedMeters meters;
        meters.answer(0, "func?\n", answer);
        const QueryFn query = [&](const std::string& command) { return meters(0, command); };
        EXPECT_FALSE(ComputeFunctionDisplay(query, "X,TX42", false).has_value()) << answer;
        EXPECT_EQ(meters.commands(), std::vector<std::string>{"func?\n"}) << answer;
    }
}

TEST(FunctionDisplay, SingleFunctionModelHasNoSecondFunction) {
    test::ScriptedMeters meters;
    meters.answer(0, "func?\n", "DIOD");
    const QueryFn query = [&](const std::string& command) { return meters(0, command); };
    EXPECT_TRUE(ComputeFunctionDisplay(query, "VARNET,TX41,1,1", false)->secondFunctionNone);
    EXPECT_FALSE(ComputeFunctionDisplay(query, "VARNET,QMTX42,1,1", false)->secondFunctionNone);
}

}  // namespace
}  // namespace qm
