#include <gtest/gtest.h>

#include <chrono>

#include "platform/Clock.h"
#include "sim/SimEndpoint.h"
#include "tests/sim/SimTestSupport.h"

namespace qm::sim {
namespace {

using namespace std::chrono_literals;

TEST(ExternalTrigger, AScheduledPulseReleasesTheWaitingAnswerOnTimeAndOnlyOnce) {
    ManualClock clock;
    MeterConfig c = test::makeConfig("TX42");
    c.triggerAfter = 1500ms;
    SimEndpoint e(c, clock);
    auto elapsed = [&] { return clock.now() - Clock::SteadyPoint{}; };

    e.write("*OPC?");  // not armed: complete at once, nothing scheduled
    EXPECT_EQ(e.read(256, 100ms).data, "1\n");
    e.write("trig:sour ext");
    e.write("trig:count 1");
    e.write("trig:delay 0.5");
    e.write("init");
    e.write("*OPC?");
    EXPECT_EQ(e.nextAnswerIn(), std::chrono::nanoseconds(1500ms));
    EXPECT_EQ(e.read(256, 1000ms).outcome, IoOutcome::Timeout);  // the first poll times out
    e.write("*OPC?");
    EXPECT_EQ(e.read(256, 10000ms).data, "1\n");  // answered the moment the pulse arrives
    EXPECT_EQ(elapsed(), 1500ms);
    EXPECT_EQ(e.read(256, 100ms).outcome, IoOutcome::Timeout);

    // Disarmed before the pulse: nothing fires later.
    e.write("init");
    e.write("abort");
    e.write("*OPC?");
    EXPECT_EQ(e.read(256, 100ms).data, "1\n");
    EXPECT_FALSE(e.nextAnswerIn());
}

}  // namespace
}  // namespace qm::sim
