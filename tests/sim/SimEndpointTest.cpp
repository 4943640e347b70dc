#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/Clock.h"
#include "sim/ScpiParser.h"
#include "sim/SimEndpoint.h"
#include "sim/SimMeter.h"
#include "tests/sim/SimTestSupport.h"

namespace qm::sim {
namespace {

using namespace std::chrono_literals;
using test::makeConfig;

class Endpoint : public ::testing::Test {
  protected:
    SimEndpoint& open(Faults faults, const char* model = "TX42") {
        MeterConfig c = makeConfig(model);
        c.faults = faults;
        endpoint_ = std::make_unique<SimEndpoint>(c, clock_);
        return *endpoint_;
    }
    std::chrono::milliseconds elapsed() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(clock_.now() -
                                                                     Clock::SteadyPoint{});
    }
    ManualClock clock_;
    std::unique_ptr<SimEndpoint> endpoint_;
};

TEST_F(Endpoint, AnswersArriveWholeOrInPiecesWithTheirTerminator) {
    SimEndpoint& e = open({});
    EXPECT_EQ(e.write("*IDN?"), IoOutcome::Ok);
    ReadChunk r = e.read(1024, 2000ms);
    EXPECT_EQ(r.outcome, IoOutcome::Ok);
    EXPECT_EQ(r.data, "Varnet, TX42, SN000001, V1.00\n");
    EXPECT_TRUE(r.end);

    e.write("func?\n*IDN?\n");
    r = e.read(3, 2000ms);
    EXPECT_EQ(r.data, "\"VO");
    EXPECT_FALSE(r.end);
    r = e.read(1024, 2000ms);
    EXPECT_EQ(r.data, "LT\"\n");
    EXPECT_TRUE(r.end);
    EXPECT_EQ(e.read(1024, 2000ms).data.substr(0, 6), "Varnet");
    EXPECT_EQ(elapsed(), 0ms);

    // Nothing pending: the read waits the whole timeout on the clock.
    r = e.read(1024, 2000ms);
    EXPECT_EQ(r.outcome, IoOutcome::Timeout);
    EXPECT_TRUE(r.data.empty());
    EXPECT_EQ(elapsed(), 2000ms);

    // Device clear drops what was not read.
    e.write("*IDN?");
    EXPECT_EQ(e.pendingAnswers(), 1u);
    e.clear();
    EXPECT_EQ(e.read(1024, 10ms).outcome, IoOutcome::Timeout);
    EXPECT_TRUE(e.connected());
}

TEST_F(Endpoint, NoAnswerTimesOutButCommandsStillTakeEffect) {
    SimEndpoint& e = open({.noAnswer = true});
    EXPECT_EQ(e.write("CONF:CURR:DC\n"), IoOutcome::Ok);
    e.write("func?\n");
    EXPECT_EQ(e.read(1024, 20000ms).outcome, IoOutcome::Timeout);
    EXPECT_EQ(elapsed(), 20000ms);
    EXPECT_EQ(e.meter().function(), Fn::CurrDc);
}

TEST_F(Endpoint, DelayedAnswerIsReadableOnlyOnceItsTimeHasCome) {
    SimEndpoint& e = open({.answerDelay = 500ms});
    e.write("read?");
    EXPECT_EQ(e.nextAnswerIn(), std::chrono::nanoseconds(500ms));
    EXPECT_EQ(e.read(1024, 100ms).outcome, IoOutcome::Timeout);
    EXPECT_EQ(elapsed(), 100ms);
    const ReadChunk r = e.read(1024, 1000ms);
    EXPECT_EQ(r.outcome, IoOutcome::Ok);
    EXPECT_EQ(r.data.substr(0, 2), "+1");
    EXPECT_EQ(elapsed(), 500ms);  // the read returned as soon as the answer was ready
}

TEST_F(Endpoint, LinkDropsAfterTheGivenNumberOfMessages) {
    SimEndpoint& e = open({.dropAfterMessages = 2});
    EXPECT_EQ(e.write("*IDN?"), IoOutcome::Ok);
    EXPECT_EQ(e.read(1024, 1000ms).outcome, IoOutcome::Ok);
    EXPECT_EQ(e.write("*IDN?"), IoOutcome::Ok);
    EXPECT_FALSE(e.connected());
    EXPECT_EQ(e.read(1024, 1000ms).outcome, IoOutcome::ConnectionLost);
    EXPECT_EQ(e.write("*IDN?"), IoOutcome::ConnectionLost);
    EXPECT_EQ(elapsed(), 0ms);
    e.resetLink();
    EXPECT_TRUE(e.connected());

    SimEndpoint& never = open({.dropAfterMessages = 0});
    EXPECT_EQ(never.write("*IDN?"), IoOutcome::ConnectionLost);
}

TEST_F(Endpoint, GarbageLongAndEmptyAnswers) {
    SimEndpoint& g = open({.garbage = true});
    g.write("*IDN?");
    EXPECT_EQ(g.read(1024, 1000ms).data, "#$%&\x01\n");

    SimEndpoint& l = open({.longAnswer = true});
    l.write("*IDN?");
    ReadChunk r = l.read(1024, 1000ms);
    EXPECT_EQ(r.data.size(), 1024u);
    EXPECT_FALSE(r.end);
    EXPECT_EQ(r.data.substr(0, 30), "Varnet, TX42, SN000001, V1.00 ");
    std::string rest;
    do {
        r = l.read(1024, 1000ms);
        rest += r.data;
    } while (!r.end && r.outcome == IoOutcome::Ok);
    EXPECT_EQ(rest.size(), 3000u - 1024u);
    EXPECT_EQ(rest.back(), '\n');

    SimEndpoint& id = open({.emptyIdentity = true});
    id.write("*IDN?");
    EXPECT_EQ(id.read(1024, 1000ms).data, "\n");
    id.write("func?");
    EXPECT_EQ(id.read(1024, 1000ms).data, "\"VOLT\"\n");
}

TEST_F(Endpoint, OperationCompleteWaitsForTheTrigger) {
    SimEndpoint& e = open({});
    e.write("trig:sour ext;:trig:count 1;:init");
    e.write("*OPC?");
    EXPECT_FALSE(e.nextAnswerIn());
    EXPECT_EQ(e.read(256, 100ms).outcome, IoOutcome::Timeout);
    e.write("*OPC?");  // polled again while the meter still waits: no second answer
    EXPECT_EQ(e.pendingAnswers(), 1u);
    e.write("*TRG");
    EXPECT_EQ(e.read(256, 100ms).data, "1\n");
    EXPECT_EQ(e.read(256, 100ms).outcome, IoOutcome::Timeout);
    EXPECT_EQ(elapsed(), 200ms);

    e.write("init;*OPC?");
    e.meter().fireTrigger();  // the external trigger input
    EXPECT_EQ(e.read(256, 100ms).data, "1\n");
}

TEST_F(Endpoint, UnreadAnswersAreBoundedAndRealTimeIgnoresTheManualClock) {
    SimEndpoint& e = open({});
    for (int i = 0; i < 100; ++i) e.write("*IDN?");
    EXPECT_LE(e.pendingAnswers(), 64u);
    EXPECT_EQ(test::errorCodes(e.meter()).front(), scpi::kQueryInterrupted);

    SimEndpoint& rt = open({.realTime = true});
    rt.write("*IDN?");
    EXPECT_EQ(rt.read(1024, 1000ms).outcome, IoOutcome::Ok);
    std::string answer;
    rt.write("func?");
    EXPECT_EQ(rt.readAnswer(answer, 1000ms), IoOutcome::Ok);
    EXPECT_EQ(answer, "\"VOLT\"\n");
    EXPECT_EQ(elapsed(), 0ms);
}

}  // namespace
}  // namespace qm::sim
