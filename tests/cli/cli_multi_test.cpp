// qmcli read --slots and qmcli second end to end, against qm_sim meters on
// loopback ports: several meters on one line a tick, each saving into a
// record of its own, and the second function chosen from the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "QmcliBench.h"
#include "records/RecordTestSupport.h"

namespace qm {
namespace {

using test::LanMeters;
using test::Qmcli;
using test::Scratch;

std::vector<std::vector<std::string>> Rows(const std::string& out) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string f; std::getline(cells, f, '\t');) fields.push_back(f);
        rows.push_back(fields);
    }
    return rows;
}

std::vector<std::string> Meter(double value, double second = 0) {
    std::vector<std::string> args{"--value", std::to_string(value), "--noise", "0"};
    if (second != 0) args.insert(args.end(), {"--value2", std::to_string(second)});
    return args;
}

TEST(QmcliMultiDevice, ReadsEachMeterOncePerTickIntoItsOwnRecord) {
    Scratch s;
    LanMeters lan(s, {Meter(1), Meter(2, 0.25), Meter(3)});
    ASSERT_FALSE(lan.table.empty());
    const std::string& table = lan.table;

    auto second = Qmcli(s, {"--resources", table, "second", "1", "acv"});
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(second.out, "Function : DCV\nRange : AUTO\nMeasurement Function : ACV\n");
    auto refused = Qmcli(s, {"--resources", table, "second", "1", "2W"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err,
              "qmcli: \"2W\" is not offered as second function with the primary function DCV (one "
              "of DCI, ACV, FREQ, PERIOD, TCOUPL, NONE)\n");
    Qmcli(s, {"--resources", table, "function", "2", "CONT"});
    auto none = Qmcli(s, {"--resources", table, "second", "2", "ACV"});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.err, "qmcli: no second function is offered with the primary function CONT\n");
    Qmcli(s, {"--resources", table, "function", "2", "DCV"});

    // In the chosen order; the meter with a second function shows both values.
    auto reading = Qmcli(s, {"--resources", table, "read", "--slots", "2,1,0", "--count", "4",
                             "--interval", "0", "--records", "3,-,5"});
    EXPECT_EQ(reading.exitCode, 0) << reading.err;
    const auto rows = Rows(reading.out);
    ASSERT_EQ(rows.size(), 4u) << reading.out;
    for (const auto& row : rows)
        EXPECT_EQ(row, (std::vector<std::string>{"3.000000000000", "2.000000000000",
                                                 "0.250000000000", "1.000000000000"}));
    EXPECT_EQ(test::StoredValues(s.dir() + "/DB/Record 3.mdb"), (std::vector<double>{3, 3, 3, 3}));
    EXPECT_EQ(test::StoredValues(s.dir() + "/DB/Record 5.mdb"), (std::vector<double>{1, 1, 1, 1}));
    // The meter not saved made no record.
    int records = 0;
    for (const auto& e : std::filesystem::directory_iterator(s.dir() + "/DB"))
        records += e.path().extension() == ".mdb";
    EXPECT_EQ(records, 2);
}

TEST(QmcliMultiDevice, RefusesOneRecordForTwoMetersAndMalformedLists) {
    Scratch s;
    LanMeters lan(s, {Meter(1), Meter(2)});
    ASSERT_FALSE(lan.table.empty());
    auto shared = Qmcli(s, {"--resources", lan.table, "read", "--slots", "0,1", "--count", "3",
                            "--interval", "0", "--records", "2,2"});
    EXPECT_EQ(shared.exitCode, 1);
    EXPECT_EQ(shared.out, "");
    EXPECT_EQ(shared.err,
              "Record 2 is chosen for the meters of device lines 1 and 2. Each meter saves into a "
              "record of its own: please select a different record.\n");
    EXPECT_FALSE(std::filesystem::exists(s.dir() + "/DB/Record 2.mdb"));

    for (std::vector<std::string> bad :
         {std::vector<std::string>{"--slots", "0", "--count", "1"},
          {"--slots", "0,1,0", "--count", "1"},
          {"--slots", "0,1", "--count", "1", "--records", "1"},
          {"--slots", "0,1", "--count", "1", "--records", "1,11"},
          {"--slots", "0,1", "--count", "1", "--record", "1"},
          {"0", "--slots", "0,1", "--count", "1"},
          {"0", "--count", "1", "--records", "1"},
          {"--slots", "0,7", "--count", "1"}}) {
        std::vector<std::string> args{"--resources", lan.table, "read"};
        args.insert(args.end(), bad.begin(), bad.end());
        auto r = Qmcli(s, args);
        EXPECT_EQ(r.exitCode, 2) << bad[1] << " " << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST(QmcliMultiDevice, AMeterLostEndsTheRunWithEveryPrintedReadingSaved) {
    Scratch s;
    // The second meter's link goes after a few readings.
    std::vector<std::string> dropping = Meter(2);
    dropping.insert(dropping.end(), {"--drop-after", "9"});
    LanMeters lan(s, {Meter(1), dropping, Meter(3)});
    ASSERT_FALSE(lan.table.empty());
    const std::string& file = lan.table;

    auto r = Qmcli(s, {"--resources", file, "read", "--slots", "0,1,2", "--count", "50",
                       "--interval", "0", "--records", "1,2,3"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ERROR: Check Device Connection"), std::string::npos) << r.err;
    const auto rows = Rows(r.out);
    ASSERT_GE(rows.size(), 2u) << r.out;
    ASSERT_LT(rows.size(), 50u);
    // The last tick read the first meter only.
    EXPECT_EQ(rows.back(), (std::vector<std::string>{"1.000000000000", "NO ANSWER", "NO ANSWER"}));
    for (int meter = 0; meter < 3; ++meter) {
        std::vector<double> printed;
        for (const auto& row : rows)
            if (row[meter] != "NO ANSWER") printed.push_back(std::stod(row[meter]));
        EXPECT_EQ(test::StoredValues(s.dir() + "/DB/Record " + std::to_string(meter + 1) + ".mdb"),
                  printed)
            << "meter " << meter;
    }
}

}  // namespace
}  // namespace qm
