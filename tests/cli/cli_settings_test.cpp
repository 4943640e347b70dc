// qmcli settings and set, end to end: a round trip against qm_sim over
// loopback (the meter keeps its settings between runs), the page's messages
// on standard error, and input that is refused before anything is sent.
#include <gtest/gtest.h>

#include <string>

#include "QmcliBench.h"

namespace qm {
namespace {

using test::LanMeter;
using test::Qmcli;
using test::Scratch;
using test::SimTable;

TEST(QmcliSettings, SetThenReadBackOverLoopback) {
    Scratch s;
    LanMeter lan(s);
    ASSERT_FALSE(lan.table.empty());
    const std::string& table = lan.table;

    auto fresh = Qmcli(s, {"--resources", table, "settings", "0"});
    EXPECT_EQ(fresh.exitCode, 0) << fresh.err;
    EXPECT_EQ(fresh.out,
              "device\t TX42-USBTMC-SN000077\nfunction\tDC Voltage\nrange\tAUTO\nresolution\t1 PLC\n"
              "function2\tNONE\n");

    auto set = Qmcli(s, {"--resources", table, "set", "0", "function=ACV", "range=100 Vac",
                         "bandwidth=3", "function2=FREQ", "range2=10 VAC", "aperture2=1s"});
    EXPECT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(set.err, "");
    const std::string applied =
        "device\t TX42-USBTMC-SN000077\nfunction\tAC Voltage\nrange\t100 Vac\nbandwidth\t3 HZ\n"
        "function2\tFREQ\nrange2\t10 VAC\naperture2\t1s\n";
    EXPECT_EQ(set.out, applied);
    auto again = Qmcli(s, {"--resources", table, "settings", "0"});
    EXPECT_EQ(again.out, applied);
    // The main window's status line agrees.
    auto status = Qmcli(s, {"--resources", table, "status", "0"});
    EXPECT_EQ(status.out, "Function : ACV\nRange : 100  VAC\n");

    auto temp = Qmcli(s, {"--resources", table, "set", "0", "function=TEMP", "sensor=SPRTD",
                          "unit=K", "transducer=FRTD", "r-zero=99.5", "a4=-0.00012345678",
                          "b4=0", "a7=0.5", "b7=-1", "c7=1"});
    EXPECT_EQ(temp.exitCode, 0) << temp.err;
    EXPECT_NE(temp.out.find("sensor\tSPRTD\nunit\tK\ntransducer\t4W RTD\nr-zero\t99.5\n"
                            "a4\t-0.00012345678\n"),
              std::string::npos)
        << temp.out;
}

TEST(QmcliSettings, FailuresPrintThePageMessageAndKeepWhatWasSent) {
    Scratch s;
    LanMeter lan(s);
    ASSERT_FALSE(lan.table.empty());
    const std::string& table = lan.table;

    auto limit = Qmcli(s, {"--resources", table, "set", "0", "function=TEMP", "sensor=USER",
                           "alpha=0.0101"});
    EXPECT_EQ(limit.exitCode, 1);
    EXPECT_EQ(limit.err, "ALPHA range is 0 - 0.01，please re-enter.\n");
    EXPECT_EQ(limit.out, "");
    // Checked before anything was sent: the meter is still on DC voltage.
    EXPECT_NE(Qmcli(s, {"--resources", table, "settings", "0"}).out.find("function\tDC Voltage\n"),
              std::string::npos);

    // A single-function meter refuses the thermocouple before anything is sent.
    const std::string single = s.Write(
        "tx41.ini", "[USB0::0x1209::0x4101::SN000041::INSTR]\nbackend=sim\nmodel=TX41\n"
                    "serial=SN000041\nidentity=Varnet, Model TX41, SN000041, V1.00\n");
    auto tco = Qmcli(s, {"--resources", single, "set", "0", "function=TCOUPLE"});
    EXPECT_EQ(tco.exitCode, 2);
    EXPECT_EQ(tco.err, "qmcli: \"TCOUPLE\" is not offered for function; nothing was set\n");

    auto unknown = Qmcli(s, {"--resources", table, "set", "0", "function=DCV", "speed=3"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.err, "qmcli: \"speed\" is not a setting of DC Voltage on this meter; "
                           "nothing was set\n");
    auto badValue = Qmcli(s, {"--resources", table, "set", "0", "range=7"});
    EXPECT_EQ(badValue.err, "qmcli: \"7\" is not offered for range; nothing was set\n");
    auto usage = Qmcli(s, {"--resources", table, "set", "0", "function"});
    EXPECT_EQ(usage.exitCode, 2);

    // A meter that stops answering after the function is confirmed.
    const std::string dropping = s.Write("drop.ini", SimTable("drop_after=9"));
    auto lost = Qmcli(s, {"--resources", dropping, "set", "0", "function=RES", "range=1M ohm"});
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_EQ(lost.err, "The meter stopped answering. The settings after the last one it took "
                        "were not sent.\n");
}

}  // namespace
}  // namespace qm
