// Several meters read at once: the i-th chosen meter owns device line i for
// its fields, chart rows and record, whatever its slot; one meter lost ends
// the run with every reading of every meter in its record; two meters never
// save into one record.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/MeterTool.h"
#include "app/ReadingValues.h"
#include "records/RecordTestSupport.h"
#include "sim/SimEndpoint.h"
#include "support/MeterToolBench.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatedBench.h"

namespace qm {
namespace {

using test::StoredValues;

struct Lines : ReadingView {
    void LineUpdated(const LineReading& l) override { lines.push_back(l); }
    // Per device line, the main values shown as saved.
    std::map<int, std::vector<std::string>> SavedByLine() const {
        std::map<int, std::vector<std::string>> saved;
        for (const LineReading& l : lines)
            if (l.saved) saved[l.line].push_back(l.mainText);
        return saved;
    }
    std::vector<LineReading> lines;
};

// Four meters in slots 0-3 measuring 1, 2, 3 and 4 V; the TX42s also
// measure a second value of 0.1, 0.2, ... when their second function is on.
struct MultiBench : test::MeterToolInFolder {
    explicit MultiBench(const std::vector<std::string>& extra = {"", "", "", ""}) {
        const char* models[] = {"TX42", "TX41", "TX42", "QMTX42"};
        std::string table;
        for (int i = 0; i < 4; ++i) {
            const std::string n = std::to_string(i + 1);
            table += test::SimMeterSection("USB0::0x1209::0x4101::SN" + n + "::INSTR", models[i],
                                           "SN" + n,
                                           "value=" + n + "\nvalue2=0." + n + "\nnoise=0\n" +
                                               extra[static_cast<std::size_t>(i)]);
        }
        bench.UseTable(table);
        tool.Refresh();
        tool.loop().SetView(&view);
    }
    void Choose(std::vector<int> slots, std::vector<int> records = {}) {
        ReadingSettingsValues v;
        v.multiMode = true;
        v.chosen = std::move(slots);
        v.colours = tool.chart().colours();
        for (std::size_t i = 0; i < records.size(); ++i) {
            v.saveFlag[i] = records[i] > 0;
            v.recordNo[i] = records[i];
        }
        tool.ApplyReadingSettings(v);
    }
    std::string Record(int n) const { return dir.path() + "/DB/Record " + std::to_string(n) + ".mdb"; }
    sim::SimEndpoint* Endpoint(int slot) { return visa::simEndpointOf(tool.sessions().slotSession(slot)); }
    void Ticks(int n) {
        for (int i = 0; i < n && tool.loop().reading(); ++i) tool.loop().OnTimer();
    }

    Lines view;
};

std::string Shown(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.12f", v);
    return text;
}

TEST(MultiDevice, EachChosenMeterOwnsTheLineOfItsPlaceInTheChoice) {
    MultiBench b;
    // Slot 2 and slot 3 measure a second value, slot 0 does not.
    b.tool.sessions().Query(2, "Function2 \"VOLT:AC\"\n");
    b.tool.sessions().Query(3, "Function2 \"CURR\"\n");
    b.Choose({2, 0, 3, 1}, {7, 0, 3, 9});
    ASSERT_TRUE(b.tool.loop().OnStartReading()) << b.prompter.texts().front();
    EXPECT_EQ(b.tool.loop().activeSlots(), (std::vector<int>{2, 0, 3, 1}));
    b.Ticks(3);
    b.tool.loop().OnStopReading();

    // Each tick reads every meter once, in the chosen order.
    ASSERT_EQ(b.view.lines.size(), 12u);
    const int slotOfLine[] = {2, 0, 3, 1};
    for (std::size_t i = 0; i < b.view.lines.size(); ++i) {
        const LineReading& l = b.view.lines[i];
        EXPECT_EQ(l.line, static_cast<int>(i % 4));
        EXPECT_EQ(l.slot, slotOfLine[i % 4]);
        EXPECT_EQ(l.mainText, Shown(slotOfLine[i % 4] + 1));
        EXPECT_EQ(l.saving, l.line != 1) << "line " << l.line;
    }
    // Lines 1 and 3 measure a second value, and chart it on their own rows.
    EXPECT_EQ(b.view.lines[0].secondText, Shown(0.3));
    EXPECT_EQ(b.view.lines[2].secondText, Shown(0.4));
    EXPECT_FALSE(b.view.lines[1].hasSecond);
    EXPECT_FALSE(b.view.lines[3].hasSecond);  // TX41
    for (int line = 0; line < 4; ++line)
        EXPECT_DOUBLE_EQ(b.tool.chart().point(line, 2), slotOfLine[line] + 1) << line;
    EXPECT_DOUBLE_EQ(b.tool.chart().point(kChartSlots + 0, 2), 0.3);
    EXPECT_DOUBLE_EQ(b.tool.chart().point(kChartSlots + 2, 2), 0.4);
    EXPECT_EQ(b.tool.chart().point(kChartSlots + 1, 2), 0.0);
    const ChartDevices devices = b.tool.loop().chartDevices();
    EXPECT_EQ(devices.activeSlots, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(devices.dualDisplay);
    EXPECT_TRUE(devices.slotHasSecond[0] && devices.slotHasSecond[2]);
    EXPECT_FALSE(devices.slotHasSecond[1] || devices.slotHasSecond[3]);

    // Each saving line's readings are in its own record, and only there.
    EXPECT_EQ(StoredValues(b.Record(7)), (std::vector<double>{3, 3, 3}));
    EXPECT_EQ(StoredValues(b.Record(7), true), (std::vector<double>{0.3, 0.3, 0.3}));
    EXPECT_EQ(StoredValues(b.Record(3)), (std::vector<double>{4, 4, 4}));
    EXPECT_EQ(StoredValues(b.Record(9)), (std::vector<double>{2, 2, 2}));
    EXPECT_EQ(StoredValues(b.Record(9), true),
              (std::vector<double>{kRecordNoSecondValue, kRecordNoSecondValue, kRecordNoSecondValue}));
}

TEST(MultiDevice, OneMeterLostStopsTheRunWithEveryReadingTakenInItsRecord) {
    // The third chosen meter's link goes after a few readings.
    MultiBench b({"", "", "drop_after=9", ""});
    b.Choose({0, 1, 2, 3}, {1, 2, 3, 4});
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    b.Ticks(50);
    EXPECT_FALSE(b.tool.loop().reading());
    EXPECT_EQ(b.tool.loop().endReason(), ReadingLoop::EndReason::ConnectionLost);
    EXPECT_EQ(b.prompter.last().text, "Check Device Connection");
    EXPECT_EQ(b.prompter.last().caption, "ERROR");

    // The meters before the lost one were read in its last tick, the one
    // after it was not: every reading shown as saved is in its record.
    const auto saved = b.view.SavedByLine();
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_EQ(saved.at(0).size(), saved.at(2).size() + 1);
    EXPECT_EQ(saved.at(3).size(), saved.at(2).size());
    for (const auto& [line, shown] : saved) {
        const std::vector<double> stored = StoredValues(b.Record(line + 1));
        ASSERT_EQ(stored.size(), shown.size()) << "line " << line;
        for (std::size_t i = 0; i < stored.size(); ++i) EXPECT_EQ(Shown(stored[i]), shown[i]);
    }
}

TEST(MultiDevice, AMeterThatStaysSilentEndsTheRunWhileTheOthersKeepSaving) {
    MultiBench b;
    b.Choose({1, 3}, {5, 6});
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    b.Ticks(2);
    sim::Faults silent;
    silent.answerDelay = std::chrono::milliseconds(30000);
    b.Endpoint(3)->setFaults(silent);
    b.Ticks(2);
    EXPECT_TRUE(b.tool.loop().reading());  // two timeouts are not a loss yet
    b.Ticks(1);
    EXPECT_EQ(b.tool.loop().endReason(), ReadingLoop::EndReason::ConnectionLost);
    EXPECT_EQ(StoredValues(b.Record(5)).size(), 5u);
    EXPECT_EQ(StoredValues(b.Record(6)).size(), 2u);
}

TEST(MultiDevice, TwoMetersAreNeverSavedIntoOneRecord) {
    MultiBench b;
    b.Choose({0, 1, 2}, {4, 0, 4});
    EXPECT_FALSE(b.tool.loop().OnStartReading());
    EXPECT_EQ(b.tool.loop().endReason(), ReadingLoop::EndReason::Refused);
    ASSERT_EQ(b.prompter.messages.size(), 1u);
    EXPECT_EQ(b.prompter.last().text,
              "Record 4 is chosen for the meters of device lines 1 and 3. Each meter saves into a "
              "record of its own: please select a different record.");
    EXPECT_EQ(b.prompter.last().icon, PromptIcon::Warning);
    EXPECT_FALSE(b.tool.loop().reading());
    // Refused before any record was looked at: nothing was made.
    EXPECT_FALSE(std::filesystem::exists(b.dir.path() + "/DB"));
    EXPECT_TRUE(b.view.lines.empty());

    // With records of their own the same meters start.
    b.Choose({0, 1, 2}, {4, 0, 5});
    EXPECT_TRUE(b.tool.loop().OnStartReading());
}

TEST(DualAnswers, TheSecondValueIsClassifiedLikeTheMainOneWhileItIsMeasured) {
    MultiBench b;
    const std::vector<std::string> answers = {"+1.0E+00,+9.9E+37", "+1.0E+00,+0.0E+00",
                                              "+1.0E+00,-5.0E-01", "+1.0E+00,+2.5E-01"};
    std::size_t next = 0;
    b.tool.loop().SetAnswerSource(
        [&](int, bool) { return FetchedAnswer{answers[next++ % answers.size()], VI_SUCCESS}; });
    // Slot 2 measures a second value: overload, zero and negative as for the main value.
    b.tool.sessions().Query(2, "Function2 \"CURR\"\n");
    b.Choose({2, 0});
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    b.Ticks(2);
    ASSERT_EQ(b.view.lines.size(), 4u);
    EXPECT_EQ(b.view.lines[0].secondText, "OVLD");
    EXPECT_EQ(b.tool.chart().point(kChartSlots + 0, 0), 0.0);  // not charted
    EXPECT_EQ(b.view.lines[2].secondText, "-0.500000000000000");
    EXPECT_DOUBLE_EQ(b.tool.chart().point(kChartSlots + 0, 1), -0.5);
    // Slot 0 sends two numbers without a second function chosen: the second
    // is shown as sent, never charted.
    EXPECT_EQ(b.view.lines[1].secondText, "0.000000000000");
    EXPECT_EQ(b.view.lines[3].secondText, "0.250000000000");
    EXPECT_EQ(b.tool.chart().point(kChartSlots + 1, 0), 0.0);
    EXPECT_EQ(b.tool.chart().point(kChartSlots + 1, 1), 0.0);
}

}  // namespace
}  // namespace qm
