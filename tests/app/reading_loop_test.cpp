#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MeterTool.h"
#include "app/ReadingValues.h"
#include "sim/SimMeter.h"
#include "support/MeterToolBench.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatedBench.h"

namespace qm {
namespace {

TEST(ReadingValues, ClassificationAndFormatting) {
    // Ordinary, zero, negative.
    EXPECT_EQ(ClassifyReading(1.5, "CONF:VOLT:DC\n").text, "1.500000000000");
    const ClassifiedValue zero = ClassifyReading(0.0, "");
    EXPECT_EQ(zero.text, "0.000000000000");
    EXPECT_TRUE(zero.chartable);
    EXPECT_EQ(zero.value, kZeroMarker);
    EXPECT_EQ(ClassifyReading(-0.25, "").text, "-0.250000000000000");
    // Overload and open circuit are shown, never charted.
    for (double v : {9.9e37, -9.9e37, 9.9e20}) {
        EXPECT_EQ(ClassifyReading(v, "CONF:VOLT:DC\n").text, "OVLD") << v;
        EXPECT_FALSE(ClassifyReading(v, "").chartable);
        EXPECT_EQ(ClassifyReading(v, "CONF:CONT\n").text, "OPEN");
        EXPECT_EQ(ClassifyReading(v, "CONF:DIOD\n").text, "OPEN");
    }
    // Diode: above 1.2 V is an open junction and adds no chart point.
    const ClassifiedValue open = ClassifyReading(1.5, "CONF:DIOD\n");
    EXPECT_EQ(open.text, "OPEN");
    EXPECT_FALSE(open.chartable);
    const ClassifiedValue forward = ClassifyReading(0.6, "CONF:DIOD\n");
    EXPECT_EQ(forward.text, "0.600000000000");
    EXPECT_TRUE(forward.chartable);
    // "DIOD" at position 0 is not the diode function (the command starts with CONF:).
    EXPECT_EQ(ClassifyReading(1.5, "DIOD").text, "1.500000000000");

    EXPECT_EQ(FormatSecondField(kNoSecondValue), "OVLD");
    EXPECT_EQ(FormatSecondField(5.678), "5.678000000000");
}

TEST(ReadingValues, AnswerParsing) {
    const ParsedAnswer dual = ParseReadingAnswer("Varnet, TX42, SN1, V1", "+1.234E+00,+5.678E+00");
    EXPECT_DOUBLE_EQ(dual.main, 1.234);
    EXPECT_DOUBLE_EQ(dual.second, 5.678);
    EXPECT_TRUE(dual.hasSecond);
    const ParsedAnswer single = ParseReadingAnswer("Varnet, TX42, SN1, V1", "+1.5E-03\r\n");
    EXPECT_DOUBLE_EQ(single.main, 1.5e-3);
    EXPECT_EQ(single.second, kNoSecondValue);
    EXPECT_FALSE(single.hasSecond);
    // Another maker's two numbers are not split; text without a number (in
    // either half of a dual answer) is no reading at all.
    EXPECT_DOUBLE_EQ(ParseReadingAnswer("Othermaker, DM3000", "1,2").main, 1.0);
    for (const char* text : {"#$%&", ",", "", "nan", "1.5,", ",2"})
        EXPECT_FALSE(ParseReadingAnswer("Varnet, TX42", text).isReading) << text;
}

// Records what the loop asks of the window.
struct FakeView : ReadingView {
    void SetReadingControlsEnabled(bool enabled) override { controlsEnabled = enabled; }
    void ShowRunState(bool reading) override { runState = reading; }
    void StartTimer(int ms) override { timerMs = ms; }
    void StopTimer() override { timerMs = 0; }
    void LineUpdated(const LineReading& line) override { lines.push_back(line); }
    void ChartChanged() override { ++redraws; }

    bool controlsEnabled = true;
    bool runState = false;
    int timerMs = 0;
    int redraws = 0;
    std::vector<LineReading> lines;
};

struct LoopBench : test::MeterToolBench {
    explicit LoopBench(const std::string& extra = "value=1.5\nnoise=0", const std::string& model = "TX42") {
        bench.UseTable(test::SimMeterSection("USB0::0x1209::0x4101::SN1::INSTR", model, "SN1", extra));
        tool.Refresh();
        tool.loop().SetView(&view);
    }
    sim::SimMeter& meter() {
        return visa::simEndpointOf(tool.sessions().slotSession(0))->meter();
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) tool.loop().OnTimer();
    }

    FakeView view;
};

TEST(ReadingLoop, StartTicksAndStopInSingleDeviceMode) {
    LoopBench b;
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    EXPECT_TRUE(b.view.runState);
    EXPECT_FALSE(b.view.controlsEnabled);
    EXPECT_EQ(b.view.timerMs, 25);
    EXPECT_TRUE(b.prompter.messages.empty());

    b.Ticks(3);
    ASSERT_EQ(b.view.lines.size(), 3u);
    EXPECT_TRUE(b.view.lines.back().answered);
    EXPECT_EQ(b.view.lines.back().mainText, "1.500000000000");
    EXPECT_EQ(b.view.lines.back().line, 0);
    EXPECT_EQ(b.tool.chart().pointCount(), 3);
    EXPECT_DOUBLE_EQ(b.tool.chart().point(0, 2), 1.5);

    b.tool.loop().OnStopReading();
    EXPECT_FALSE(b.tool.loop().reading());
    EXPECT_FALSE(b.view.runState);
    EXPECT_TRUE(b.view.controlsEnabled);
    EXPECT_EQ(b.view.timerMs, 0);
    // Stop cleared the meter and wrote the four bytes "*cls".
    const auto log = b.meter().commandLog();
    ASSERT_GE(log.size(), 1u);
    bool sawCls = false;
    for (const auto& c : log) sawCls = sawCls || c == "*cls";
    EXPECT_TRUE(sawCls);
}

TEST(ReadingLoop, OverloadOpenAndZeroReadings) {
    LoopBench b("value=0\nnoise=0");
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    b.Ticks(1);
    EXPECT_EQ(b.view.lines.back().mainText, "0.000000000000");
    EXPECT_EQ(b.tool.chart().point(0, 0), kZeroMarker);

    b.meter().setValue(5000.0);  // beyond the 1000 V range
    b.Ticks(1);
    EXPECT_EQ(b.view.lines.back().mainText, "OVLD");
    EXPECT_EQ(b.tool.chart().point(0, 1), 0.0);  // no point
    b.tool.loop().OnStopReading();

    ASSERT_TRUE(b.tool.PressFunctionButton("CONT").has_value());
    b.meter().setValue(std::nullopt);
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    b.Ticks(1);
    EXPECT_EQ(b.view.lines.back().mainText, "OPEN");
}

TEST(ReadingLoop, DualAnswerFillsTheSecondValue) {
    LoopBench b("value=1.234\nvalue2=0.5\nnoise=0");
    b.tool.sessions().Query(0, "FUNC2 \"CURR\"\n");
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    b.Ticks(1);
    const LineReading& line = b.view.lines.back();
    EXPECT_TRUE(line.hasSecond);
    EXPECT_EQ(line.mainText, "1.234000000000");
    EXPECT_EQ(line.secondText, "0.500000000000");
}

TEST(ReadingLoop, ConnectionLossStopsAndSaysSo) {
    LoopBench b("value=1\nnoise=0\ndrop_after=16");
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    b.Ticks(20);
    EXPECT_FALSE(b.tool.loop().reading());
    EXPECT_EQ(b.tool.loop().endReason(), ReadingLoop::EndReason::ConnectionLost);
    ASSERT_FALSE(b.prompter.messages.empty());
    EXPECT_EQ(b.prompter.last().text, "Check Device Connection");
    EXPECT_EQ(b.prompter.last().caption, "ERROR");
    EXPECT_EQ(b.prompter.last().icon, PromptIcon::Error);
    EXPECT_FALSE(b.view.runState);
    EXPECT_TRUE(b.view.controlsEnabled);
}

TEST(ReadingLoop, AReadThatTimesOutIsNotAReading) {
    LoopBench b("value=2\nnoise=0\ndelay_ms=1500");
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    b.Ticks(2);
    ASSERT_TRUE(b.view.lines.back().answered);
    // The meter now answers later than the session waits.
    b.tool.sessions().SetTimeout(0, 1000);
    b.Ticks(1);
    const LineReading silent = b.view.lines.back();
    EXPECT_FALSE(silent.answered);
    EXPECT_TRUE(silent.mainText.empty());
    EXPECT_TRUE(b.tool.loop().reading());  // a timeout is not a lost connection
    EXPECT_EQ(b.tool.chart().point(0, 2), 0.0);  // no chart point for it
    // Patience restored: the next tick reads normally, not the late answer's leftovers.
    b.tool.sessions().SetTimeout(0, kSessionTimeoutMs);
    b.Ticks(1);
    EXPECT_TRUE(b.view.lines.back().answered);
    EXPECT_EQ(b.view.lines.back().mainText, "2.000000000000");
    EXPECT_TRUE(b.prompter.messages.empty());
}

TEST(ReadingLoop, StartRefusals) {
    LoopBench none("value=1");
    visa::useEmptyResourceTable();
    none.tool.Refresh();
    EXPECT_FALSE(none.tool.loop().OnStartReading());
    EXPECT_EQ(none.prompter.last().text, "No Device Connected");
    EXPECT_EQ(none.prompter.last().icon, PromptIcon::Warning);
    EXPECT_EQ(none.prompter.last().caption, "");

    // Started empty, meters present now: the guard asks for a Refresh and the
    // controls come back at once.
    none.bench.UseBuiltin();
    EXPECT_EQ(none.tool.CheckConnectionChanged(), -1);
    EXPECT_NE(none.prompter.last().text.find("Refresh"), std::string::npos);
}

TEST(ReadingLoop, RedrawCadenceFollowsXMax) {
    LoopBench b;
    ASSERT_TRUE(b.tool.function().OnXMaxSelChange("50 readings"));
    b.tool.chart().setXMax(50);
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    const int before = b.view.redraws;
    b.Ticks(5);
    EXPECT_EQ(b.view.redraws - before, 5);
    b.tool.loop().OnStopReading();

    b.tool.chart().setXMax(2000);
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    const int start = b.view.redraws;
    b.Ticks(80);
    EXPECT_EQ(b.view.redraws - start, 2);
}

TEST(ReadingLoop, SlowAcFilterPipelinesTheReadings) {
    LoopBench b("value=0.5\nnoise=0");
    ASSERT_TRUE(b.tool.PressFunctionButton("ACV").has_value());
    b.tool.sessions().Query(0, "DET:BAND 3\n");
    b.meter().clearCommandLog();
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    EXPECT_TRUE(b.tool.loop().pipelined());
    // The first reading was asked for at Start, without a line feed.
    auto log = b.meter().commandLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "read?");
    b.Ticks(3);
    EXPECT_EQ(b.view.lines.back().mainText, "0.500000000000");
    EXPECT_EQ(b.tool.chart().pointCount(), 3);
    b.tool.loop().OnStopReading();
    EXPECT_FALSE(b.tool.loop().pipelined());
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

TEST(StatusRefresh, AMeterThatFallsSilentCostsOneTimeoutAndChangesNothing) {
    LoopBench b;
    ASSERT_TRUE(b.tool.PressFunctionButton("ACV").has_value());
    const std::string function = b.tool.function().functionText();
    const std::string range = b.tool.function().rangeText();
    ASSERT_EQ(function, "Function : ACV");

    // From now on the meter answers later than the session waits.
    sim::Faults silent;
    silent.answerDelay = std::chrono::milliseconds(30000);
    visa::simEndpointOf(b.tool.sessions().slotSession(0))->setFaults(silent);
    const auto before = b.bench.clock.now();
    const FunctionDisplayUpdate update = b.tool.RefreshFunctionDisplay();
    EXPECT_FALSE(update.changed);
    EXPECT_EQ(b.tool.function().functionText(), function);
    EXPECT_EQ(b.tool.function().rangeText(), range);
    EXPECT_LE(b.bench.clock.now() - before, std::chrono::milliseconds(kSessionTimeoutMs));

    // A button press on the silent meter: the configure command goes out, the
    // first status query times out, and no further query waits again.
    const auto pressed = b.bench.clock.now();
    b.tool.PressFunctionButton("DCV");
    EXPECT_LE(b.bench.clock.now() - pressed, std::chrono::milliseconds(kSessionTimeoutMs));
    EXPECT_EQ(b.tool.function().functionText(), function);
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

TEST(StatusRefresh, StartingOnASilentMeterCostsOneTimeout) {
    LoopBench b;
    sim::Faults silent;
    silent.answerDelay = std::chrono::milliseconds(30000);
    visa::simEndpointOf(b.tool.sessions().slotSession(0))->setFaults(silent);
    const auto before = b.bench.clock.now();
    // No function answer: the meter is taken for lost, at once.
    EXPECT_FALSE(b.tool.loop().OnStartReading());
    EXPECT_LE(b.bench.clock.now() - before, std::chrono::milliseconds(kSessionTimeoutMs));
    EXPECT_EQ(b.prompter.last().text, "Check Device Connection");
}

}  // namespace
}  // namespace qm
