// Set on the Device Settings page: the order of the commands for each
// setting kind, their checks and messages, the sensor coefficient limits,
// and where a failure stops the sequence.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "ScriptedPageMeter.h"
#include "config/DeviceSettingsApply.h"
#include "support/ScriptedPrompter.h"

namespace qm {
namespace {

using Commands = std::vector<std::string>;
using namespace apply_messages;

class ApplyTest : public ::testing::Test {
  protected:
    ApplyOutcome Run(const ApplyRequest& request) {
        PageChannel channel = meter.channel();
        return ApplySettings(channel, request, prompter, texts,
                             [this](int slot, bool on) { autoRange[slot] = on; });
    }
    static ApplyRequest Request(SettingsModel model, int row, int range, int column = 0) {
        ApplyRequest r;
        r.model = model;
        r.row = row;
        r.rangeIndex = range;
        r.columnIndex = column;
        return r;
    }
    test::ScriptedPageMeter meter;
    test::ScriptedPrompter prompter;
    EnglishTexts texts;
    std::map<int, bool> autoRange;
};

TEST_F(ApplyTest, FixedRangeIsSentWithTwelveDecimalsAndChecked) {
    meter.answer("func?\n", "\"VOLT\"");
    meter.answer("SENS:VOLT:DC:RANGE?\n", "+1.00000000E-01");
    const ApplyOutcome out = Run(Request(SettingsModel::Dual, 0, 1, 6));
    EXPECT_TRUE(out.completed);
    EXPECT_EQ(meter.commands(),
              (Commands{"CONF:VOLT:DC\n", "func?\n", "SENS:VOLT:DC:RANGE:AUTO 0\n",
                        "SENS:VOLT:DC:RANGE 0.100000000000\n", "SENS:VOLT:DC:RANGE?\n",
                        "Function2 \"NONE\"\n", "SENS:VOLT:DC:NPLC 1\n"}));
    EXPECT_FALSE(autoRange.at(0));
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(ApplyTest, AutoRangeLeavesTenAmpsThroughOneAmp) {
    meter.answer("func?\n", "\"CURR\"");
    meter.answer("SENS:CURR:DC:RANG?\n", "+1.00000000E+01");
    meter.answer("SENS:CURR:DC:RANG:AUTO?\n", "1");
    meter.answer("func2?\n", "\"NONE\"");
    EXPECT_TRUE(Run(Request(SettingsModel::Single, 1, 0, 0)).completed);
    EXPECT_EQ(meter.commands(),
              (Commands{"CONF:CURR:DC\n", "func?\n", "SENS:CURR:DC:RANG?\n", "SENS:CURR:DC:RANG 1\n",
                        "SENS:CURR:DC:RANG:AUTO 1\n", "SENS:CURR:DC:RANG:AUTO?\n",
                        "SENS:CURR:DC:NPLC 0.02\n"}));
    EXPECT_TRUE(autoRange.at(0));
}

TEST_F(ApplyTest, FrequencyAndPeriodSetTheirInputRangeAndOwnAperture) {
    meter.answer("func?\n", "\"FREQ\"");
    EXPECT_TRUE(Run(Request(SettingsModel::Single, 6, 0, 1)).completed);
    EXPECT_EQ(meter.commands(), (Commands{"CONF:FREQ\n", "func?\n", "SENS:FREQ:volt:rang:auto on\n",
                                          "SENS:freq:APER 0.1\n"}));
    meter.meters.sent.clear();
    meter.answer("func?\n", "\"PER\"");
    EXPECT_TRUE(Run(Request(SettingsModel::Dual, 7, 5, 2)).completed);
    EXPECT_EQ(meter.commands(), (Commands{"CONF:PER\n", "func?\n", "SENS:PER:volt:rang 750.0\n",
                                          "SENS:PER:APER 1\n", "Function2 \"NONE\"\n"}));
}

TEST_F(ApplyTest, EachModelSendsItsResolutionBandwidthAndRatioForms) {
    meter.answer("func?\n", "\"VOLT:AC\"");
    meter.answer("SENS:VOLT:AC:RANGE?\n", "+1.00000000E+03");  // 750 V reports as 1000
    EXPECT_TRUE(Run(Request(SettingsModel::Single, 2, 5, 0)).completed);
    EXPECT_EQ(meter.commands().back(), "SENS:DET:BAND 3\n");

    meter.meters.sent.clear();
    meter.answer("func?\n", "\"VOLT:RAT\"");
    meter.answer("SENS:VOLT:DC:RAT:RANGE:AUTO?\n", "1");
    EXPECT_TRUE(Run(Request(SettingsModel::Single, 11, 0, 3)).completed);
    EXPECT_EQ(meter.commands(),
              (Commands{"CONF:VOLT:RAT\n", "func?\n", "SENS:VOLT:RAT:RANG?\n",
                        "SENS:VOLT:RAT:RANG:AUTO 1\n", "SENS:VOLT:DC:RAT:RANGE:AUTO?\n",
                        "SENS:VOLT:DC:RAT:NPLC 10\n"}));
    meter.meters.sent.clear();
    EXPECT_TRUE(Run(Request(SettingsModel::Dual, 11, 0, 9)).completed);
    EXPECT_EQ(meter.commands()[3], "SENS:VOLT:DC:RAT:RANGE:AUTO 1\n");
    EXPECT_EQ(meter.commands().back(), "SENS:VOLT:DC:RAT:NPLC 100\n");

    meter.meters.sent.clear();
    meter.answer("func?\n", "\"CAP\"");
    meter.answer("SENS:CAP:RANGE?\n", "1e-9");
    EXPECT_TRUE(Run(Request(SettingsModel::Dual, 13, 1)).completed);
    EXPECT_EQ(meter.commands()[3], "SENS:CAP:RANGE 0.000000001000\n");
}

TEST_F(ApplyTest, SecondFunctionRaisesSmallCurrentRangesAndIsAppliedAfterTheRange) {
    meter.answer("func?\n", "\"CURR\"");
    meter.answer("SENS:CURR:DC:RANGE?\n", "1");
    ApplyRequest request = Request(SettingsModel::Dual, 1, 1, 6);  // 10m Adc
    request.second.label = "ACI";
    request.second.rangeIndex = 2;    // "3 A"
    request.second.settingIndex = 0;  // 3 Hz
    const ApplyOutcome out = Run(request);
    EXPECT_TRUE(out.completed);
    EXPECT_EQ(out.forcedRangeIndex, 3);
    ASSERT_EQ(prompter.texts().size(), 1u);
    EXPECT_EQ(prompter.last().text, kSecondFunctionCurrent);
    EXPECT_EQ(meter.commands(),
              (Commands{"CONF:CURR:DC\n", "func?\n", "SENS:CURR:DC:RANGE:AUTO 0\n",
                        "SENS:CURR:DC:RANGE 1.000000000000\n", "SENS:CURR:DC:RANGE?\n",
                        "Function2 \"CURR:AC\"\n", "CURR:AC:range 3 A\n", "DETector:BANDwidth 3\n",
                        "SENS:CURR:DC:NPLC 1\n"}));

    // Without a second function on the page, one the meter still runs is
    // switched off before the small range is chosen.
    meter.meters.sent.clear();
    meter.answer("func2?\n", "\"CURR:AC\"");
    meter.answer("SENS:CURR:DC:RANGE?\n", "0.01");
    EXPECT_TRUE(Run(Request(SettingsModel::Dual, 1, 1, 6)).completed);
    const Commands sent = meter.commands();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ((Commands{sent.begin(), sent.begin() + 3}),
              (Commands{"func2?\n", "func2 \"NONE\"\n", "CONF:CURR:DC\n"}));
}

TEST_F(ApplyTest, SecondFunctionCommandsPerKind) {
    struct Case {
        std::string label;
        int range, setting;
        Commands expected;
    };
    const Case cases[] = {
        {"DCV", 0, 6, {"Function2 \"VOLT\"\n", "VOLT:range?\n", "VOLT:range:auto ON\n", "VOLT:nplc 1\n"}},
        {"RES", 2, 0, {"Function2 \"RES\"\n", "RES:range 1000\n", "RES:nplc 0.001\n"}},
        {"CURR PERIOD", 1, 2, {"Function2 \"PER:CURR\"\n", "PER:CURR:range 1\n", "PER:CURR:aper 1\n"}},
        {"CAP", 2, 0, {"Function2 \"CAP\"\n", "CAP:range 10E-9\n", "CAP:nplc 0.001\n"}},
        {"TEMP", 2, 7, {"Function2 \"TEMP\"\n", "UNIT K\n", "TEMP:RTD:TYPE NTCT\n", "TEMP:TRAN RTD\n"}},
        {"TCOUPL", 1, 1, {"Function2 \"TCO\"\n", "UNIT F\n", "TCO:TYPE J\n"}},
        {"NONE", 0, 0, {"Function2 \"NONE\"\n"}},
    };
    for (const Case& c : cases) {
        test::ScriptedPageMeter panel;
        PageChannel channel = panel.channel();
        EXPECT_TRUE(ApplySecondFunction(channel, {c.label, c.range, c.setting, 0}, false));
        EXPECT_EQ(panel.commands(), c.expected) << c.label;
    }
}

TEST_F(ApplyTest, TemperatureSendsSensorTransducerCoefficientsAndUnitInOrder) {
    meter.answer("func?\n", "\"TEMP\"");
    meter.answer("SENS:TEMP:RTD:TYPE?\n", "USER");
    meter.answer("SENS:UNIT?\n", "K");
    ApplyRequest request = Request(SettingsModel::Dual, 10, 7, 2);
    request.transducer = 1;
    request.coefficientTexts = {"0.003851234", "0.1", " 1.5 ", "100", "", ""};
    EXPECT_TRUE(Run(request).completed);
    EXPECT_EQ(meter.commands(),
              (Commands{"CONF:TEMP\n", "func?\n", "SENS:TEMP:RTD:TYPE USER\n", "SENS:TEMP:RTD:TYPE?\n",
                        "SENS:TEMPerature:TRANsducer FRTD\n", "SENS:TEMP:RTD:ALPH 0.003851234\n",
                        "SENS:TEMP:RTD:BETA 0.1\n", "SENS:TEMP:RTD:DELT 1.5\n",
                        "SENS:TEMP:RTD:RZER 100\n", "SENS:UNIT K\n", "SENS:UNIT?\n",
                        "Function2 \"NONE\"\n"}));
    EXPECT_FALSE(autoRange.at(0));

    // PT100 has no coefficients; the single-function model's unit has no SENS.
    meter.meters.sent.clear();
    meter.answer("SENS:TEMP:RTD:TYPE?\n", "PT100");
    meter.answer("UNIT?\n", "C");
    EXPECT_TRUE(Run(Request(SettingsModel::Single, 10, 0, 0)).completed);
    EXPECT_EQ(meter.commands(),
              (Commands{"CONF:TEMP\n", "func?\n", "SENS:TEMP:RTD:TYPE PT100\n", "SENS:TEMP:RTD:TYPE?\n",
                        "SENS:TEMPerature:TRANsducer RTD\n", "UNIT C\n", "UNIT?\n"}));
}

TEST_F(ApplyTest, AFailedCheckShowsItsMessageAndSendsNothingMore) {
    struct Case {
        const char* name;
        ApplyRequest request;
        std::map<std::string, std::string> answers;
        std::string_view message;
        std::string lastCommand;
    };
    const Case cases[] = {
        {"function", Request(SettingsModel::Dual, 4, 0), {{"func?\n", "\"FRES\""}}, kFunction, "func?\n"},
        {"silent function", Request(SettingsModel::Dual, 4, 0), {{"func?\n", ""}}, kNoAnswer, "func?\n"},
        {"sensor type", Request(SettingsModel::Dual, 10, 7),
         {{"func?\n", "TEMP"}, {"SENS:TEMP:RTD:TYPE?\n", "PT100"}}, kSensorType,
         "SENS:TEMP:RTD:TYPE?\n"},
        {"thermocouple type", Request(SettingsModel::Dual, 12, 1),
         {{"func?\n", "TCO"}, {"SENS:TCO:TYPE?\n", "K"}}, kThermocoupleType, "SENS:TCO:TYPE?\n"},
        {"unit", Request(SettingsModel::Dual, 12, 0, 2),
         {{"func?\n", "TCO"}, {"SENS:TCO:TYPE?\n", "K"}, {"SENS:UNIT?\n", "C"}}, kUnit,
         "SENS:UNIT?\n"},
        {"auto range", Request(SettingsModel::Dual, 4, 0),
         {{"func?\n", "RES"}, {"SENS:RES:RANG:AUTO?\n", "0"}}, kAutoRange, "SENS:RES:RANG:AUTO?\n"},
        {"range", Request(SettingsModel::Dual, 4, 2),
         {{"func?\n", "RES"}, {"SENS:RES:RANGE?\n", "1e4"}}, kRange, "SENS:RES:RANGE?\n"},
    };
    for (const Case& c : cases) {
        test::ScriptedPageMeter m;
        for (const auto& [command, reply] : c.answers) m.answer(command, reply);
        test::ScriptedPrompter p;
        PageChannel channel = m.channel();
        ApplyRequest request = c.request;
        request.coefficientTexts = {"0", "0", "0", "100", "0", "0"};
        const ApplyOutcome out = ApplySettings(channel, request, p, texts, {});
        EXPECT_FALSE(out.completed) << c.name;
        ASSERT_EQ(p.texts().size(), 1u) << c.name;
        EXPECT_EQ(p.last().text, c.message) << c.name;
        EXPECT_EQ(p.last().caption, "") << c.name;
        EXPECT_EQ(m.commands().back(), c.lastCommand) << c.name;
    }
}

TEST_F(ApplyTest, NothingIsSentForAThermocoupleOnTheSingleModelOrBadInput) {
    EXPECT_FALSE(Run(Request(SettingsModel::Single, 12, 0)).completed);
    EXPECT_EQ(prompter.last().text, kNoThermocouple);
    EXPECT_FALSE(Run(Request(SettingsModel::Dual, 0, 6)).completed);  // no seventh DC range
    EXPECT_EQ(prompter.last().text, kNotOffered);
    ApplyRequest user = Request(SettingsModel::Dual, 10, 7);
    user.coefficientTexts = {"0.01", "1", "5", "1000.5", "", ""};
    EXPECT_FALSE(Run(user).completed);
    EXPECT_EQ(prompter.last().text, "R-ZERO range is 10 - 1000，please re-enter.");
    user.coefficientTexts[3] = "1e3x";
    EXPECT_FALSE(Run(user).completed);
    EXPECT_EQ(prompter.last().text, "R-zero: Please input a valid value.");
    EXPECT_TRUE(meter.commands().empty());
    EXPECT_TRUE(autoRange.empty());
}

TEST_F(ApplyTest, AMeterThatStopsPartWayGetsNothingMore) {
    meter.answer("func?\n", "\"TEMP\"");
    meter.answer("SENS:TEMP:RTD:TYPE?\n", "SPRTD");
    meter.silentFrom = "SENS:TEMP:SPRTD:B4 -0.5\n";
    ApplyRequest request = Request(SettingsModel::Dual, 10, 6);
    request.coefficientTexts = {"25.5", "0.5", "-0.5", "0", "1", "-1"};
    EXPECT_FALSE(Run(request).completed);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{std::string(kNoAnswer)});
    EXPECT_EQ(meter.commands().back(), "SENS:TEMP:SPRTD:A4 0.5\n");
}

// Every limit of every sensor coefficient, on both sides, with the message
// of its key; the first value outside wins.
TEST(SensorLimits, EveryLimitOnBothSides) {
    class KeyTexts final : public TextSource {
      public:
        std::string GetText(std::string_view key, std::string_view) const override {
            return "key " + std::string(key);
        }
    } texts;
    const std::map<std::string, std::vector<std::string>> keys{
        {"USER", {"1004", "1005", "1006", "1007"}},
        {"SPRTD", {"1007", "1008", "1009", "1010", "1011", "1012"}},
        {"NTCT", {"1035", "1036", "1037"}}};
    auto text = [](double v) {
        char b[40];
        std::snprintf(b, sizeof b, "%.17g", v);
        return std::string(b);
    };
    for (const auto& [sensor, expectedKeys] : keys) {
        const auto coefficients = SensorCoefficients(sensor);
        ASSERT_EQ(coefficients.size(), expectedKeys.size());
        for (std::size_t i = 0; i < coefficients.size(); ++i) {
            const SensorCoefficient& c = coefficients[i];
            EXPECT_EQ(c.messageKey, expectedKeys[i]);
            std::array<std::string, kCoefficientCount> edits{};
            for (const SensorCoefficient& other : coefficients)
                edits[static_cast<std::size_t>(other.position)] = text(other.lower);
            const double step = std::max(1e-9, std::fabs(c.upper - c.lower) * 1e-6);
            for (double inside : {c.lower, c.upper}) {
                edits[static_cast<std::size_t>(c.position)] = text(inside);
                EXPECT_FALSE(CheckCoefficients(sensor, edits)) << sensor << " " << c.caption;
            }
            for (double outside : {c.lower - step, c.upper + step}) {
                edits[static_cast<std::size_t>(c.position)] = text(outside);
                const auto problem = CheckCoefficients(sensor, edits);
                ASSERT_TRUE(problem) << sensor << " " << c.caption << " " << outside;
                EXPECT_EQ(problem->position, c.position);
                EXPECT_EQ(CoefficientProblemText(sensor, *problem, texts), "key " + expectedKeys[i]);
            }
        }
    }
    // R-zero of SPRTD is examined before A4.
    const auto first = CheckCoefficients("SPRTD", {"9.99", "2", "0", "0", "0", "0"});
    ASSERT_TRUE(first);
    EXPECT_EQ(first->position, 0);
    EXPECT_FALSE(CheckCoefficients("PT100", {"x", "", "", "", "", ""}));
    for (const char* bad : {"", "  ", "abc", "0.001x", "1,5", "nan", "inf", "1e999"}) {
        const auto problem = CheckCoefficients("NTCT", {bad, "0", "0", "0", "0", "0"});
        ASSERT_TRUE(problem) << bad;
        EXPECT_TRUE(problem->notANumber) << bad;
    }
}

TEST(SensorLimits, CoefficientsKeepTheirDigits) {
    EXPECT_EQ(FormatCoefficient(0), "0");
    EXPECT_EQ(FormatCoefficient(0.00385), "0.00385");
    EXPECT_EQ(FormatCoefficient(-1.23456789e-5), "-1.23456789e-05");
    EXPECT_EQ(FormatCoefficient(100.123456), "100.123456");
}

}  // namespace
}  // namespace qm
