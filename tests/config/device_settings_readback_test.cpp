// What the Device Settings page offers per function and model, and how it
// reads a meter back: the queries asked for each function and the entry
// each answer selects.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ScriptedPageMeter.h"
#include "config/DeviceSettingsReadBack.h"
#include "config/SecondFunctionPanel.h"

namespace qm {
namespace {

using Commands = std::vector<std::string>;
using Answers = std::vector<std::pair<std::string, std::string>>;

TEST(DeviceSettingsOffer, FunctionsColumnsAndRangesPerModel) {
    EnglishTexts texts;
    EXPECT_EQ(SettingsModelFor("Varnet, Model TX41, SN1, V1"), SettingsModel::Single);
    EXPECT_EQ(SettingsModelFor("Varnet, QMTX42, SN1, V1"), SettingsModel::Dual);
    EXPECT_EQ(FunctionNames(SettingsModel::Single, texts).size(), 12u);
    EXPECT_EQ(FunctionNames(SettingsModel::Dual, texts).back(), "CAP");
    EXPECT_TRUE(FunctionNames(SettingsModel::None, texts).empty());

    // The single-function model chooses a resolution, the dual one an integration time.
    EXPECT_EQ(ColumnLabels(ColumnKind::Resolution, SettingsModel::Single, texts)[3], "Slow 6 Digits");
    EXPECT_EQ(ColumnEntriesFor(ColumnKind::Resolution, SettingsModel::Dual).size(), 10u);
    EXPECT_EQ(ColumnKindFor(kRowCapacitance), ColumnKind::None);

    // Range lists: the single-function model the basic set, the dual one the
    // standard set, extended with the 10 mF limit.
    EXPECT_EQ(RangeEntriesFor(1, SettingsModel::Single, true).size(), 5u);
    EXPECT_EQ(RangeEntriesFor(1, SettingsModel::Dual, false).size(), 6u);
    EXPECT_EQ(RangeEntriesFor(13, SettingsModel::Dual, false).size(), 7u);
    EXPECT_EQ(RangeEntriesFor(13, SettingsModel::Dual, true).back().label, "10 mF");
    EXPECT_EQ(RangeEntriesFor(10, SettingsModel::Single, false).size(), 7u);  // no NTCT
    EXPECT_EQ(RangeEntriesFor(10, SettingsModel::Dual, false)[5].label, "NTCT");
    EXPECT_EQ(RangeEntriesFor(12, SettingsModel::Dual, false).size(), 9u);
    EXPECT_EQ(SecondFunctionRowOf(7), 8);   // PERIOD finds the row of PER
    EXPECT_EQ(SecondFunctionRowOf(11), 11); // DC ratio has no second function
}

TEST(DeviceSettingsOffer, SecondRangeEntriesBecomeNumbers) {
    EXPECT_EQ(SecondRangeNumberText("1K OHM"), "1000");
    EXPECT_EQ(SecondRangeNumberText("100M OHM"), "100000000");
    EXPECT_EQ(SecondRangeNumberText("10n F"), "10E-9");
    EXPECT_EQ(SecondRangeNumberText("1m F"), "1E-3");
    EXPECT_EQ(SecondRangeNumberText("750 VAC"), "750");
    EXPECT_EQ(SecondRangeNumberText("3 AAC"), "3");
    EXPECT_EQ(SecondRangeNumberText("0.1 V"), "0.1 V");  // a suffix unit the meter takes
}

struct ReadBackCase {
    const char* name;
    SettingsModel model;
    Answers answers;
    Commands expected;
    int row, column, range;
    bool extended = false;
};

TEST(DeviceSettingsReadBack, AsksPerFunctionAndSelectsWhatTheMeterReports) {
    const ReadBackCase cases[] = {
        {"DC voltage on 100m",
         SettingsModel::Dual,
         {{"func?\n", "\"VOLT\""},
          {"SENS:VOLT:DC:NPLC?\n", "+1.00000000E+01"},
          {"SENS:CAP:rang? MAX\n", "+1.00000000E-02"},
          {"VOLT:DC:range:auto?\n", "0"},
          {"VOLT:DC:range?\n", "+1.00000000E-01"}},
         {"func?\n", "SENS:VOLT:DC:NPLC?\n", "SENS:CAP:rang? MAX\n", "VOLT:DC:range:auto?\n",
          "VOLT:DC:range?\n"},
         0, 8, 1, true},
        {"AC voltage reporting 1000 is the 750 range",
         SettingsModel::Dual,
         {{"func?\n", "\"VOLT:AC\""},
          {"SENS:DET:BAND?\n", "+2.00000000E+02"},
          {"SENS:CAP:rang? MAX\n", "+1.00000000E-03"},
          {"VOLT:AC:range?\n", "+1.00000000E+03"}},
         {"func?\n", "SENS:DET:BAND?\n", "SENS:CAP:rang? MAX\n", "VOLT:AC:range:auto?\n",
          "VOLT:AC:range?\n"},
         2, 2, 5},
        {"resistance 1e6 is 1M ohm",
         SettingsModel::Single,
         {{"func?\n", "RES"}, {"SENS:RES:NPLC?\n", "0.02"}, {"RES:range?\n", "1e6"}},
         {"func?\n", "SENS:RES:NPLC?\n", "RES:range:auto?\n", "RES:range?\n"},
         4, 0, 5},
        {"period on auto reads its input range and aperture",
         SettingsModel::Single,
         {{"func?\n", "\"PER\""}, {"SENS:PER:APER?\n", "1"}, {"SENS:PER:volt:rang:auto?\n", "1"}},
         {"func?\n", "SENS:PER:APER?\n", "SENS:PER:volt:rang:auto?\n"},
         7, 2, 0},
        {"continuity asks no range",
         SettingsModel::Single,
         {{"func?\n", "\"CONT\""}},
         {"func?\n"},
         8, -1, 0},
        {"DC ratio",
         SettingsModel::Single,
         {{"func?\n", "\"VOLT:RAT\""},
          {"SENS:VOLT:DC:RAT:NPLC?\n", "1"},
          {"SENS:VOLT:DC:RAT:RANGE?\n", "10"}},
         {"func?\n", "SENS:VOLT:DC:RAT:NPLC?\n", "SENS:VOLT:DC:RAT:RANGE:AUTO?\n",
          "SENS:VOLT:DC:RAT:RANGE?\n"},
         11, 2, 3},
        {"thermocouple",
         SettingsModel::Dual,
         {{"func?\n", "\"TCO\""}, {"SENS:UNIT?\n", "F"}, {"SENS:TCO:TYPE?\n", "J"}},
         {"func?\n", "SENS:UNIT?\n", "SENS:CAP:rang? MAX\n", "SENS:TCO:TYPE?\n"},
         12, 1, 1},
        {"capacitance on the extended list",
         SettingsModel::Dual,
         {{"func?\n", "\"CAP\""},
          {"SENS:CAP:rang? MAX\n", "0.01"},
          {"CAP:range?\n", "+1.00000000E-02"}},
         {"func?\n", "SENS:CAP:rang? MAX\n", "CAP:range:auto?\n", "CAP:range?\n"},
         13, -1, 8, true},
    };
    for (const ReadBackCase& c : cases) {
        test::ScriptedPageMeter meter;
        for (const auto& [command, reply] : c.answers) meter.answer(command, reply);
        PageChannel channel = meter.channel();
        const PrimaryReadBack rb = ReadInstrumentSettings(channel, c.model, 0, false);
        EXPECT_EQ(meter.commands(), c.expected) << c.name;
        EXPECT_EQ(rb.row.value_or(-1), c.row) << c.name;
        EXPECT_EQ(rb.columnIndex.value_or(-1), c.column) << c.name;
        EXPECT_EQ(rb.rangeIndex.value_or(-1), c.range) << c.name;
        EXPECT_EQ(rb.extendedCapRange.value_or(false), c.extended) << c.name;
    }
}

TEST(DeviceSettingsReadBack, TemperatureReadsTransducerSensorAndItsCoefficients) {
    test::ScriptedPageMeter meter;
    meter.answer("func?\n", "\"TEMP\"");
    meter.answer("UNIT?\n", "K");
    meter.answer("SENS:TEMPerature:TRANsducer?\n", "FRTD");
    meter.answer("SENS:TEMP:RTD:TYPE?\n", "USER");
    meter.answer("SENS:TEMP:RTD:ALPH?\n", "+3.85123400E-03");
    meter.answer("SENS:TEMP:RTD:BETA?\n", "+0.00000000E+00");
    meter.answer("SENS:TEMP:RTD:DELT?\n", "junk");
    meter.answer("SENS:TEMP:RTD:RZER?\n", "+1.00000000E+02");
    PageChannel channel = meter.channel();
    // The single-function model: UNIT? without SENS, no capacitance question.
    const PrimaryReadBack rb = ReadInstrumentSettings(channel, SettingsModel::Single, 0, false);
    EXPECT_EQ(meter.commands(),
              (Commands{"func?\n", "UNIT?\n", "SENS:TEMPerature:TRANsducer?\n",
                        "SENS:TEMP:RTD:TYPE?\n", "SENS:TEMP:RTD:ALPH?\n", "SENS:TEMP:RTD:BETA?\n",
                        "SENS:TEMP:RTD:DELT?\n", "SENS:TEMP:RTD:RZER?\n"}));
    EXPECT_EQ(rb.columnIndex, 2);
    EXPECT_EQ(rb.transducer, 1);
    EXPECT_EQ(rb.rangeIndex, 6);  // USER on the list without NTCT
    EXPECT_EQ(rb.coefficients[0], "0.003851234");
    EXPECT_EQ(rb.coefficients[1], "0");
    EXPECT_EQ(rb.coefficients[2], "0");  // a non-number shows as 0
    EXPECT_EQ(rb.coefficients[3], "100");
    EXPECT_FALSE(rb.coefficients[4].has_value());
}

TEST(DeviceSettingsReadBack, UnknownAnswersLeaveSelectionsAndASilentMeterEndsIt) {
    test::ScriptedPageMeter meter;
    meter.answer("func?\n", "\"XYZ\"");
    meter.answer("SENS:RES:NPLC?\n", "7");
    meter.answer("RES:range?\n", "123");
    PageChannel channel = meter.channel();
    // Nothing matches: the page's own row (2W) is read on, nothing is selected.
    const PrimaryReadBack rb = ReadInstrumentSettings(channel, SettingsModel::Dual, 4, false);
    EXPECT_FALSE(rb.row || rb.columnIndex || rb.rangeIndex);
    EXPECT_EQ(meter.commands().front(), "func?\n");
    EXPECT_EQ(meter.commands()[1], "SENS:RES:NPLC?\n");

    // A function the model does not list selects nothing either.
    test::ScriptedPageMeter single;
    single.answer("func?\n", "\"TCO\"");
    PageChannel singleChannel = single.channel();
    EXPECT_FALSE(ReadInstrumentSettings(singleChannel, SettingsModel::Single, 0, false).row);
    EXPECT_EQ(single.commands()[1], "SENS:VOLT:DC:NPLC?\n");

    test::ScriptedPageMeter silent;
    silent.answer("func?\n", "\"VOLT\"");
    silent.silentFrom = "SENS:CAP:rang? MAX\n";
    PageChannel silentChannel = silent.channel();
    const PrimaryReadBack partial = ReadInstrumentSettings(silentChannel, SettingsModel::Dual, 0, false);
    EXPECT_EQ(partial.row, 0);
    EXPECT_FALSE(partial.rangeIndex);
    EXPECT_EQ(silent.commands(), (Commands{"func?\n", "SENS:VOLT:DC:NPLC?\n"}));
    EXPECT_TRUE(silentChannel.lost());
    EXPECT_FALSE(silentChannel.Send("CONF:RES\n"));  // nothing more leaves
    EXPECT_EQ(silent.commands().size(), 2u);
}

TEST(DeviceSettingsReadBack, SecondFunctionSelectsItsRangeAndSetting) {
    struct Case {
        const char* func2;
        Answers answers;
        std::string label;
        int range, setting;
    };
    const Case cases[] = {
        {"\"PER:CURR\"",
         {{"PER:CURR:range:auto?\n", "0"}, {"PER:CURR:range?\n", "3"}, {"PER:CURR:APERture?\n", "1"}},
         "CURR PERIOD", 2, 2},
        {"\"VOLT:AC\"",
         {{"VOLT:AC:range?\n", "+1.00000000E+03"}, {"DETector:BANDwidth?\n", "3"}},
         "ACV", 5, 0},
        {"\"CAP\"", {{"CAP:range?\n", "1e-8"}, {"CAP:nplc?\n", "0.2"}}, "CAP", 2, 4},
        {"\"TEMP\"", {{"UNIT?\n", "K"}, {"TEMP:RTD:TYPE?\n", "SPRTD"}}, "TEMP", 2, 6},
        {"\"TCO\"", {{"UNIT?\n", "F"}, {"TCO:TYPE?\n", "N"}}, "TCOUPL", 1, 7},
        {"\"VOLT\"", {{"VOLT:range:auto?\n", "1"}, {"VOLT:nplc?\n", "100"}}, "DCV", 0, 9},
    };
    for (const Case& c : cases) {
        test::ScriptedPageMeter meter;
        meter.answer("func2?\n", c.func2);
        for (const auto& [command, reply] : c.answers) meter.answer(command, reply);
        PageChannel channel = meter.channel();
        const std::optional<std::string> label = ReadSecondFunctionLabel(channel);
        ASSERT_TRUE(label);
        EXPECT_EQ(*label, c.label);
        const SecondSettingsReadBack rb = ReadSecondFunctionSettings(channel, *label, false);
        EXPECT_EQ(rb.rangeIndex.value_or(-1), c.range) << c.label;
        EXPECT_EQ(rb.settingIndex.value_or(-1), c.setting) << c.label;
    }
}

}  // namespace
}  // namespace qm
