#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "app/MeterTool.h"
#include "sim/SimMeter.h"
#include "support/MeterToolBench.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatedBench.h"

namespace qm {
namespace {

const std::string kForeign = "[GPIB0::7::INSTR]\nbackend=sim\nmodel=TX42\nserial=0\n"
                             "identity=Othermaker, DM3000, 0, 1.0\n\n";
const std::string kMeter = test::SimMeterSection("USB0::0x1209::0x4101::SN1::INSTR", "TX42", "SN1");
const std::string kChanged = "Connection status has changed.Please select \"Refresh\".";

struct GuardBench : test::MeterToolBench {};

TEST(ConnectionGuard, OnlyAMeterThisProgramAcceptsTripsIt) {
    GuardBench b;
    b.bench.UseTable(kForeign);
    b.tool.Refresh();
    ASSERT_TRUE(b.tool.startedEmpty());
    sim::SimMeter& foreign = visa::simEndpointOf(b.tool.sessions().m_rawSession[0])->meter();
    foreign.clearCommandLog();

    // Another maker's instrument on the bus changes nothing, before and
    // after a Refresh that finds no meter; discovery asked it already.
    EXPECT_EQ(b.tool.CheckConnectionChanged(), 1);
    b.tool.Refresh();
    EXPECT_EQ(b.tool.CheckConnectionChanged(), 1);
    EXPECT_EQ(foreign.commandLog().size(), 1u);  // Refresh's *IDN?, no more
    EXPECT_TRUE(b.prompter.messages.empty());

    // A meter appears beside it: every guarded command asks for a Refresh
    // until one is done.
    b.bench.UseTable(kForeign + kMeter);
    EXPECT_EQ(b.tool.CheckConnectionChanged(), -1);
    EXPECT_EQ(b.tool.CheckConnectionChanged(), -1);
    ASSERT_EQ(b.prompter.messages.size(), 2u);
    EXPECT_EQ(b.prompter.last().text, kChanged);
    EXPECT_EQ(b.prompter.last().caption, "");
    EXPECT_EQ(b.prompter.last().icon, PromptIcon::Warning);
    b.tool.Refresh();
    EXPECT_FALSE(b.tool.startedEmpty());
    EXPECT_EQ(b.tool.CheckConnectionChanged(), 1);
}

TEST(ConnectionGuard, AResourceThatIsNoMeterIsAskedOnceWhileItStays) {
    GuardBench b;
    visa::useEmptyResourceTable();
    b.tool.Refresh();
    // Appearing after the empty start: another maker's instrument and a
    // resource of our vendor that never answers.
    const std::string silent = test::SimMeterSection("USB0::0x1209::0x4101::SN8::INSTR", "TX42",
                                                     "SN8", "timeout=1");
    b.bench.UseTable(kForeign + silent);
    const auto start = b.bench.clock.now();
    EXPECT_EQ(b.tool.CheckConnectionChanged(), 1);
    // The silent one cost one short wait, not a session timeout.
    EXPECT_EQ(b.bench.clock.now() - start, std::chrono::milliseconds(kGuardProbeTimeoutMs));
    const auto asked = b.bench.clock.now();
    EXPECT_EQ(b.tool.CheckConnectionChanged(), 1);
    EXPECT_EQ(b.bench.clock.now(), asked);  // not asked again

    // Gone from the bus, then back as a meter that answers: asked afresh.
    b.bench.UseTable(kForeign);
    EXPECT_EQ(b.tool.CheckConnectionChanged(), 1);
    b.bench.UseTable(kForeign +
                     test::SimMeterSection("USB0::0x1209::0x4101::SN8::INSTR", "TX42", "SN8"));
    EXPECT_EQ(b.tool.CheckConnectionChanged(), -1);
}

}  // namespace
}  // namespace qm
