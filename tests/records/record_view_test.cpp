// Record View, band search and CSV export on real record files: what the
// page shows, what the search finds, what the export writes, and that a
// file the program cannot read is reported and left as it was.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "config/NumberText.h"
#include "records/BandSearch.h"
#include "records/CsvExport.h"
#include "records/RecordValueText.h"
#include "records/RecordViewer.h"
#include "tests/records/RecordPagesSupport.h"
#include "tests/records/RecordTestSupport.h"
#include "tests/support/ScriptedPrompter.h"

namespace qm {
namespace {

using test::Reading;
using test::Readings;

std::string Printf(const char* format, double v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

TEST(RecordValueText, GridStatisticsCsvAndChartEachKeepTheirOverloadRule) {
    // Grid: OVLD only above 9.9e25; seven decimals above 100000.
    EXPECT_EQ(GridValueText(9.9e37), "OVLD");
    EXPECT_EQ(GridValueText(9.9e25), Printf("%.7f", 9.9e25));
    EXPECT_EQ(GridValueText(200000.5), "200000.5000000");
    EXPECT_EQ(GridValueText(100000.0), "100000.000000000000");
    EXPECT_EQ(GridValueText(0.5), "0.500000000000");
    EXPECT_EQ(GridValueText(0.0), "0.000000000000");
    EXPECT_EQ(GridValueText(-250000.0), "-250000.000000000000");
    EXPECT_EQ(GridSecondValueText(kRecordNoSecondValue), "");
    EXPECT_EQ(GridSecondValueText(9.9e37), "OVLD");
    EXPECT_EQ(GridSecondValueText(0.0056), "0.005600000000");
    // The search grid hides every second value beyond 9.9e20.
    EXPECT_EQ(SearchSecondValueText(kRecordNoSecondValue), "");
    EXPECT_EQ(SearchSecondValueText(9.9e37), "");
    EXPECT_EQ(SearchSecondValueText(1.5), "1.500000000000");

    // CSV and chart: OVLD only for exactly what the meters send.
    EXPECT_EQ(CsvValueText(9.9e37), "OVLD");
    EXPECT_EQ(CsvValueText(9.8e37), Printf("%.14f", 9.8e37));
    EXPECT_EQ(CsvValueText(kRecordNoSecondValue), Printf("%.14f", 9.9e21));
    EXPECT_EQ(CsvSecondValueText(kRecordNoSecondValue), " ");
    EXPECT_EQ(CsvSecondValueText(9.9e37), "OVLD");
    EXPECT_EQ(CsvValueText(0.0), "0.00000000000000");
    EXPECT_EQ(ChartReadoutText(9.9e37), "OVLD");
    EXPECT_EQ(ChartReadoutText(kRecordNoSecondValue), "NULL");
    EXPECT_EQ(ChartReadoutText(-1.25), "-1.250000000000000");
}

TEST(RecordValueText, FixedTextIsPrintfsText) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 40);
    for (int i = 0; i < 2000; ++i) {
        const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
        for (int decimals : {7, 12, 14, 15}) {
            char format[8];
            std::snprintf(format, sizeof format, "%%.%df", decimals);
            ASSERT_EQ(FixedText(v, decimals), Printf(format, v)) << v;
        }
    }
}

TEST(RecordValueText, StatisticsKeepTheirMagnitude) {
    // The 15-character cut where the whole part fits.
    EXPECT_EQ(StatisticText(0.123456789012345), "0.123456789012");
    EXPECT_EQ(StatisticText(123.456789012345678), "123.45678901234");
    EXPECT_EQ(StatisticText(1234.5), "1234.5000000000");
    EXPECT_EQ(StatisticText(0.0), "0.000000000000");
    EXPECT_EQ(StatisticText(-1.5), "-1.500000000000");
    EXPECT_EQ(StatisticText(123456789012345.0), "123456789012345");
    // Beyond it the cut would drop whole digits: the exponent form keeps
    // the value, and the page's overload rule shows OVLD.
    for (double v : {1e15, 2.5e18, -3.25e17, 9.9e21, 9.9e25, -9.9e37}) {
        const std::string text = StatisticText(v);
        EXPECT_LE(text.size(), 15u) << text;
        EXPECT_NEAR(AsciiToDouble(text) / v, 1.0, 1e-6) << text;
    }
    EXPECT_EQ(StatisticText(9.9e37), "OVLD");
    EXPECT_EQ(StatisticText(1e26), "OVLD");
    EXPECT_EQ(SearchStatisticText(0.0), "0.000000000000000");
    EXPECT_EQ(SearchStatisticText(9.9e37), "OVLD");
}

TEST(RecordQuery, PageSelectorHoldsOneItemPerFullPageAndOneMore) {
    EXPECT_EQ(PageSelectorItems(25000),
              (std::vector<std::string>{" 1 - 10000 ", " 10001 - 20000 ", " 20001 - 25000 "}));
    EXPECT_EQ(PageSelectorItems(20000),
              (std::vector<std::string>{" 1 - 10000 ", " 10001 - 20000 ", " 20001 - 20000 "}));
    EXPECT_EQ(PageSelectorItems(7), (std::vector<std::string>{" 1 - 7 "}));
}

TEST(BandSearchChecks, LimitEditsWhileTyping) {
    auto upper = CheckUpperLimitText("1.2.");
    ASSERT_TRUE(upper.message);
    EXPECT_EQ(upper.message->text, "The value of \"R\" is error.");
    EXPECT_EQ(upper.message->caption, ".");
    EXPECT_TRUE(upper.replaced);
    EXPECT_EQ(upper.text, "1.200000");
    upper = CheckUpperLimitText("3x");
    ASSERT_TRUE(upper.message);
    EXPECT_EQ(upper.message->text, "The value is error.");
    EXPECT_EQ(upper.message->caption, "");
    EXPECT_EQ(upper.text, "3.000000");
    EXPECT_FALSE(CheckUpperLimitText("-1.5e-3").message);
    EXPECT_TRUE(CheckUpperLimitText("1e3E").message);  // E and e count together

    auto lower = CheckLowerLimitText("0..1");
    ASSERT_TRUE(lower.message);
    EXPECT_EQ(lower.message->caption, ".");
    EXPECT_FALSE(lower.replaced);
    EXPECT_FALSE(CheckLowerLimitText("abc").message);
    EXPECT_EQ(UpperLimitEnterText("0.5"), "0.500000000000");
}

TEST(BandSearchChecks, LimitsBeyondTheRecordArePulledToIt) {
    BandLimits b = AdjustBandLimits(5.0, -5.0, 0.9, 0.2);
    EXPECT_EQ(b.high, 0.9 + kBandMargin);
    EXPECT_EQ(b.low, 0.2 - kBandMargin);
    b = AdjustBandLimits(0.5, 0.1, 0.9, 0.2);
    EXPECT_EQ(b.high, 0.5);
    EXPECT_EQ(b.low, 0.2 - kBandMargin);
    b = AdjustBandLimits(0.5, 0.3, 0.9, 0.2);
    EXPECT_EQ(b.low, 0.3);
    b = AdjustBandLimits(0.2, 0.0, 0.9, 0.2);  // the band ends at the minimum
    EXPECT_EQ(b.high, 0.2 + kBandMargin);
    b = AdjustBandLimits(1.0, 0.9, 0.9, 0.2);  // ... or starts at the maximum
    EXPECT_EQ(b.low, 0.9 - kBandEqualMargin);
}

class RecordViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = dir / "DB";
        std::filesystem::create_directory(folder);
    }
    std::string Path(int n, RecordFormat f = RecordFormat::Current) const {
        return RecordFilePath(folder, n, f);
    }
    // Opens the view on the folder and selects the entry of record n.
    int Select(RecordViewer& v, int n, bool earlier = false) {
        v.InitialiseIn(folder);
        const RecordListEntry* e = FindRecordEntry(v.entries(), n, earlier);
        if (!e) return -1;
        const int index = static_cast<int>(e - v.entries().data());
        v.SelectRecord(index);
        return index;
    }

    test::TempDir dir;
    std::string folder;
    test::ScriptedPrompter prompter;
    EnglishTexts texts;
    RecordViewer viewer{prompter, texts};
};

TEST_F(RecordViewTest, StatisticsAndPagesOfALargeRecord) {
    ASSERT_TRUE(test::MakeRecordFile(Path(2), RecordFormat::Current,
                         Readings(25000, [](long long i) { return 0.001 * static_cast<double>(i); })));
    Select(viewer, 2);
    EXPECT_EQ(viewer.texts().quantity, "25000");
    EXPECT_EQ(viewer.texts().maximum, "24.999000000000");
    EXPECT_EQ(viewer.texts().minimum, "0.000000000000");
    EXPECT_EQ(viewer.texts().average, "12.499500000000");
    EXPECT_EQ(viewer.pageItems().size(), 3u);
    ASSERT_EQ(viewer.rows().size(), 10000u);
    EXPECT_EQ(viewer.rows().front().number, "1");
    EXPECT_EQ(viewer.rows().back().number, "10000");
    EXPECT_EQ(viewer.rows()[1].value, "0.001000000000");
    EXPECT_EQ(viewer.rows()[1].second, "");  // single-function: no second value
    ASSERT_TRUE(viewer.LoadPage(2));
    ASSERT_EQ(viewer.rows().size(), 5000u);
    EXPECT_EQ(viewer.rows().front().number, "20001");
    EXPECT_EQ(viewer.rows().front().value, "20.000000000000");
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(RecordViewTest, BothFilesOfANumberAreListedAndEachShowsItsOwnReadings) {
    ASSERT_TRUE(test::MakeRecordFile(Path(4), RecordFormat::Current, Readings(3, [](long long i) { return i + 1.0; })));
    ASSERT_TRUE(test::MakeRecordFile(Path(4, RecordFormat::Earlier), RecordFormat::Earlier,
                         Readings(5, [](long long i) { return -(i + 1.0); }),
                         {2019, 1, 2, 3, 4, 5, 0}));
    viewer.InitialiseIn(folder);
    ASSERT_EQ(viewer.entries().size(), 2u);
    EXPECT_EQ(viewer.entries()[0].label,
              "Record 4            ( 24 / 05 / 06 -- 07 : 08 : 09 )  - DCV NONE");
    EXPECT_EQ(viewer.entries()[1].label, "Record 4            ( 19 / 01 / 02 -- 03 : 04 : 05 )");
    viewer.SelectRecord(0);
    EXPECT_EQ(viewer.texts().quantity, "3");
    EXPECT_EQ(viewer.rows().size(), 3u);
    // The earlier-format file: its own statistics beside its own grid.
    viewer.SelectRecord(1);
    EXPECT_EQ(viewer.texts().quantity, "5");
    EXPECT_EQ(viewer.texts().maximum, "-1.000000000000");
    EXPECT_EQ(viewer.rows().size(), 5u);
}

TEST_F(RecordViewTest, BandSearchFindsTheReadingsBetweenTheLimits) {
    ASSERT_TRUE(test::MakeRecordFile(Path(1), RecordFormat::Current,
                         {{0.2}, {0.3}, {0.4}, {0.5}, {0.6}, {0.7}, {0.8}, {0.9}}));
    Select(viewer, 1);
    viewer.Search("0.5", "0.1");
    EXPECT_EQ(viewer.texts().match, "4");  // 0.2 .. 0.5
    ASSERT_EQ(viewer.rows().size(), 4u);
    EXPECT_EQ(viewer.rows()[3].number, "4");
    EXPECT_EQ(viewer.texts().maximum, "0.500000000000000");
    EXPECT_EQ(viewer.texts().minimum, "0.200000000000000");
    EXPECT_NEAR(AsciiToDouble(viewer.texts().average), 0.35, 1e-14);
    EXPECT_EQ(viewer.texts().quantity, "8");  // the record's total stays

    viewer.Search("100", "-100");  // beyond the record: everything
    EXPECT_EQ(viewer.texts().match, "8");

    viewer.Search("0.75", "0.72");
    EXPECT_EQ(viewer.texts().match, "0");
    EXPECT_TRUE(viewer.rows().empty());
    EXPECT_EQ(viewer.texts().average, "0.000000000000000");
    EXPECT_TRUE(prompter.messages.empty());

    viewer.Search("1", "2");
    EXPECT_EQ(prompter.last().text, std::string(kReversedBandText));
    EXPECT_EQ(prompter.last().icon, PromptIcon::Warning);
    EXPECT_EQ(viewer.texts().match, "0");

    viewer.Search("", "");
    EXPECT_EQ(prompter.last().text, "Please input a valid value.");
    viewer.Search("", "1");
    EXPECT_EQ(prompter.last().text, "Please input a valid Max_value.");
    viewer.Search("1", "");
    EXPECT_EQ(prompter.last().text, "Please input a valid Min_value.");
}

TEST_F(RecordViewTest, BandSearchComparesTheRecordsTrueExtremes) {
    // The shown maximum is cut to 123.45678901234, below the reading: a band
    // reaching past the record must still take it.
    ASSERT_TRUE(test::MakeRecordFile(Path(6), RecordFormat::Current, {{123.456789012345678}, {0.05}}));
    Select(viewer, 6);
    EXPECT_EQ(viewer.texts().maximum, "123.45678901234");
    viewer.Search("1000", "0");
    EXPECT_EQ(viewer.texts().match, "2");
    EXPECT_EQ(viewer.texts().maximum, FixedText(123.456789012345678, 15));

    // An overload is the record's maximum: shown as OVLD, and still found.
    ASSERT_TRUE(test::MakeRecordFile(Path(2), RecordFormat::Current, {{0.5}, {9.9e37}, {-2.5}}));
    Select(viewer, 2);
    EXPECT_EQ(viewer.texts().maximum, "OVLD");
    viewer.Search("1e39", "-10");
    EXPECT_EQ(viewer.texts().match, "3");
    EXPECT_EQ(viewer.texts().maximum, "OVLD");
    EXPECT_EQ(viewer.rows()[1].value, "OVLD");
    viewer.Search("1", "-1");
    EXPECT_EQ(viewer.texts().match, "1");
}

TEST_F(RecordViewTest, MoreThanOnePageOfMatchesAsksForANarrowerBand) {
    ASSERT_TRUE(test::MakeRecordFile(Path(3), RecordFormat::Current,
                         Readings(12000, [](long long i) { return static_cast<double>(i); })));
    Select(viewer, 3);
    viewer.Search("5", "0");
    const RecordViewTexts before = viewer.texts();
    viewer.Search("11000", "0");
    EXPECT_EQ(prompter.last().text, "Please narrow the searching range.");
    EXPECT_EQ(prompter.last().icon, PromptIcon::None);
    EXPECT_EQ(viewer.rows().size(), 10000u);
    EXPECT_EQ(viewer.texts().match, before.match);  // statistics unchanged
    EXPECT_EQ(viewer.texts().average, before.average);
}

TEST_F(RecordViewTest, CsvExportWritesTheRecordUnderTheChosenNamePlusCsv) {
    std::vector<Reading> r = {{1.5, kRecordNoSecondValue, "10:11:12:013"},
                              {9.9e37, 0.0056, "10:11:12:014"},
                              {0.0, 9.9e37, "10:11:12:015"}};
    ASSERT_TRUE(test::MakeRecordFile(Path(5), RecordFormat::Current, r));
    Select(viewer, 5);
    const std::string chosen = dir / "out.csv";
    ASSERT_TRUE(viewer.ExportCsv(chosen));
    EXPECT_FALSE(test::Exists(chosen));
    EXPECT_EQ(test::ReadBytes(chosen + ".csv"),
              "Time,Value ,Value_2ND , ,DateTime : ( 24 / 05 / 06 -- 07 : 08 : 09 )  - DCV NONE\n"
              "10:11:12:013,1.50000000000000, \n"
              "10:11:12:014,OVLD,0.00560000000000\n"
              "10:11:12:015,0.00000000000000,OVLD\n");
    EXPECT_EQ(prompter.last().text, "Output to CSV completed.");
    EXPECT_EQ(prompter.last().icon, PromptIcon::Information);
    EXPECT_FALSE(test::Exists(chosen + ".csv.part"));
}

TEST_F(RecordViewTest, AnExportThatDoesNotFinishLeavesTheOldFile) {
    ASSERT_TRUE(test::MakeRecordFile(Path(5), RecordFormat::Current, Readings(10, [](long long) { return 1.0; })));
    Select(viewer, 5);
    const std::string target = dir / "keep.csv";
    test::WriteBytes(target, "old contents\n");
    {
        CsvExport e;
        ASSERT_TRUE(viewer.BeginExport(e, dir / "keep"));
        ASSERT_TRUE(e.Step(3).ok());
        EXPECT_EQ(e.written(), 3);
        e.Abandon();
    }
    EXPECT_EQ(test::ReadBytes(target), "old contents\n");
    EXPECT_FALSE(test::Exists(target + ".part"));

    EXPECT_FALSE(viewer.ExportCsv(dir / "no-such-folder/x"));
    EXPECT_EQ(prompter.last().text, "Save As Error.");
    EXPECT_EQ(prompter.last().caption, "Error");
}

TEST_F(RecordViewTest, AnEmptyRecordSaysSo) {
    ASSERT_TRUE(test::MakeRecordFile(Path(8), RecordFormat::Current, {}));
    Select(viewer, 8);
    EXPECT_EQ(prompter.last().text, "No data in file");
    EXPECT_EQ(viewer.texts().quantity, "0");
    EXPECT_EQ(viewer.texts().maximum, "0");
    EXPECT_TRUE(viewer.rows().empty());
}

TEST_F(RecordViewTest, DeleteRemovesBothFilesAfterAskingAndRefreshes) {
    ASSERT_TRUE(test::MakeRecordFile(Path(7), RecordFormat::Current, Readings(2, [](long long) { return 1.0; })));
    ASSERT_TRUE(test::MakeRecordFile(Path(7, RecordFormat::Earlier), RecordFormat::Earlier,
                         Readings(2, [](long long) { return 1.0; })));
    Select(viewer, 7);
    prompter.answers.push_back(PromptAnswer::No);
    EXPECT_EQ(viewer.DeleteSelected(), DeleteOutcome::Declined);
    EXPECT_TRUE(test::Exists(Path(7)));
    EXPECT_EQ(viewer.entries().size(), 2u);
    viewer.SelectRecord(1);
    prompter.answers.push_back(PromptAnswer::Yes);
    EXPECT_EQ(viewer.DeleteSelected(), DeleteOutcome::Deleted);
    EXPECT_FALSE(test::Exists(Path(7)));
    EXPECT_FALSE(test::Exists(Path(7, RecordFormat::Earlier)));
    EXPECT_TRUE(viewer.entries().empty());
    EXPECT_EQ(viewer.selected(), -1);
}

TEST_F(RecordViewTest, AFileThatIsNotARecordIsReportedAndLeftAlone) {
    const std::string junk = Path(9);
    test::WriteBytes(junk, std::string("SQLite format 3\0garbage garbage garbage", 40));
    Database other;
    ASSERT_TRUE(other.Create(Path(10)).ok());
    ASSERT_TRUE(other.Execute("CREATE TABLE notes (x TEXT)").ok());
    other.Close();
    const std::string otherBytes = test::ReadBytes(Path(10));
    // Each is listed once, flagged, so that the user sees why its number is taken.
    viewer.InitialiseIn(folder);
    ASSERT_EQ(viewer.entries().size(), 2u);
    EXPECT_EQ(viewer.entries()[0].label, "Record 9            ( Record 9.mdb cannot be read )");
    EXPECT_EQ(viewer.entries()[1].label, "Record 10            ( Record 10.mdb cannot be read )");
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(viewer.entries()[static_cast<std::size_t>(i)].unreadable);
        // Choosing one tells the user which file, and opens nothing.
        EXPECT_FALSE(viewer.SelectRecord(i));
        EXPECT_EQ(prompter.last().text, UnreadableRecordMessage(i == 0 ? "Record 9.mdb" : "Record 10.mdb"));
        EXPECT_FALSE(viewer.ExportCsv(dir / "y"));
        EXPECT_FALSE(test::Exists(dir / "y.csv"));
        EXPECT_FALSE(CountEntryReadings(folder, viewer.entries()[static_cast<std::size_t>(i)]));
    }
    for (const std::string& path : {junk, Path(10)}) {
        Database db;
        const DbStatus st = OpenRecordForReading(db, path, RecordFormat::Current);
        EXPECT_FALSE(st.ok());
        EXPECT_NE(st.message().find(Database::FileNameOf(path)), std::string::npos) << st.message();
        const auto exported = ExportRecordCsv(path, RecordFormat::Current, dir / "x.csv", "");
        EXPECT_FALSE(exported.ok());
        EXPECT_FALSE(test::Exists(dir / "x.csv"));
    }
    EXPECT_EQ(test::ReadBytes(junk), std::string("SQLite format 3\0garbage garbage garbage", 40));
    EXPECT_EQ(test::ReadBytes(Path(10)), otherBytes);
    EXPECT_EQ(test::FolderEntries(folder), (std::vector<std::string>{"Record 10.mdb", "Record 9.mdb"}));
}

TEST_F(RecordViewTest, AWriteProtectedRecordInAWriteProtectedFolderReadsAndNothingIsLeftBesideIt) {
    ASSERT_TRUE(test::MakeRecordFile(Path(4), RecordFormat::Current,
                                     Readings(30, [](long long i) { return static_cast<double>(i); })));
    const std::string before = test::ReadBytes(Path(4));
    ASSERT_EQ(::chmod(Path(4).c_str(), 0444), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    {
        test::ObeyFilePermissions obey;
        ASSERT_EQ(Select(viewer, 4), 0);
        EXPECT_TRUE(prompter.messages.empty()) << prompter.last().text;
        EXPECT_EQ(viewer.texts().quantity, "30");
        EXPECT_EQ(viewer.rows().size(), 30u);
        viewer.Search("20", "10");
        EXPECT_EQ(viewer.texts().match, "11");
        // While an export reads, nothing stands beside the record either.
        CsvExport e;
        ASSERT_TRUE(viewer.BeginExport(e, dir / "out"));
        EXPECT_EQ(test::FolderEntries(folder), std::vector<std::string>{"Record 4.mdb"});
        viewer.FinishExport(e);
        EXPECT_TRUE(test::Exists(dir / "out.csv"));
        const auto count = CountEntryReadings(folder, viewer.entries()[0]);
        ASSERT_TRUE(count);
        EXPECT_EQ(*count, 30);
        EXPECT_EQ(test::FolderEntries(folder), std::vector<std::string>{"Record 4.mdb"});
    }
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(test::ReadBytes(Path(4)), before);
}

}  // namespace
}  // namespace qm
