// Meters that misbehave during live saving: answers that are no number, an
// answer with a stray second line, a meter that falls silent, a meter lost
// before Start. Nothing may be shown as saved that is not in the record,
// and no reading may be filed under another reading's place.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/MeterTool.h"
#include "records/RecordTestSupport.h"
#include "sim/SimEndpoint.h"
#include "support/MeterToolBench.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatedBench.h"
#include "visa/LoopbackServer.h"

namespace qm {
namespace {

using test::StoredValues;

struct Lines : ReadingView {
    void LineUpdated(const LineReading& l) override { lines.push_back(l); }
    std::vector<LineReading> lines;
};

struct FaultBench : test::MeterToolInFolder {
    explicit FaultBench(const std::string& table) {
        bench.UseTable(table);
        tool.Refresh();
        tool.loop().SetView(&view);
        tool.loop().SetSaving(0, true, 5);
    }
    std::string Record() const { return dir.path() + "/DB/Record 5.mdb"; }

    Lines view;
};

std::string SimTable(const std::string& extra) {
    return test::SimMeterSection("USB0::0x1209::0x4101::SN1::INSTR", "TX42", "SN1", extra);
}

TEST(ReadingFaults, AnswersThatAreNoNumberAreNotReadings) {
    FaultBench b(SimTable("value=1\nnoise=0"));
    const std::vector<std::string> answers = {"nan", "+1.5E+00", "inf", "#$%&\x01", "", "-0.25",
                                              "1.0,abc"};
    std::size_t next = 0;
    b.tool.loop().SetAnswerSource([&](int, bool) { return FetchedAnswer{answers[next++], VI_SUCCESS}; });
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    for (std::size_t i = 0; i < answers.size(); ++i) b.tool.loop().OnTimer();
    b.tool.loop().OnStopReading();

    ASSERT_EQ(b.view.lines.size(), answers.size());
    std::vector<std::string> shown;
    for (const LineReading& l : b.view.lines) {
        EXPECT_EQ(l.saved, l.answered);
        shown.push_back(l.answered ? l.mainText : l.notANumber ? "(no number)" : "(no answer)");
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"(no number)", "1.500000000000", "(no number)",
                                               "(no number)", "(no number)", "-0.250000000000000",
                                               "(no number)"}));
    EXPECT_EQ(StoredValues(b.Record()), (std::vector<double>{1.5, -0.25}));
    EXPECT_DOUBLE_EQ(b.tool.chart().point(0, 1), 1.5);
    EXPECT_EQ(b.tool.chart().point(0, 0), 0.0);  // no chart point for "nan"
    EXPECT_TRUE(b.prompter.messages.empty());
}

TEST(ReadingFaults, AStraySecondLineOnTheNetworkShiftsNoReading) {
    // A LAN meter whose first reading comes with an extra line.
    std::atomic<int> reads{0};
    visa::test::LoopbackServer meter([&](int fd, const std::string& line) {
        std::string answer = "0";
        if (line == "*IDN?" || line == "*idn?") answer = "Varnet, TX42, SN9, V1.00";
        else if (line == "func?") answer = "\"VOLT\"";
        else if (line == "func2?") answer = "\"NONE\"";
        else if (line == "read?") {
            const int n = ++reads;
            answer = n == 1 ? "+1.0E+00\n+9.9E+01" : "+" + std::to_string(n) + ".0E+00";
        } else if (line.find('?') == std::string::npos) {
            return true;  // a command: no answer
        }
        visa::test::LoopbackServer::sendAll(fd, answer + "\n");
        return true;
    });
    FaultBench b("[USB0::0x1209::0x4101::SN9::INSTR]\nbackend=tcp\nhost=127.0.0.1\nport=" +
                 std::to_string(meter.port()) + "\n");
    ASSERT_EQ(b.tool.deviceCount(), 1);
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    for (int i = 0; i < 4; ++i) b.tool.loop().OnTimer();
    b.tool.loop().OnStopReading();
    std::vector<std::string> shown;
    for (const LineReading& l : b.view.lines) shown.push_back(l.mainText);
    EXPECT_EQ(shown, (std::vector<std::string>{"1.000000000000", "2.000000000000",
                                               "3.000000000000", "4.000000000000"}));
    EXPECT_EQ(StoredValues(b.Record()), (std::vector<double>{1, 2, 3, 4}));
}

TEST(ReadingFaults, AMeterThatFallsSilentEndsTheRunAsALostConnection) {
    FaultBench b(SimTable("value=2\nnoise=0"));
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    b.tool.loop().OnTimer();
    sim::Faults silent;
    silent.noAnswer = true;
    visa::simEndpointOf(b.tool.sessions().slotSession(0))->setFaults(silent);
    const auto before = b.bench.clock.now();
    for (int i = 0; i < 10 && b.tool.loop().reading(); ++i) b.tool.loop().OnTimer();

    EXPECT_FALSE(b.tool.loop().reading());
    EXPECT_EQ(b.tool.loop().endReason(), ReadingLoop::EndReason::ConnectionLost);
    ASSERT_EQ(b.prompter.messages.size(), 1u);
    EXPECT_EQ(b.prompter.last().text, "Check Device Connection");
    EXPECT_EQ(b.prompter.last().caption, "ERROR");
    // Three readings went unanswered, each one session timeout, and Stop did
    // not wait for the silent meter once more.
    EXPECT_EQ(b.view.lines.size(), 3u);
    EXPECT_EQ(b.bench.clock.now() - before,
              kSilentReadingsForLoss * std::chrono::milliseconds(kSessionTimeoutMs));
    EXPECT_EQ(StoredValues(b.Record()), (std::vector<double>{2}));
}

TEST(ReadingFaults, AMeterLostBeforeStartIsALostConnectionNotARecordQuestion) {
    FaultBench b(SimTable("value=2\nnoise=0"));
    ASSERT_EQ(b.tool.deviceCount(), 1);
    sim::Faults dropped;
    dropped.dropAfterMessages = 0;  // the link is gone from the next message on
    visa::simEndpointOf(b.tool.sessions().slotSession(0))->setFaults(dropped);
    EXPECT_FALSE(b.tool.loop().OnStartReading());
    EXPECT_EQ(b.tool.loop().endReason(), ReadingLoop::EndReason::ConnectionLost);
    ASSERT_EQ(b.prompter.messages.size(), 1u);
    EXPECT_EQ(b.prompter.last().text, "Check Device Connection");
    EXPECT_EQ(b.prompter.last().icon, PromptIcon::Error);
    EXPECT_FALSE(test::Exists(b.Record()));  // no record made for answers that never came

    // A silent meter: the same, at the cost of one session timeout.
    FaultBench quiet(SimTable("value=2\nnoise=0"));
    sim::Faults silent;
    silent.noAnswer = true;
    visa::simEndpointOf(quiet.tool.sessions().slotSession(0))->setFaults(silent);
    const auto before = quiet.bench.clock.now();
    EXPECT_FALSE(quiet.tool.loop().OnStartReading());
    EXPECT_EQ(quiet.prompter.texts(), std::vector<std::string>{"Check Device Connection"});
    EXPECT_EQ(quiet.bench.clock.now() - before, std::chrono::milliseconds(kSessionTimeoutMs));
    EXPECT_TRUE(quiet.view.lines.empty());
}

TEST(ReadingFaults, AnAnswerLongerThanTheBufferIsShownButNeverSaved) {
    FaultBench b(SimTable("value=1.25\nnoise=0\nlong_answer=1"));
    ASSERT_TRUE(b.tool.loop().OnStartReading());
    for (int i = 0; i < 3; ++i) b.tool.loop().OnTimer();
    ASSERT_TRUE(b.tool.loop().reading());  // the meter answers; nothing was lost
    ASSERT_EQ(b.view.lines.size(), 3u);
    for (const LineReading& l : b.view.lines) {
        EXPECT_TRUE(l.answered);
        EXPECT_TRUE(l.truncated);
        EXPECT_TRUE(l.saving);
        EXPECT_FALSE(l.saved);
        EXPECT_EQ(l.mainText, "1.250000000000");
    }
    b.tool.loop().OnStopReading();
    EXPECT_TRUE(StoredValues(b.Record()).empty());
}

}  // namespace
}  // namespace qm
