#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "instrument/Discovery.h"
#include "instrument/SessionTable.h"
#include "sim/SimMeter.h"
#include "support/SimulatedBench.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

// One discovered TX42 (slot 0) with optional fault keys.
struct OneMeter {
    explicit OneMeter(const std::string& extra = {}) {
        bench.UseTable(test::SimMeterSection("USB0::0x1209::0x4101::SN1::INSTR", "TX42", "SN1", extra));
        found = DiscoverInstruments(sessions);
    }
    sim::SimMeter& meter() { return visa::simEndpointOf(sessions.slotSession(0))->meter(); }

    test::SimulatedBench bench;
    SessionTable sessions;
    DiscoveryResult found;
};

TEST(Query, HelpersForQuestionMarksAndAnswerCleaning) {
    EXPECT_TRUE(IsQueryCommand("func?\n"));
    EXPECT_FALSE(IsQueryCommand("?func\n"));  // '?' at position 0 is no query
    EXPECT_FALSE(IsQueryCommand("CONF:VOLT:DC\n"));
    // Quotes go and any mix of trailing line ends; leading blanks stay.
    EXPECT_EQ(CleanAnswer("\"ABC\"\r\n", true), "ABC");
    EXPECT_EQ(CleanAnswer(" \"ABC\"\n\r", false), " \"ABC\"");
    EXPECT_EQ(CleanAnswer(std::string("12\0garbage", 10), true), "12");
}

TEST(Query, VariantsWriteReadAndCleanAsTheirPagesExpect) {
    OneMeter m;
    ASSERT_EQ(m.sessions.slotCount(), 1);
    m.meter().clearCommandLog();

    // The main window's query removes the quotes of an enumeration.
    EXPECT_EQ(m.sessions.Query(0, "func?\n"), "VOLT");
    EXPECT_EQ(m.sessions.m_lastReadOk, 1);
    // The pages' copies keep them.
    EXPECT_EQ(m.sessions.Query(0, "func?\n", QueryVariant::DeviceSettings), "\"VOLT\"");
    EXPECT_EQ(m.sessions.Query(0, "func?\n", QueryVariant::ReadingSettings), "\"VOLT\"");

    // A write-only command reads nothing and returns nothing.
    const QueryResult w = m.sessions.QueryEx(0, "CONF:VOLT:AC\n");
    EXPECT_TRUE(w.sent);
    EXPECT_FALSE(w.readAttempted);
    EXPECT_EQ(w.answer, "");
    EXPECT_EQ(m.sessions.Query(0, "func?\n"), "VOLT:AC");

    // Text holding format directives goes out as itself.
    m.sessions.Query(0, "SYST:BEEP %s%n%d\n", QueryVariant::DeviceSettings);
    const auto log = m.meter().commandLog();
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.back().find("%s%n%d"), std::string::npos);
}

TEST(Query, CommandsLongerThan99CharactersAreRefusedWhole) {
    OneMeter m;
    m.meter().clearCommandLog();
    const std::string longCommand = "CONF:VOLT:DC " + std::string(90, '1') + "\n";
    ASSERT_GT(longCommand.size(), kMaxCommandLength);
    const QueryResult r = m.sessions.QueryEx(0, longCommand);
    EXPECT_FALSE(r.sent);
    EXPECT_NE(r.refusal.find("99"), std::string::npos);
    EXPECT_TRUE(m.meter().commandLog().empty());
    // 99 characters exactly still go.
    const std::string fits = "*CLS" + std::string(94, ' ') + "\n";
    ASSERT_EQ(fits.size(), kMaxCommandLength);
    EXPECT_TRUE(m.sessions.QueryEx(0, fits).sent);
}

TEST(Query, BadSlotsAndDiscoveryIndexes) {
    OneMeter m;
    for (int slot : {-1, 1, 7, kNoSlot, 1000}) {
        const QueryResult r = m.sessions.QueryEx(slot, "read?\n");
        EXPECT_FALSE(r.sent) << slot;
        EXPECT_FALSE(r.refusal.empty()) << slot;
    }
    EXPECT_FALSE(m.sessions.QueryEx(3, "*IDN?\n").refusal.empty());
    EXPECT_FALSE(m.sessions.QueryDiscoveryIndex(1, "*IDN?\n").refusal.empty());
}

TEST(Query, EveryCommandToASlotGoesToThatSlotsMeter) {
    // Built-in bench: the foreign GPIB instrument is discovery index 3, so
    // slot 3 is discovery index 4. "*IDN?" anywhere in a command used to
    // send it to discovery index 3 instead.
    test::SimulatedBench bench;
    bench.UseBuiltin();
    SessionTable sessions;
    ASSERT_EQ(DiscoverInstruments(sessions).devices.size(), 4u);
    for (QueryVariant v : {QueryVariant::MainWindow, QueryVariant::MultipleReadings,
                           QueryVariant::DeviceSettings, QueryVariant::ReadingSettings}) {
        EXPECT_EQ(sessions.Query(3, "*IDN?\n", v), "Varnet, TX42, SN000004, V1.00");
        EXPECT_EQ(sessions.Query(3, "func?;*IDN?\n", v).find("Othermaker"), std::string::npos);
        EXPECT_EQ(sessions.Query(3, "L0;*IDN?\n", v).find("Othermaker"), std::string::npos);
    }
    // Discovery's own addressing reaches the instrument it opened fourth.
    EXPECT_EQ(sessions.QueryDiscoveryIndex(3, "*IDN?\n").answer, "Othermaker, DM3000, 0, 1.0");
}

TEST(Query, LongAnswersStayWithinTheBufferAndTheSessionStaysInStep) {
    OneMeter m("long_answer=1");
    const QueryResult r = m.sessions.QueryEx(0, "func?\n");
    EXPECT_EQ(r.readStatus, VI_SUCCESS_MAX_CNT);
    EXPECT_LE(r.answer.size(), kAnswerBufferSize - 1);
    EXPECT_EQ(m.sessions.m_lastReadOk, 0);
    // The rest of that answer was read away: the next answer is its own.
    const std::string next = m.sessions.Query(0, "func?\n");
    EXPECT_EQ(next.substr(0, 4), "VOLT");

    // The Multiple Readings copy reads on while reads come back full and joins them.
    const std::string whole = m.sessions.Query(0, "func?\n", QueryVariant::MultipleReadings);
    // (The simulated long answer is the short one padded with blanks.)
    EXPECT_EQ(whole, "\"VOLT\"");
    EXPECT_EQ(m.sessions.Query(0, "func?\n", QueryVariant::MultipleReadings), "\"VOLT\"");
}

TEST(Query, MultipleReadingsReadsOnOnlyWhileTheAnswerHasNotEnded) {
    // An identity of 1023 characters: with its line feed exactly one full read.
    std::string identity = "Varnet, TX42, SN1, ";
    identity.resize(kAnswerBufferSize - 1, 'x');
    OneMeter m("identity=" + identity);
    ASSERT_EQ(m.sessions.slotCount(), 1);
    const auto before = m.bench.clock.now();
    const QueryResult r = m.sessions.QueryEx(0, "*IDN?\n", QueryVariant::MultipleReadings);
    EXPECT_EQ(r.readStatus, VI_SUCCESS);
    EXPECT_EQ(r.answer, identity);
    EXPECT_EQ(m.bench.clock.now(), before);  // no wait for a continuation
}

TEST(Query, TimeoutCostsOneSessionTimeoutOfVirtualTimeAndLeavesTheSessionUsable) {
    OneMeter m("delay_ms=25000");
    // Discovery's *IDN? did not come in time: nothing accepted.
    EXPECT_EQ(m.sessions.slotCount(), 0);

    OneMeter slow("delay_ms=1500");
    ASSERT_EQ(slow.sessions.slotCount(), 1);
    slow.sessions.SetTimeout(0, 1000);
    const auto before = slow.bench.clock.now();
    const QueryResult r = slow.sessions.QueryEx(0, "func?\n");
    EXPECT_EQ(r.readStatus, VI_ERROR_TMO);
    EXPECT_EQ(r.answer, "");
    EXPECT_EQ(slow.sessions.m_lastReadOk, 0);
    EXPECT_GE(slow.bench.clock.now() - before, 1000ms);
    // The late answer was cleared away: the next query gets its own answer.
    slow.sessions.SetTimeout(0, kSessionTimeoutMs);
    slow.bench.clock.advance(5s);
    EXPECT_EQ(slow.sessions.Query(0, "SYST:ERR?\n").substr(0, 2), "+0");
}

TEST(Query, LostConnectionIsReportedAndNeverCrashes) {
    OneMeter m("drop_after=3");  // *IDN? of discovery is message 1
    ASSERT_EQ(m.sessions.slotCount(), 1);
    EXPECT_EQ(m.sessions.Query(0, "func?\n"), "VOLT");
    const QueryResult gone = m.sessions.QueryEx(0, "read?\n");
    const QueryResult again = m.sessions.QueryEx(0, "read?\n");
    EXPECT_EQ(again.answer, "");
    EXPECT_TRUE(gone.writeStatus == VI_ERROR_CONN_LOST || gone.readStatus == VI_ERROR_CONN_LOST);
    EXPECT_EQ(again.readStatus, VI_ERROR_CONN_LOST);
    EXPECT_EQ(m.sessions.ReadRaw(0).status, VI_ERROR_CONN_LOST);
    EXPECT_EQ(m.sessions.WriteRaw(0, "read?\n", 5), VI_ERROR_CONN_LOST);
}

TEST(Query, RawWritesSendExactlyTheCountGiven) {
    OneMeter m;
    m.meter().clearCommandLog();
    EXPECT_EQ(m.sessions.WriteRaw(0, "read?\n", 5), VI_SUCCESS);
    const RawRead r = m.sessions.ReadRaw(0);
    EXPECT_TRUE(r.ok());
    EXPECT_FALSE(r.text.empty());
    EXPECT_EQ(m.sessions.m_lastReadOk, 1);
    m.sessions.WriteRaw(0, "*cls\n", 4);
    const auto log = m.meter().commandLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "read?");
    EXPECT_EQ(log[1], "*cls");
}

TEST(Query, CloseAllClosesEverySessionDiscoveryOpened) {
    OneMeter m;
    const ViSession s = m.sessions.slotSession(0);
    m.sessions.CloseAll();
    EXPECT_EQ(m.sessions.slotCount(), 0);
    ViUInt32 timeout = 0;
    EXPECT_EQ(viGetAttribute(s, VI_ATTR_TMO_VALUE, &timeout), VI_ERROR_INV_OBJECT);
    m.sessions.CloseAll();  // twice is harmless
}

}  // namespace
}  // namespace qm
