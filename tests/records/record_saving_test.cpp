// Live saving: the start-of-saving check in every state, and what reaches
// the record file.
#include <gtest/gtest.h>

#include <filesystem>

#include "records/RecordSaving.h"
#include "tests/records/RecordTestSupport.h"
#include "tests/support/ScriptedPrompter.h"

namespace qm {
namespace {

using test::ScriptedPrompter;
using test::TempDir;

struct Row {
    double v1, v2;
    std::string time;
};

class RecordSavingTest : public ::testing::Test {
  protected:
    RecordSavingTest() : clock(test::LocalWall(2024, 3, 5, 14, 7, 9, 45)) {
        folder = dir / "DB";
        std::filesystem::create_directory(folder);
    }
    std::unique_ptr<RecordSaving> Saving() {
        return std::make_unique<RecordSaving>(prompter, clock, [this] { return folder; });
    }
    std::string Path(int n, RecordFormat f = RecordFormat::Current) {
        return RecordFilePath(folder, n, f);
    }
    // A record saved once from an instrument measuring f1 / f2.
    void Existing(int n, const char* f1, const char* f2, int readings = 2) {
        auto s = Saving();
        auto out = s->StartOfSavingCheck({{0, n, f1, f2}});
        ASSERT_TRUE(out.proceed);
        for (int i = 0; i < readings; ++i)
            ASSERT_TRUE(s->AppendReading(0, i, kRecordNoSecondValue).ok());
        s->StopSaving();
        prompter.messages.clear();
    }
    std::vector<Row> Rows(int n) {
        Database db;
        EXPECT_TRUE(OpenRecordDatabase(db, Path(n), RecordFormat::Current).ok());
        Recordset rs;
        EXPECT_TRUE(rs.Open(db, "select * from read").ok());
        std::vector<Row> rows;
        for (; !rs.IsEOF(); (void)rs.MoveNext())
            rows.push_back({*rs.GetDouble("read_value"), *rs.GetDouble("read_value_2ND"),
                            *rs.GetText("read_time")});
        return rows;
    }
    RecordFileInfo Info(int n) { return ProbeRecordFile(Path(n), RecordFormat::Current); }

    TempDir dir;
    std::string folder;
    ScriptedPrompter prompter;
    ManualClock clock;
};

TEST_F(RecordSavingTest, FirstSaveCreatesTheRecordAndAppendsReadings) {
    auto s = Saving();
    auto out = s->StartOfSavingCheck({{0, 4, "VOLT", "NONE"}});
    EXPECT_TRUE(out.proceed);
    EXPECT_EQ(out.state, RecordCheckState::Ok);
    EXPECT_EQ(out.openedSlots, std::vector<int>{0});
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_TRUE(s->IsOpen(0));

    // An exact zero travels as 1e-25 and is stored as 0; 9.9e21 marks "no
    // second value" and is kept; the time is local time with milliseconds.
    ASSERT_TRUE(s->AppendReading(0, 1e-25, kRecordNoSecondValue).ok());
    clock.advance(std::chrono::milliseconds(1250));
    ASSERT_TRUE(s->AppendReading(0, 1.5, 1e-25).ok());
    ASSERT_TRUE(s->AppendReading(0, 9.9e37, -2.25).ok());
    s->StopSaving();
    EXPECT_FALSE(s->IsOpen(0));

    auto rows = Rows(4);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].v1, 0.0);
    EXPECT_EQ(rows[0].v2, 9.9e21);
    EXPECT_EQ(rows[0].time, "14:07:09:045");
    EXPECT_EQ(rows[1].v1, 1.5);
    EXPECT_EQ(rows[1].v2, 0.0);
    EXPECT_EQ(rows[1].time, "14:07:10:295");
    EXPECT_EQ(rows[2].v1, 9.9e37);
    auto info = Info(4);
    ASSERT_TRUE(info.date);
    EXPECT_EQ(StorageDateText(*info.date), "2024-03-05 14:07:09");
    EXPECT_EQ(info.function1, "DCV");
    EXPECT_EQ(info.function2, "NONE");
}

TEST_F(RecordSavingTest, SameFunctionsAskBeforeContinuingAndNoStops) {
    Existing(4, "RES", "NONE");
    clock.advance(std::chrono::hours(30));

    prompter.answers = {PromptAnswer::No};
    auto s = Saving();
    auto out = s->StartOfSavingCheck({{0, 4, "RES", "NONE"}});
    EXPECT_FALSE(out.proceed);
    EXPECT_TRUE(out.declined);
    EXPECT_TRUE(out.openedSlots.empty());
    EXPECT_TRUE(s->IsBlocked(0));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.last().text, "Record 4 will continue saving the readings.  Continue?");
    EXPECT_EQ(prompter.last().buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompter.last().caption, "");
    EXPECT_EQ(StorageDateText(*Info(4).date), "2024-03-05 14:07:09");  // not stamped
    s->StopSaving();

    prompter.answers = {PromptAnswer::Yes};
    out = s->StartOfSavingCheck({{0, 4, "RES", "NONE"}});
    EXPECT_TRUE(out.proceed);
    ASSERT_TRUE(s->AppendReading(0, 7.0, kRecordNoSecondValue).ok());
    s->StopSaving();
    auto rows = Rows(4);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].v1, 7.0);
    EXPECT_EQ(StorageDateText(*Info(4).date), "2024-03-06 20:07:09");  // overwritten
}

TEST_F(RecordSavingTest, ChangedFunctionsRefuseTheRecordWithTheirMessage) {
    Existing(4, "VOLT", "NONE");
    const struct {
        const char* f1;
        const char* f2;
        RecordCheckState state;
        const char* text;
    } cases[] = {
        {"VOLT:AC", "NONE", RecordCheckState::FunctionChanged,
         "Function has changed from DCV to ACV. Please select a different record."},
        {"VOLT", "CURR", RecordCheckState::SecondFunctionChanged,
         "2ND Function has changed from NONE to DCI. Please select a different record."},
        {"FRES", "FREQ", RecordCheckState::BothChanged,
         "Function has changed from DCV to 4W. 2ND Function has changed from NONE to FREQ. "
         "Please select a different record."},
    };
    for (const auto& c : cases) {
        prompter.messages.clear();
        auto s = Saving();
        auto out = s->StartOfSavingCheck({{0, 4, c.f1, c.f2}});
        EXPECT_FALSE(out.proceed) << c.f1;
        EXPECT_EQ(out.state, c.state) << c.f1;
        EXPECT_TRUE(s->IsBlocked(0));
        ASSERT_EQ(prompter.messages.size(), 1u) << c.f1;
        EXPECT_EQ(prompter.last().text, c.text);
        EXPECT_EQ(prompter.last().icon, PromptIcon::Warning);
        EXPECT_EQ(prompter.last().caption, "");
        EXPECT_EQ(s->Message(), c.text);
        EXPECT_FALSE(s->AppendReading(0, 1.0, 2.0).ok());
    }
    EXPECT_EQ(Rows(4).size(), 2u);
    EXPECT_EQ(Info(4).function1, "DCV");
}

TEST_F(RecordSavingTest, EarlierFormatOnlyRecordHasReadings) {
    // A genuine earlier-format file: read and read_date only.
    {
        Database db;
        ASSERT_TRUE(db.Create(Path(2, RecordFormat::Earlier)).ok());
        ASSERT_TRUE(db.CreateTable("read", {{"read_value", DaoType::Double, 20},
                                            {"read_value_2ND", DaoType::Double, 20},
                                            {"read_time", DaoType::Text, 100}})
                        .ok());
        ASSERT_TRUE(db.CreateTable("read_date", {{"r_date", DaoType::DateTime, 20}}).ok());
    }
    auto s = Saving();
    auto out = s->StartOfSavingCheck({{0, 2, "VOLT", "NONE"}});
    EXPECT_FALSE(out.proceed);
    EXPECT_EQ(out.state, RecordCheckState::HasReadings);
    EXPECT_TRUE(s->EarlierFormatOnly());
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{std::string(kRecordHasReadingsText)});
    EXPECT_EQ(prompter.last().icon, PromptIcon::Warning);
    EXPECT_FALSE(test::Exists(Path(2)));

    // With a current-format file beside it, that file decides.
    ASSERT_TRUE(CreateRecordFile(Path(2), RecordLayout::MainWindow).ok());
    {
        Database db;
        ASSERT_TRUE(OpenRecordDatabase(db, Path(2), RecordFormat::Current).ok());
        ASSERT_TRUE(WriteRecordFunctions(db, "DCV", "NONE").ok());
    }
    prompter.messages.clear();
    out = s->StartOfSavingCheck({{0, 2, "VOLT", "NONE"}});
    EXPECT_TRUE(out.proceed);
    EXPECT_FALSE(s->EarlierFormatOnly());
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"Record 2 will continue saving the readings.  Continue?"});
}

TEST_F(RecordSavingTest, SeveralInstrumentsShareOneCheck) {
    Existing(1, "VOLT", "NONE");
    Existing(4, "CURR", "NONE");
    // Both compatible: each question lists the records checked so far.
    auto s = Saving();
    auto out = s->StartOfSavingCheck({{0, 1, "VOLT", "NONE"}, {2, 4, "CURR", "NONE"}});
    EXPECT_TRUE(out.proceed);
    EXPECT_EQ(out.openedSlots, (std::vector<int>{0, 2}));
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{
                  "Record 1 will continue saving the readings.  Continue?",
                  "Record 1,Record 4 will continue saving the readings.  Continue?"}));
    ASSERT_TRUE(s->AppendReading(2, 3.0, 4.0).ok());
    s->StopSaving();
    EXPECT_TRUE(s->RecordNameList().empty());
    EXPECT_EQ(Rows(4).size(), 3u);

    // A refusal of the first stops the check for the rest: no question, not opened.
    prompter.messages.clear();
    // A record never written, after a refusal, counts as "both changed".
    out = s->StartOfSavingCheck(
        {{0, 1, "RES", "NONE"}, {1, 4, "CURR", "NONE"}, {2, 6, "RES", "NONE"}});
    EXPECT_FALSE(out.proceed);
    EXPECT_EQ(out.state, RecordCheckState::BothChanged);
    EXPECT_TRUE(out.openedSlots.empty());
    EXPECT_TRUE(s->IsBlocked(1));
    EXPECT_TRUE(s->IsBlocked(2));
    EXPECT_EQ(prompter.messages.size(), 1u);
    EXPECT_FALSE(test::Exists(Path(6)));

    // A new record opened before a later refusal is closed again by Stop.
    prompter.messages.clear();
    out = s->StartOfSavingCheck({{0, 7, "RES", "NONE"}, {1, 4, "VOLT", "NONE"}});
    EXPECT_FALSE(out.proceed);
    EXPECT_EQ(out.openedSlots, std::vector<int>{0});
    s->StopSaving();
    EXPECT_FALSE(s->IsOpen(0));
}

TEST_F(RecordSavingTest, UnreadableRecordIsRefusedByNameAndLeftAlone) {
    const std::string jet("\x00\x01\x00\x00Standard Jet DB", 19);
    test::WriteBytes(Path(3), jet);
    auto s = Saving();
    auto out = s->StartOfSavingCheck({{0, 3, "VOLT", "NONE"}});
    EXPECT_FALSE(out.proceed);
    EXPECT_EQ(out.state, RecordCheckState::Unusable);
    // A record the Windows version saved is called what it is.
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"Record 3.mdb was saved by the Windows version of this "
                                       "program (an Access database), which this version cannot "
                                       "read; it was left untouched. Please select a different "
                                       "record."});
    EXPECT_EQ(test::ReadBytes(Path(3)), jet);

    // An unreadable earlier-format file blocks its number the same way.
    prompter.messages.clear();
    test::WriteBytes(Path(5, RecordFormat::Earlier), "junk");
    out = s->StartOfSavingCheck({{0, 5, "VOLT", "NONE"}});
    EXPECT_EQ(out.state, RecordCheckState::Unusable);
    EXPECT_EQ(prompter.last().text, UnreadableRecordMessage("DBfile_DB5.mdb"));
    EXPECT_FALSE(test::Exists(Path(5)));
}

TEST_F(RecordSavingTest, FailuresAreNeverReportedAsSuccess) {
    // The folder vanished after it was found: the record cannot be created.
    std::filesystem::remove_all(folder);
    auto s = Saving();
    auto out = s->StartOfSavingCheck({{0, 4, "VOLT", "NONE"}});
    EXPECT_FALSE(out.proceed);
    EXPECT_EQ(out.state, RecordCheckState::Unusable);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.last().text.find("Cannot create Record 4.mdb"), std::string::npos)
        << prompter.last().text;
    EXPECT_FALSE(s->IsOpen(0));
    EXPECT_FALSE(s->AppendReading(0, 1.0, 2.0).ok());

    // A record number outside 1 to 10 never reaches the disk.
    prompter.messages.clear();
    std::filesystem::create_directory(folder);
    out = s->StartOfSavingCheck({{1, 11, "VOLT", "NONE"}});
    EXPECT_FALSE(out.proceed);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST(RecordSavingFolder, FirstSaveCreatesTheDatabaseFolder) {
    TempDir dir;
    test::WorkingDirectory wd(dir.path());
    ScriptedPrompter prompter;
    ManualClock clock;
    RecordSaving saving(prompter, clock);
    auto out = saving.StartOfSavingCheck({{0, 4, "VOLT", "NONE"}});
    EXPECT_TRUE(out.proceed);
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_TRUE(test::Exists(dir / "DB/Record 4.mdb"));
    EXPECT_EQ(std::filesystem::current_path().string(), dir / "DB");
    saving.StopSaving();
}

}  // namespace
}  // namespace qm
