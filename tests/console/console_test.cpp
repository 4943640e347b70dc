// The command console's core: history rules, what Query, Write and Read
// send and show, typed text that looks like a format, and every way a meter
// can fail to answer.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "console/CommandConsole.h"
#include "instrument/Discovery.h"
#include "instrument/SessionTable.h"
#include "platform/TextSource.h"
#include "sim/SimMeter.h"
#include "support/SimulatedBench.h"
#include "visa/LoopbackServer.h"
#include "visa/visa_ext.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> Strings(std::initializer_list<const char*> list) {
    return {list.begin(), list.end()};
}

TEST(CommandHistory, KeepsTheLastTwentyDistinctCommandsMostRecentFirst) {
    CommandHistory h;
    h.Add("*IDN?");
    h.Add("*IDN?");
    EXPECT_EQ(h.entries(), Strings({"*IDN?"}));
    // Equal means equal byte for byte: case and blanks make another command.
    h.Add("*idn?");
    h.Add("*IDN? ");
    EXPECT_EQ(h.entries(), Strings({"*IDN? ", "*idn?", "*IDN?"}));
    // Sending an older command again moves it to the top.
    h.Add("*IDN?");
    EXPECT_EQ(h.entries(), Strings({"*IDN?", "*IDN? ", "*idn?"}));

    h.Clear();
    for (int i = 1; i <= 21; ++i) h.Add("cmd" + std::to_string(i));
    ASSERT_EQ(h.entries().size(), kConsoleHistorySize);
    EXPECT_EQ(h.entries().front(), "cmd21");
    EXPECT_EQ(h.entries().back(), "cmd2");  // cmd1, the oldest, is gone
    EXPECT_EQ(*h.At(0), "cmd21");
    EXPECT_EQ(h.At(20), nullptr);
    EXPECT_EQ(h.At(-1), nullptr);
}

// Meters found by discovery, and a console that was handed them.
struct Bench {
    explicit Bench(const std::string& table) {
        bench.UseTable(table);
        found = DiscoverInstruments(sessions);
        console.SetDevices(found.devices);
    }
    sim::SimEndpoint& endpoint(int slot) {
        return *visa::simEndpointOf(sessions.slotSession(slot));
    }
    std::vector<std::string> log(int slot) { return endpoint(slot).meter().commandLog(); }

    test::SimulatedBench bench;
    SessionTable sessions;
    DiscoveryResult found;
    EnglishTexts texts;
    CommandConsole console{texts};
};

std::string Tx42(const std::string& serial, const std::string& extra = {}) {
    return test::SimMeterSection("USB0::0x1209::0x4101::" + serial + "::INSTR", "TX42", serial,
                                 extra);
}

TEST(CommandConsole, OpeningListsTheMetersOrSaysThereAreNone) {
    Bench two(Tx42("SN1") + Tx42("SN2"));
    ConsoleOpening view = two.console.Open();
    ASSERT_EQ(view.entries.size(), 2u);
    EXPECT_EQ(view.entries[0], two.found.devices[0].label);
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(view.sendText, "*IDN?");
    EXPECT_EQ(view.receivedText, "");

    // The history lives as long as the page is open.
    EXPECT_TRUE(two.console.Query(0, "*IDN?").ok());
    EXPECT_FALSE(two.console.history().empty());
    two.console.Open();
    EXPECT_TRUE(two.console.history().empty());

    // Each entry addresses its own meter.
    two.endpoint(0).meter().clearCommandLog();
    EXPECT_NE(two.console.Query(1, "*IDN?").received.find("SN2"), std::string::npos);
    EXPECT_TRUE(two.log(0).empty());

    Bench none("");
    view = none.console.Open();
    EXPECT_EQ(view.entries, Strings({"No Device Connected"}));
    EXPECT_FALSE(view.enabled);
    const ConsoleResult r = none.console.Query(0, "*IDN?");
    EXPECT_EQ(r.outcome, ConsoleOutcome::Refused);
    EXPECT_EQ(r.received, "No Device Connected");
    EXPECT_TRUE(none.console.history().empty());
}

TEST(CommandConsole, QueryWriteAndReadShapeWhatTheyShow) {
    Bench b(Tx42("SN1"));
    b.console.Open();
    b.endpoint(0).meter().clearCommandLog();

    // The answer keeps its quotes; its line feed goes.
    ConsoleResult r = b.console.Query(0, "func?");
    EXPECT_EQ(r.outcome, ConsoleOutcome::Answered);
    EXPECT_EQ(r.received, "\"VOLT\"");
    EXPECT_EQ(b.log(0), Strings({"func?"}));

    // Write shows nothing; Read then picks up the answer of a query written alone.
    r = b.console.Write(0, "CONF:VOLT:AC");
    EXPECT_EQ(r.outcome, ConsoleOutcome::Answered);
    EXPECT_EQ(r.received, "");
    r = b.console.Write(0, "func?");
    EXPECT_EQ(r.received, "");
    r = b.console.Read(0);
    EXPECT_EQ(r.received, "\"VOLT:AC\"");
    EXPECT_EQ(b.console.lastStatus(), VI_SUCCESS);

    // Query and Write fill the history; Read leaves it.
    EXPECT_EQ(b.console.history().entries(), Strings({"func?", "CONF:VOLT:AC"}));
}

TEST(CommandConsole, TypedTextGoesOutVerbatimEvenWhenItLooksLikeAFormat) {
    Bench b(Tx42("SN1"));
    b.console.Open();
    for (const char* text : {"%s", "%n", "%%", "%s%n%d%%%", "DISP:TEXT \"100%s %n\"", "*IDN?%s"}) {
        b.endpoint(0).meter().clearCommandLog();
        const ConsoleResult r = std::string(text).find('?') != std::string::npos
                                    ? b.console.Query(0, text)
                                    : b.console.Write(0, text);
        EXPECT_NE(r.outcome, ConsoleOutcome::Refused) << text;
        EXPECT_EQ(b.log(0), Strings({text})) << text;
        EXPECT_EQ(b.console.history().entries().front(), text);
    }
    // The meter knows none of these: nothing was left pending, the session still works.
    EXPECT_NE(b.console.Query(0, "*IDN?").received.find("TX42"), std::string::npos);
}

TEST(CommandConsole, EmptyAndOverLongCommandsAreRefusedWithoutSendingAnything) {
    Bench b(Tx42("SN1"));
    b.console.Open();
    b.endpoint(0).meter().clearCommandLog();
    const auto before = b.bench.clock.now();
    for (const std::string& text : {std::string(), std::string("   "), std::string("\t")}) {
        const ConsoleResult r = b.console.Query(0, text);
        EXPECT_EQ(r.outcome, ConsoleOutcome::Refused);
        EXPECT_EQ(r.received, "The command is empty; nothing was sent.");
        EXPECT_EQ(b.console.Write(0, text).outcome, ConsoleOutcome::Refused);
    }
    // 98 characters fit beside the line feed and the terminator; 99 do not.
    const std::string fits = "*CLS" + std::string(94, ' ');
    const std::string tooLong = fits + " ";
    ASSERT_EQ(fits.size(), kConsoleCommandLimit);
    ConsoleResult r = b.console.Query(0, tooLong + "?");
    EXPECT_EQ(r.outcome, ConsoleOutcome::Refused);
    EXPECT_EQ(r.received, "The command is longer than 98 characters; nothing was sent.");
    EXPECT_EQ(b.console.Write(0, tooLong).outcome, ConsoleOutcome::Refused);
    EXPECT_EQ(b.console.Write(0, std::string("*CLS\0x", 6)).outcome, ConsoleOutcome::Refused);
    EXPECT_TRUE(b.log(0).empty());
    EXPECT_TRUE(b.console.history().empty());
    EXPECT_EQ(b.bench.clock.now(), before);  // nobody waited for an answer

    r = b.console.Write(0, fits);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(b.log(0).size(), 1u);
}

TEST(CommandConsole, ASilentMeterTimesOutAndTheSessionStaysUsable) {
    Bench b(Tx42("SN1"));
    b.console.Open();
    // Read with nothing pending waits the session timeout (virtual time).
    auto before = b.bench.clock.now();
    ConsoleResult r = b.console.Read(0);
    EXPECT_EQ(r.outcome, ConsoleOutcome::Failed);
    EXPECT_EQ(r.received, "Couldn't return a value.");
    EXPECT_EQ(b.console.lastStatus(), VI_ERROR_TMO);
    EXPECT_GE(b.bench.clock.now() - before, std::chrono::milliseconds(kSessionTimeoutMs));

    // An answer that comes after the timeout is dropped: it must not pass
    // for the answer to the next command.
    sim::Faults slow;
    slow.answerDelay = 30s;
    b.endpoint(0).setFaults(slow);
    r = b.console.Query(0, "*IDN?");
    EXPECT_EQ(r.received, "Couldn't return a value.");
    EXPECT_EQ(b.console.history().entries(), Strings({"*IDN?"}));
    b.endpoint(0).setFaults({});
    b.bench.clock.advance(60s);
    EXPECT_EQ(b.console.Query(0, "func?").received, "\"VOLT\"");

    sim::Faults silent;
    silent.noAnswer = true;
    b.endpoint(0).setFaults(silent);
    EXPECT_EQ(b.console.Query(0, "meas:volt:dc?").received, "Couldn't return a value.");
    b.endpoint(0).setFaults({});
    EXPECT_TRUE(b.console.Query(0, "meas:volt:dc?").ok());
}

TEST(CommandConsole, ALostConnectionFailsAtOnceEveryTime) {
    Bench b(Tx42("SN1"));
    b.console.Open();
    sim::Faults unplugged;
    unplugged.dropAfterMessages = 0;
    b.endpoint(0).setFaults(unplugged);
    const auto before = b.bench.clock.now();
    ConsoleResult r = b.console.Write(0, "CONF:VOLT:DC");
    EXPECT_EQ(r.outcome, ConsoleOutcome::Failed);
    EXPECT_EQ(r.received, "FAIL.");
    EXPECT_EQ(b.console.lastStatus(), VI_ERROR_CONN_LOST);
    r = b.console.Query(0, "*IDN?");
    EXPECT_EQ(r.received, "Couldn't return a value.");
    EXPECT_EQ(b.console.Read(0).received, "Couldn't return a value.");
    // Sent or not, the commands are in the history to try again later.
    EXPECT_EQ(b.console.history().entries(), Strings({"*IDN?", "CONF:VOLT:DC"}));
    EXPECT_EQ(b.bench.clock.now(), before);  // no timeout was waited for
}

TEST(CommandConsole, LongAnswersArriveWhole) {
    // The identity answer is the longest a meter can be told to give.
    const std::string head = "Varnet,TX42,SN1,";
    const std::string longId = head + std::string(3000 - head.size(), 'x') + "-end";
    const std::string exact = head + std::string(1023 - head.size(), 'y');  // 1024 with its LF
    Bench b(Tx42("SN1", "identity=" + longId) + Tx42("SN2", "identity=" + exact));
    b.console.Open();
    ConsoleResult r = b.console.Query(0, "*IDN?");
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.received, longId);
    // An answer of exactly one buffer ends there: no second read waits for more.
    const auto before = b.bench.clock.now();
    r = b.console.Query(1, "*IDN?");
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.received, exact);
    EXPECT_EQ(b.console.lastByteCount(), 1024u);
    EXPECT_EQ(b.bench.clock.now(), before);
}

TEST(CommandConsole, AnAnswerBeyondTheLimitIsCutAndSaysSo) {
    // A peer on the loopback that answers with more than the console keeps.
    const std::string head = "Varnet,TX42,SN9,";
    visa::test::LoopbackServer peer([&](int fd, const std::string&) {
        visa::test::LoopbackServer::sendAll(
            fd, head + std::string(kConsoleAnswerLimit + 5000, 'z') + "\n");
        return true;
    });
    test::SimulatedBench bench;
    visa::useEmptyResourceTable();
    ViSession rm = VI_NULL, session = VI_NULL;
    ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    ASSERT_EQ(viOpen(rm, peer.descriptor().c_str(), VI_NULL, VI_NULL, &session), VI_SUCCESS);
    DeviceSlot lan;
    lan.label = "TX42-LAN-SN9";
    lan.session = session;
    EnglishTexts texts;
    CommandConsole console(texts);
    console.SetDevices({lan});
    console.Open();

    const ConsoleResult r = console.Query(0, "*IDN?");
    EXPECT_TRUE(r.ok());
    const std::string note = ConsoleCutAnswerNote();
    ASSERT_GT(r.received.size(), note.size());
    EXPECT_EQ(r.received.substr(r.received.size() - note.size()), note);
    EXPECT_EQ(r.received.substr(0, head.size()), head);
    EXPECT_LE(r.received.size(), kConsoleAnswerLimit + kAnswerBufferSize + note.size() + 1);
    viClose(rm);
}

}  // namespace
}  // namespace qm
