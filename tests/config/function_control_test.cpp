#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ScriptedMeter.h"
#include "config/FunctionControl.h"
#include "support/ScriptedPrompter.h"

namespace qm {
namespace {

using Commands = std::vector<std::string>;

class MarkedTexts final : public TextSource {
  public:
    std::string GetText(std::string_view key, std::string_view english) const override {
        return "[" + std::string(key) + "] " + std::string(english);
    }
};

class FunctionControlTest : public ::testing::Test {
  protected:
    FunctionControl control{[this](int slot, const std::string& c) { return meters(slot, c); },
                            [this](int slot) { return identities[slot]; }, prompter, texts};
    test::ScriptedMeters meters;
    std::map<int, std::string> identities{
        {0, "VARNET,TX41,100,1.0"}, {1, "VARNET,TX42,200,1.0"}, {2, "VARNET,QMTX42,300,1.0"}};
    test::ScriptedPrompter prompter;
    MarkedTexts texts;
};

TEST_F(FunctionControlTest, EveryButtonSendsItsCommandAndSetsItsFlag) {
    control.SetCurrentSlot(1);
    for (const FunctionButton& button : g_functionButtons) {
        meters.sent.clear();
        const FunctionButtonResult result = control.OnFunctionButton(button);
        EXPECT_TRUE(result.sent);
        ASSERT_FALSE(meters.sent.empty());
        EXPECT_EQ(meters.sent.front(), std::make_pair(1, std::string(button.command) + "\n"));
        EXPECT_EQ(meters.sent[1].second, "func?\n");  // then the refresh
        EXPECT_EQ(control.autoRange(1), button.autoRange) << button.caption;
        EXPECT_EQ(control.slotFunction(1), std::string(button.command) + "\n");
        EXPECT_EQ(control.displaySlot(), 1);
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(FunctionControlTest, RefusesWithoutASelectedDevice) {
    for (bool multi : {false, true}) {
        control.SetMultiMode(multi);
        control.SetCurrentSlot(kNoSlot);
        const auto result = control.OnFunctionButtonName("DCV");
        ASSERT_TRUE(result.has_value());
        EXPECT_FALSE(result->sent);
        ASSERT_FALSE(prompter.messages.empty());
        EXPECT_EQ(prompter.last().text, "[1003] Select Device First");
        EXPECT_EQ(prompter.last().caption, "");
        EXPECT_EQ(prompter.last().icon, PromptIcon::Warning);
    }
    EXPECT_TRUE(meters.sent.empty());
    EXPECT_EQ(control.OnFunctionButtonName("OHM"), std::nullopt);
    EXPECT_EQ(control.OnFunctionButtonId(1084), std::nullopt);
    control.SetCurrentSlot(99);  // anything outside the table means none
    EXPECT_EQ(control.currentSlot(), kNoSlot);
}

TEST_F(FunctionControlTest, Tx42RefreshAsksInOrderAndRebuildsTheSecondFunction) {
    meters.answer(1, "func?\n", "\"CURR\"");
    meters.answer(1, "CURR:DC:RANGe:AUTO?\n", "0");
    meters.answer(1, "CURR:DC:range?\n", "1.0E+00");
    meters.answer(1, "func2?\n", "\"PER:CURR\"");
    control.SetCurrentSlot(1);
    const auto result = control.OnFunctionButtonId(1087);  // DCI: auto range on
    ASSERT_TRUE(result && result->sent);
    EXPECT_EQ(meters.commands(),
              (Commands{"CONF:CURR:DC\n", "func?\n", "CURR:DC:RANGe:AUTO?\n", "CURR:DC:range?\n",
                        "func?\n", "func2?\n",                 // device line names
                        "func2?\n", "func?\n", "func2?\n"}));  // rebuild, then names again
    const FunctionDisplayUpdate& d = result->display;
    EXPECT_TRUE(d.changed);
    EXPECT_EQ(d.functionText, "Function : DCI");
    EXPECT_EQ(d.rangeText, "Range : AUTO");
    ASSERT_TRUE(d.secondList.has_value());
    EXPECT_EQ(d.secondList->selection, 6);
    EXPECT_EQ(control.secondFunction(), "CURR PERIOD");
    EXPECT_TRUE(control.secondActive());
    EXPECT_EQ(control.func2Answer(), "PER:CURR");
    ASSERT_EQ(d.lines.size(), 1u);
    EXPECT_EQ(d.lines[0].functionCaption, "DCI");
    EXPECT_TRUE(d.lines[0].secondShown);
    EXPECT_EQ(d.lines[0].secondCaption, "CURR PERIOD");
    EXPECT_TRUE(control.secondValueFlag(0));
}

TEST_F(FunctionControlTest, TemperatureButtonClearsTheFlagSoTheInstrumentRangeShows) {
    meters.answer(1, "func?\n", "CAP");
    meters.answer(1, "CAP:RANGe:AUTO?\n", "0");
    meters.answer(1, "sens:cap:rang?\n", "1e-6");
    control.SetCurrentSlot(1);
    control.SetAutoRange(1, true);
    EXPECT_EQ(control.OnFunctionButtonName("cap")->display.rangeText, "Range : 1 uF");
    EXPECT_FALSE(control.autoRange(1));
}

TEST_F(FunctionControlTest, EmptyAnswerLeavesEverythingAsItWas) {
    meters.answer(0, "func?\n", "DIOD");
    control.SetCurrentSlot(0);
    control.SetDisplaySlot(0);
    ASSERT_TRUE(control.RefreshFunctionDisplay(0).changed);
    EXPECT_EQ(control.functionText(), "Function : DIOD");
    EXPECT_EQ(control.secondFunction(), "NONE");  // TX41
    meters.answer(0, "func?\n", "");
    const FunctionDisplayUpdate update = control.RefreshFunctionDisplay(0);
    EXPECT_FALSE(update.changed);
    EXPECT_EQ(control.functionText(), "Function : DIOD");
    EXPECT_EQ(control.rangeText(), "");

    control.SetDisplaySlot(kNoSlot);
    meters.sent.clear();
    EXPECT_FALSE(control.RefreshFunctionDisplay(kNoSlot).changed);
    EXPECT_TRUE(meters.sent.empty());
}

TEST_F(FunctionControlTest, DisabledComboIsNoActiveSecondFunction) {
    meters.answer(2, "func?\n", "RES");
    meters.answer(2, "RES:RANGe:AUTO?\n", "1");
    meters.answer(2, "func2?\n", "NONE");
    control.SetCurrentSlot(2);
    control.SetDisplaySlot(2);
    const FunctionDisplayUpdate update = control.RefreshFunctionDisplay(2);
    ASSERT_TRUE(update.secondList.has_value());
    EXPECT_FALSE(update.secondList->enabled);  // QMTX42, 2W: only TCOUPL would be left
    EXPECT_TRUE(update.secondList->entries.empty());
    EXPECT_EQ(control.secondFunction(), "");
    EXPECT_FALSE(control.secondActive());
}

TEST_F(FunctionControlTest, SecondFunctionChoiceSendsItsKeyword) {
    meters.answer(1, "func?\n", "VOLT");
    meters.answer(1, "func2?\n", "FREQ:CURR");
    control.SetCurrentSlot(1);
    control.SetDisplaySlot(1);
    control.RefreshFunctionDisplay(1);  // "Function : DCV"
    meters.sent.clear();

    const SecondFunctionChange change = control.OnSecondFunctionSelChange("CURR FREQ");
    EXPECT_FALSE(change.resetTraceSelection);
    EXPECT_EQ(meters.sent.front(), std::make_pair(1, std::string("Function2 \"FREQ:CURR\"\n")));
    // DCV does not allow CURR FREQ: the rebuild shows NONE selected.
    EXPECT_EQ(SelectedEntry(change.rebuild.list), "NONE");

    for (const char* none : {"NONE", "2W", "4W", "bogus"}) {
        meters.sent.clear();
        const SecondFunctionChange reset = control.OnSecondFunctionSelChange(none);
        EXPECT_TRUE(reset.resetTraceSelection) << none;
        EXPECT_EQ(meters.sent.front().second, "Function2 \"NONE\"\n") << none;
    }
}

TEST_F(FunctionControlTest, MultiDeviceLinesFollowTheActiveSlots) {
    identities[5] = "VARNET,TX42,500,1.0";
    meters.answer(0, "func?\n", "VOLT:AC");
    meters.answer(5, "func?\n", "TEMP");
    meters.answer(5, "func2?\n", "TCO");
    control.SetMultiMode(true);
    control.SetActiveSlots({0, 5, kNoSlot});
    const std::vector<SecondValueLine> lines = control.RefreshSlotFunctionLabels();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].slot, 0);
    EXPECT_EQ(lines[0].functionCaption, "ACV");
    EXPECT_FALSE(lines[0].secondShown);  // TX41: func2? not asked
    EXPECT_EQ(lines[1].line, 1);
    EXPECT_EQ(lines[1].functionCaption, "TEMP");
    EXPECT_EQ(lines[1].secondCaption, "TCOUPL");
    EXPECT_FALSE(control.secondValueFlag(0));
    EXPECT_TRUE(control.secondValueFlag(1));
    EXPECT_EQ(meters.commands(), (Commands{"func?\n", "func?\n", "func2?\n"}));
}

TEST_F(FunctionControlTest, ReadingSpeedAndXMax) {
    EXPECT_EQ(control.readTimerMs(), 25);
    EXPECT_EQ(control.xMax(), 100);
    EXPECT_EQ(control.xAxisLabel(), "100");
    for (std::string_view entry : g_readingSpeedEntries) {
        EXPECT_TRUE(control.OnReadingSpeedSelChange(entry));
        EXPECT_EQ(control.triggerIntervalText(), "Trigger Interval : " + std::string(entry));
    }
    EXPECT_EQ(control.readTimerMs(), 2000);
    for (std::string_view entry : g_xMaxEntries) {
        EXPECT_TRUE(control.OnXMaxSelChange(entry));
        EXPECT_EQ(control.xAxisLabel(), entry);
    }
    EXPECT_EQ(control.xMax(), 2000);
    EXPECT_TRUE(control.OnXMaxSelChange("50"));
    EXPECT_EQ(control.xAxisLabel(), "50 readings");
    // Values the timer and the chart buffers were not made for change nothing.
    for (const char* bad : {"0ms", "ms", "-25ms", "10ms", "5000ms"}) {
        EXPECT_FALSE(control.OnReadingSpeedSelChange(bad)) << bad;
    }
    for (const char* bad : {"", "readings", "4000 readings", "99999999999 readings"}) {
        EXPECT_FALSE(control.OnXMaxSelChange(bad)) << bad;
    }
    EXPECT_EQ(control.readTimerMs(), 2000);
    EXPECT_EQ(control.xMax(), 50);
}

}  // namespace
}  // namespace qm
