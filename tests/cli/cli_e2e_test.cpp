// qmcli end to end: the real programs, against qm_sim on a loopback port and
// against in-process simulated meters, in a scratch folder.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "QmcliBench.h"

namespace qm {
namespace {

using test::LanMeter;
using test::Qmcli;
using test::Scratch;
using test::SimTable;

TEST(QmcliEndToEnd, TalksToQmSimOverLoopback) {
    Scratch s;
    LanMeter lan(s);
    ASSERT_FALSE(lan.table.empty());
    test::Child& sim = *lan.sim;
    const std::string& table = lan.table;

    auto list = Qmcli(s, {"--resources", table, "list"});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(list.out,
              "0\t TX42-USBTMC-SN000077\tUSB0::0x1209::0x4101::SN000077::INSTR\tVarnet, TX42, "
              "SN000077, V1.00\n");

    auto idn = Qmcli(s, {"--resources", table, "query", "0", "*IDN?"});
    EXPECT_EQ(idn.out, "Varnet, TX42, SN000077, V1.00\n");
    // A write-only command prints nothing.
    auto conf = Qmcli(s, {"--resources", table, "query", "0", "CONF:VOLT:AC"});
    EXPECT_EQ(conf.exitCode, 0) << conf.err;
    EXPECT_EQ(conf.out, "");
    auto status = Qmcli(s, {"--resources", table, "status", "0"});
    EXPECT_EQ(status.out, "Function : ACV\nRange : AUTO\n");
    auto button = Qmcli(s, {"--resources", table, "function", "0", "DIODE"});
    EXPECT_EQ(button.out, "Function : DIOD\n\n");
    auto reading = Qmcli(s, {"--resources", table, "read", "0", "--count", "2", "--interval", "0"});
    EXPECT_EQ(reading.exitCode, 0) << reading.err;
    // Diode open circuit, known from the meter's function even in a new process.
    EXPECT_EQ(reading.out, "OPEN\nOPEN\n");

    // The meter goes away: nothing is found any more.
    sim.Kill(SIGTERM);
    sim.Finish();
    auto gone = Qmcli(s, {"--resources", table, "list"});
    EXPECT_EQ(gone.exitCode, 2);
    EXPECT_EQ(gone.err, "No Device Connected\n");
}

TEST(QmcliEndToEnd, ReportsBadInputPlainly) {
    Scratch s;
    const std::string table = s.Write("sim.ini", SimTable());
    auto badSlot = Qmcli(s, {"--resources", table, "query", "5", "read?"});
    EXPECT_EQ(badSlot.exitCode, 2);
    EXPECT_EQ(badSlot.err, "qmcli: no meter in slot 5 (1 found)\n");

    auto tooLong = Qmcli(s, {"--resources", table, "query", "0", std::string(120, 'A')});
    EXPECT_EQ(tooLong.exitCode, 2);
    EXPECT_NE(tooLong.err.find("longer than 99"), std::string::npos);

    const std::string bad = s.Write("bad.ini", "[USB0::0x1209::0x4101::SN1::INSTR]\nbackend=sim\nmodel=TX99\n");
    auto malformed = Qmcli(s, {"--resources", bad, "list"});
    EXPECT_EQ(malformed.exitCode, 2);
    EXPECT_NE(malformed.err.find("bad.ini:3"), std::string::npos) << malformed.err;
    EXPECT_EQ(malformed.out, "");

    auto empty = Qmcli(s, {"--resources", s.Write("empty.ini", "; nothing here\n"), "list"});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_EQ(empty.err, "No Device Connected\n");

    auto unknown = Qmcli(s, {"--resources", table, "function", "0", "OHMS"});
    EXPECT_EQ(unknown.exitCode, 2);
    auto usage = Qmcli(s, {"read", "0"});
    EXPECT_EQ(usage.exitCode, 2);
}

TEST(QmcliEndToEnd, LostConnectionIsAOneLineFailure) {
    Scratch s;
    // The link drops after the identity query and the next command.
    const std::string table = s.Write("drop.ini", SimTable("drop_after=2"));
    auto r = Qmcli(s, {"--resources", table, "query", "0", "read?"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "qmcli: no answer: the connection to the meter was lost\n");

    const std::string later = s.Write("later.ini", SimTable("value=1\nnoise=0\ndrop_after=12"));
    auto reading = Qmcli(s, {"--resources", later, "read", "0", "--count", "50", "--interval", "0"});
    EXPECT_EQ(reading.exitCode, 1);
    EXPECT_NE(reading.err.find("ERROR: Check Device Connection"), std::string::npos) << reading.err;
}

std::vector<double> RecordValues(const std::string& file, std::string* integrity) {
    std::vector<double> values;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return values;
    }
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "select read_value from read", -1, &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW) values.push_back(sqlite3_column_double(st, 0));
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db, "pragma integrity_check", -1, &st, nullptr);
    if (st && sqlite3_step(st) == SQLITE_ROW && integrity)
        *integrity = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return values;
}

TEST(QmcliEndToEnd, EveryPrintedReadingSurvivesAKill) {
    Scratch s;
    const std::string table = s.Write("sim.ini", SimTable());
    test::Child reader({QMCLI_PATH, "--resources", table, "read", "0", "--count", "100000",
                        "--interval", "1", "--record", "3"},
                       s.dir());
    ASSERT_TRUE(reader.started());
    std::vector<std::string> printed;
    std::string line;
    while (printed.size() < 60 && reader.ReadLine(line)) printed.push_back(line);
    ASSERT_EQ(printed.size(), 60u);
    reader.Kill(SIGKILL);
    reader.Finish();

    std::string integrity;
    const std::vector<double> stored = RecordValues(s.dir() + "/DB/Record 3.mdb", &integrity);
    EXPECT_EQ(integrity, "ok");
    ASSERT_GE(stored.size(), printed.size());
    for (std::size_t i = 0; i < printed.size(); ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "%.12f", stored[i]);
        EXPECT_EQ(printed[i], text) << "reading " << i;
    }
}

TEST(QmcliEndToEnd, SavingAsksBeforeContinuingARecord) {
    Scratch s;
    LanMeter lan(s);  // one meter whose settings outlive each qmcli run
    ASSERT_FALSE(lan.table.empty());
    const std::string& table = lan.table;
    auto first = Qmcli(s, {"--resources", table, "read", "0", "--count", "3", "--interval", "0",
                           "--record", "2"});
    EXPECT_EQ(first.exitCode, 0) << first.err;
    // Continuing needs a yes.
    auto asked = Qmcli(s, {"--resources", table, "read", "0", "--count", "3", "--interval", "0",
                           "--record", "2"});
    EXPECT_EQ(asked.exitCode, 3);
    EXPECT_EQ(asked.out, "");
    EXPECT_NE(asked.err.find("Record 2 will continue saving the readings.  Continue?"),
              std::string::npos);
    auto yes = Qmcli(s, {"--resources", table, "read", "0", "--count", "3", "--interval", "0",
                         "--record", "2", "--yes"});
    EXPECT_EQ(yes.exitCode, 0) << yes.err;
    EXPECT_EQ(RecordValues(s.dir() + "/DB/Record 2.mdb", nullptr).size(), 6u);

    // Another function: refused with the window's message, nothing written.
    Qmcli(s, {"--resources", table, "function", "0", "ACV"});
    auto changed = Qmcli(s, {"--resources", table, "read", "0", "--count", "3", "--interval", "0",
                             "--record", "2", "--yes"});
    EXPECT_NE(changed.exitCode, 0);
    EXPECT_NE(changed.err.find("Function has changed from DCV to ACV. Please select a different record."),
              std::string::npos) << changed.err;
    EXPECT_EQ(RecordValues(s.dir() + "/DB/Record 2.mdb", nullptr).size(), 6u);

    auto list = Qmcli(s, {"records", "list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.out.rfind("Record 2            ( ", 0), 0u) << list.out;
    EXPECT_NE(list.out.find(" )  - DCV NONE"), std::string::npos);
}

}  // namespace
}  // namespace qm
