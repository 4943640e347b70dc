// A counted burst into a record, against in-process simulated meters on a
// virtual clock: what is stored, what is refused, and what a meter that
// stops answering leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/MeterTool.h"
#include "records/Burst.h"
#include "records/RecordQuery.h"
#include "records/RowReader.h"
#include "sim/SimEndpoint.h"
#include "sim/SimMeter.h"
#include "tests/records/RecordPagesSupport.h"
#include "tests/records/RecordTestSupport.h"
#include "tests/support/MeterToolBench.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/SimulatedBench.h"
#include "visa/visa_ext.h"

namespace qm {
namespace {

TEST(BurstAnswers, TheWholeAnswerIsOneReading) {
    auto one = ParseBurstAnswer("-1.234567890E-03");
    ASSERT_TRUE(one);
    EXPECT_DOUBLE_EQ(one->first, -1.234567890e-3);
    EXPECT_EQ(one->second, kRecordNoSecondValue);
    auto two = ParseBurstAnswer("+1.234000E+00,+5.600000E-03");
    ASSERT_TRUE(two);
    EXPECT_DOUBLE_EQ(two->first, 1.234);
    EXPECT_DOUBLE_EQ(two->second, 0.0056);
    EXPECT_EQ(ParseBurstAnswer(" .5")->first, 0.5);
    EXPECT_EQ(ParseBurstAnswer("+9.9E37")->first, 9.9e37);
    // No number is no reading (not a reading of 0).
    EXPECT_FALSE(ParseBurstAnswer(""));
    EXPECT_FALSE(ParseBurstAnswer("\x01\x02garbage"));
    EXPECT_FALSE(ParseBurstAnswer(",1.0"));

    EXPECT_TRUE(CheckBurstCountText("60000"));
    EXPECT_EQ(CheckBurstCountText("0")->text, "Please enter an integer between 1 and 50000.");
    EXPECT_TRUE(CheckBurstCountText("12a"));
    EXPECT_FALSE(CheckBurstCountText(""));
    EXPECT_FALSE(CheckBurstCountText("50000"));
    // At Start: above the range, or no number, was told while typing.
    EXPECT_EQ(CheckBurstCountAtStart("50000").count, 50000);
    for (const char* quiet : {"50001", "12a", ""}) {
        EXPECT_FALSE(CheckBurstCountAtStart(quiet).count) << quiet;
        EXPECT_FALSE(CheckBurstCountAtStart(quiet).message) << quiet;
    }
    EXPECT_FALSE(CheckBurstCountAtStart("0").count);
    EXPECT_EQ(CheckBurstCountAtStart("0").message->text, kBurstCountRangeText);
}

class BurstTest : public ::testing::Test, public test::MeterToolInFolder {
  protected:
    void Use(const std::string& extra) {
        bench.UseTable(test::SimMeterSection("GPIB0::9::INSTR", "TX41", "SN9", extra));
        tool.Refresh(false);
        ASSERT_EQ(tool.deviceCount(), 1);
        ASSERT_TRUE(burst.FillRecordChoices());
    }
    std::string RecordFile(int n, RecordFormat f = RecordFormat::Current) const {
        return RecordFilePath(dir.path() + "/DB", n, f);
    }
    std::vector<double> Values(int n) const {
        Database db;
        std::vector<double> v;
        if (!OpenRecordForReading(db, RecordFile(n), RecordFormat::Current)) return v;
        RowReader rows;
        if (!rows.Open(db, "select read_value from read")) return v;
        while (rows.Next()) v.push_back(rows.Double(0));
        return v;
    }
    sim::SimEndpoint& Meter() { return *visa::simEndpointOf(tool.sessions().slotSession(0)); }
    void Run() {
        while (burst.Step()) {
        }
        burst.Finish();
    }

    Burst burst{tool.sessions(), prompter, texts, bench.clock};
};

TEST_F(BurstTest, OneReadingIntoANewRecordMakesTheWholeFile) {
    Use("value=-0.00123456789\nnoise=0");
    // Listing the records of a new installation makes nothing; the burst does.
    EXPECT_FALSE(test::Exists(dir.path() + "/DB"));
    EXPECT_EQ(burst.choices()[3].label, "Record 4");
    ASSERT_TRUE(burst.Start(0, 4, 1));
    Run();
    EXPECT_TRUE(prompter.messages.empty()) << prompter.last().text;
    Database db;
    ASSERT_TRUE(OpenRecordForReading(db, RecordFile(4), RecordFormat::Current).ok());
    EXPECT_EQ(*db.TableColumns("read"),
              (std::vector<std::string>{"read_value", "read_value_2ND", "read_time", "read_func"}));
    auto functions = ReadRecordFunctions(db);
    ASSERT_TRUE(functions && functions->has_value());
    EXPECT_EQ((*functions)->first, "DCV");
    EXPECT_EQ((*functions)->second, "NONE");
    const auto values = Values(4);
    ASSERT_EQ(values.size(), 1u);
    // The exponent is read: a thousandth, not -1.23.
    EXPECT_NEAR(values[0], -0.00123456789, 1e-12);
    bool sampleCount = false;
    for (std::string m : Meter().meter().commandLog()) {
        while (!m.empty() && (m.back() == '\n' || m.back() == '\r')) m.pop_back();
        sampleCount = sampleCount || m == "sample:count 1";
    }
    EXPECT_TRUE(sampleCount);
}

TEST_F(BurstTest, StopAfterTenOfAThousandKeepsExactlyTen) {
    Use("value=1.5");
    ASSERT_TRUE(burst.Start(0, 2, 1000));
    for (int k = 0; k < 10; ++k) ASSERT_TRUE(burst.Step());
    burst.Stop();
    EXPECT_FALSE(burst.Step());
    burst.Finish();
    EXPECT_EQ(burst.stored(), 10);
    EXPECT_EQ(Values(2).size(), 10u);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(BurstTest, ReadsThatBringNoReadingStoreNothingAndAreReported) {
    Use("value=2.5");
    ASSERT_TRUE(burst.Start(0, 6, 5));
    ASSERT_TRUE(burst.Step());
    ASSERT_TRUE(burst.Step());
    sim::Faults silent;
    silent.noAnswer = true;
    Meter().setFaults(silent);
    Run();
    EXPECT_EQ(burst.attempts(), 5);
    EXPECT_EQ(burst.failed(), 3);
    EXPECT_EQ(Values(6).size(), 2u);  // no rows of 0 for the silent reads
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.last().text,
              "3 of 5 reads brought no reading (the meter did not answer); nothing was stored "
              "for them.");
}

TEST_F(BurstTest, AChangedFunctionIsRefusedAfterTheDateIsStamped) {
    std::filesystem::create_directory(dir.path() + "/DB");
    Use("value=1.0");
    ASSERT_TRUE(test::MakeRecordFile(RecordFile(3), RecordFormat::Current, {{1.0}}, {2020, 1, 1, 0, 0, 0, 0},
                         "DCV", "NONE"));
    tool.sessions().Query(0, "CONF:VOLT:AC\n");
    EXPECT_FALSE(burst.Start(0, 3, 10));
    EXPECT_EQ(prompter.last().text,
              "Function has changed from DCV to ACV. Please select a different record.");
    EXPECT_EQ(prompter.last().icon, PromptIcon::Warning);
    EXPECT_EQ(Values(3).size(), 1u);
    const auto info = ProbeRecordFile(RecordFile(3), RecordFormat::Current);
    ASSERT_TRUE(info.date);
    EXPECT_EQ(info.date->year, LocalDateTime(bench.clock.wallNow()).year);
    EXPECT_NE(info.date->year, 2020);
}

TEST_F(BurstTest, EarlierFormatAndUnreadableRecordsAreRefusedUntouched) {
    std::filesystem::create_directory(dir.path() + "/DB");
    ASSERT_TRUE(test::MakeRecordFile(RecordFile(2, RecordFormat::Earlier), RecordFormat::Earlier, {{1.0}}));
    test::WriteBytes(RecordFile(5), "not a record at all");
    Use("value=1.0");
    EXPECT_FALSE(burst.Start(0, 2, 5));
    EXPECT_EQ(prompter.last().text,
              "The record already has readings. Please select a different record.");
    EXPECT_FALSE(test::Exists(RecordFile(2)));
    EXPECT_FALSE(burst.Start(0, 5, 5));
    EXPECT_EQ(prompter.last().text, UnreadableRecordMessage("Record 5.mdb"));
    EXPECT_EQ(test::ReadBytes(RecordFile(5)), "not a record at all");

    // An earlier-format file that cannot be read is named, as live saving names it.
    test::WriteBytes(RecordFile(6, RecordFormat::Earlier), "nor this");
    EXPECT_FALSE(burst.Start(0, 6, 5));
    EXPECT_EQ(prompter.last().text, UnreadableRecordMessage("DBfile_DB6.mdb"));
    // A link is refused as a link, and what it names is not stamped.
    ASSERT_TRUE(test::MakeRecordFile(RecordFile(7), RecordFormat::Current, {{1.0}}));
    const std::string linked = test::ReadBytes(RecordFile(7));
    std::filesystem::create_symlink("Record 7.mdb", RecordFile(8));
    EXPECT_FALSE(burst.Start(0, 8, 5));
    EXPECT_EQ(prompter.last().text,
              "Record 8.mdb is a symbolic link, not a record file; it was left untouched. Please "
              "select a different record.");
    EXPECT_EQ(test::ReadBytes(RecordFile(7)), linked);
    // A write-protected record is readable, but says why it cannot take readings.
    ASSERT_EQ(::chmod(RecordFile(7).c_str(), 0444), 0);
    {
        test::ObeyFilePermissions obey;
        EXPECT_FALSE(burst.Start(0, 7, 5));
    }
    EXPECT_EQ(prompter.last().text,
              "Record 7.mdb is write-protected; readings cannot be saved into it. Please select a "
              "different record.");
    EXPECT_EQ(test::ReadBytes(RecordFile(7)), linked);
}

}  // namespace
}  // namespace qm
