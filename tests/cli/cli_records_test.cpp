// qmcli burst and records: the Multiple Readings and Record View rules from
// the terminal, on the built-in simulated meters, in a scratch folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "records/RecordTestSupport.h"
#include "support/Subprocess.h"

namespace qm {
namespace {

test::RunResult Qmcli(const test::TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), QMCLI_PATH);
    return test::Run(args, dir.path());
}

TEST(QmcliRecords, BurstThenShowStatsSearchExportAndDelete) {
    test::TempDir dir;
    auto burst = Qmcli(dir, {"--simulate", "burst", "1", "--count", "12", "--record", "7"});
    ASSERT_EQ(burst.exitCode, 0) << burst.err;
    EXPECT_EQ(burst.out, "12 readings stored in Record 7\n");

    auto stats = Qmcli(dir, {"records", "stats", "7"});
    ASSERT_EQ(stats.exitCode, 0) << stats.err;
    EXPECT_EQ(stats.out.rfind("Data Quantity：12\nMAX：", 0), 0u) << stats.out;

    auto show = Qmcli(dir, {"records", "show", "7"});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    EXPECT_EQ(std::count(show.out.begin(), show.out.end(), '\n'), 12);
    EXPECT_EQ(show.out.rfind("1\t", 0), 0u);
    EXPECT_NE(show.out.find("\t\t"), std::string::npos);  // a single-function meter: no second value

    auto search = Qmcli(dir, {"records", "search", "7", "--low", "-1e30", "--high", "1e30"});
    ASSERT_EQ(search.exitCode, 0) << search.err;
    EXPECT_NE(search.out.find("Match_sample：12\n"), std::string::npos) << search.out;
    auto reversed = Qmcli(dir, {"records", "search", "7", "--low", "2", "--high", "1"});
    EXPECT_EQ(reversed.exitCode, 1);
    EXPECT_NE(reversed.err.find("HI Limiter should define"), std::string::npos);

    auto exported = Qmcli(dir, {"records", "export", "7", "out.csv"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const std::string csv = test::ReadBytes(dir / "out.csv.csv");
    EXPECT_EQ(csv.rfind("Time,Value ,Value_2ND , ,DateTime : ( ", 0), 0u) << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 13);

    auto declined = Qmcli(dir, {"records", "delete", "7"});
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_TRUE(test::Exists(dir / "DB/Record 7.mdb"));
    auto deleted = Qmcli(dir, {"records", "delete", "7", "--yes"});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_FALSE(test::Exists(dir / "DB/Record 7.mdb"));
    auto gone = Qmcli(dir, {"records", "stats", "7"});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_EQ(gone.err, "qmcli: Record 7 is not in the record list\n");
}

TEST(QmcliRecords, BadArgumentsAreRefusedPlainly) {
    test::TempDir dir;
    EXPECT_EQ(Qmcli(dir, {"--simulate", "burst", "0", "--count", "60000", "--record", "1"}).err,
              "qmcli: Please enter an integer between 1 and 50000.\n");
    EXPECT_EQ(Qmcli(dir, {"--simulate", "burst", "0", "--count", "5", "--record", "11"}).exitCode, 2);
    EXPECT_EQ(Qmcli(dir, {"records", "show", "0"}).exitCode, 2);
    // A bare "records", or one with a word it does not know, shows every form.
    for (std::vector<std::string> args : {std::vector<std::string>{"records"}, {"records", "lsit"}}) {
        auto usage = Qmcli(dir, args);
        EXPECT_EQ(usage.exitCode, 2);
        EXPECT_NE(usage.err.find("qmcli records search R --low L --high H"), std::string::npos)
            << usage.err;
    }
    auto noFolder = Qmcli(dir, {"records", "stats", "1"});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_EQ(noFolder.err, "qmcli: Database working folder not found.\n");
}

}  // namespace
}  // namespace qm
