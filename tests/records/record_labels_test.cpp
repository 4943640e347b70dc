// The record lists of every record page, built from one folder that holds
// every kind of file a number can have.
#include <gtest/gtest.h>

#include <filesystem>

#include "records/RecordLabels.h"
#include "tests/records/RecordTestSupport.h"

namespace qm {
namespace {

using test::TempDir;

const DateTime kDate1{2024, 3, 5, 14, 7, 9, 0};
const DateTime kDate2{2019, 11, 30, 8, 0, 59, 0};
const DateTime kDate3{2023, 1, 2, 23, 59, 1, 0};

void MakeCurrent(const std::string& path, const DateTime* date, const char* f1, const char* f2) {
    ASSERT_TRUE(CreateRecordFile(path, RecordLayout::MainWindow).ok());
    Database db;
    ASSERT_TRUE(OpenRecordDatabase(db, path, RecordFormat::Current).ok());
    if (date) {
        ASSERT_TRUE(StampRecordDate(db, *date).ok());
    }
    if (f1) {
        ASSERT_TRUE(WriteRecordFunctions(db, f1, f2).ok());
    }
}

void MakeEarlier(const std::string& path, const DateTime* date) {
    Database db;
    ASSERT_TRUE(db.Create(path).ok());
    ASSERT_TRUE(db.CreateTable("read", {{"read_value", DaoType::Double, 20},
                                        {"read_value_2ND", DaoType::Double, 20},
                                        {"read_time", DaoType::Text, 100}})
                    .ok());
    ASSERT_TRUE(db.CreateTable("read_date", {{"r_date", DaoType::DateTime, 20}}).ok());
    if (date) {
        ASSERT_TRUE(StampRecordDate(db, *date).ok());
    }
}

class RecordListsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = dir / "DB";
        std::filesystem::create_directory(folder);
        auto cur = [&](int n) { return RecordFilePath(folder, n, RecordFormat::Current); };
        auto old = [&](int n) { return RecordFilePath(folder, n, RecordFormat::Earlier); };
        MakeCurrent(cur(1), &kDate1, "DCV", "NONE");
        MakeEarlier(old(2), &kDate2);
        MakeCurrent(cur(3), &kDate3, "ACV", "DCI");
        MakeEarlier(old(3), &kDate2);
        MakeCurrent(cur(4), nullptr, nullptr, nullptr);  // never stamped
        test::WriteBytes(cur(5), std::string("\x00\x01\x00\x00Standard Jet DB", 19));
        MakeEarlier(old(6), nullptr);                    // earlier, no date
        MakeCurrent(cur(7), &kDate1, nullptr, nullptr);  // dated, no functions
        test::WriteBytes(old(8), "garbage");             // unreadable earlier file
    }
    TempDir dir;
    std::string folder;
};

const std::string kLabel1 = "Record 1            ( 24 / 03 / 05 -- 14 : 07 : 09 )";
const std::string kLabel2 = "Record 2            ( 19 / 11 / 30 -- 08 : 00 : 59 )";
const std::string kLabel3 = "Record 3            ( 23 / 01 / 02 -- 23 : 59 : 01 )";
const std::string kLabel3Old = "Record 3            ( 19 / 11 / 30 -- 08 : 00 : 59 )";
const std::string kLabel7 = "Record 7            ( 24 / 03 / 05 -- 14 : 07 : 09 )";
const std::string kLabel5 = "Record 5            ( Record 5.mdb cannot be read )";
const std::string kLabel8 = "Record 8            ( DBfile_DB8.mdb cannot be read )";

TEST_F(RecordListsTest, RecordViewListsEveryDatedFileWithItsFunctions) {
    auto entries = RecordViewEntries(folder);
    std::vector<std::string> labels;
    for (auto& e : entries) {
        labels.push_back(e.label);
        EXPECT_EQ(ParseRecordNumber(e.label), e.recordNo);
    }
    // Unreadable files are named, once each, so that the user sees why
    // their numbers are taken.
    EXPECT_EQ(labels,
              (std::vector<std::string>{kLabel1 + "  - DCV NONE", kLabel2, kLabel3 + "  - ACV DCI",
                                        kLabel3Old, kLabel5, kLabel7 + "  -  ", kLabel8}));
    for (const auto& e : entries) EXPECT_EQ(e.unreadable, e.recordNo == 5 || e.recordNo == 8);
    EXPECT_EQ(entries[6].format, RecordFormat::Earlier);
    EXPECT_EQ(entries[1].format, RecordFormat::Earlier);
    EXPECT_EQ(entries[2].format, RecordFormat::Current);
    EXPECT_EQ(entries[3].format, RecordFormat::Earlier);

    test::WorkingDirectory wd(dir.path());
    auto cli = ListRecordViewLabels();
    ASSERT_TRUE(cli.ok());
    EXPECT_EQ(*cli, labels);
}

TEST_F(RecordListsTest, RecordChartListsANumberAtMostOnce) {
    std::vector<std::pair<int, std::string>> got;
    for (auto& e : RecordChartEntries(folder)) got.emplace_back(e.recordNo, e.label);
    EXPECT_EQ(got, (std::vector<std::pair<int, std::string>>{
                       {1, kLabel1}, {2, kLabel2}, {3, kLabel3}, {5, kLabel5}, {7, kLabel7},
                       {8, kLabel8}}));
}

TEST_F(RecordListsTest, AllNumberListsLetTheEarlierFileDecide) {
    auto burst = MultipleReadingsChoices(folder);
    const std::vector<std::string> expected = {kLabel1, kLabel2,    kLabel3Old, "Record 4",
                                               kLabel5, "Record 6", kLabel7,    kLabel8,
                                               "Record 9", "Record 10"};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(burst[i].label, expected[i]) << i;
        EXPECT_EQ(burst[i].earlierFormat, i == 1 || i == 2) << i;
        EXPECT_EQ(burst[i].unreadable, i == 4 || i == 7) << i;
    }

    auto settings = ReadingSettingsChoices(folder, "DCV");
    EXPECT_EQ(settings[0].label, kLabel1 + "  DCV ");
    EXPECT_EQ(settings[2].label, kLabel3Old + "  DCV ");
    EXPECT_EQ(settings[3].label, "Record 4");
    EXPECT_EQ(settings[9].label, "Record 10");
    EXPECT_EQ(ReadingSettingsChoices(folder)[0].label, kLabel1 + "   ");
}

TEST(RecordLists, MissingFolderIsAnErrorForTheCommandLine) {
    TempDir dir;
    test::WorkingDirectory wd(dir.path());
    auto cli = ListRecordViewLabels();
    ASSERT_FALSE(cli.ok());
    EXPECT_EQ(cli.error().message, "Database working folder not found.");
}

}  // namespace
}  // namespace qm
