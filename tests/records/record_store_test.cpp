// Record files: the folder rule, names and codes, the layout of a new
// record, files that are not records, and deleting.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "records/RecordStore.h"
#include "tests/records/RecordTestSupport.h"
#include "tests/support/ScriptedPrompter.h"

namespace qm {
namespace {

using test::ScriptedPrompter;
using test::TempDir;

TEST(RecordFolder, DbAnywhereInThePathIsTheFolderItself) {
    EXPECT_EQ(DatabaseFolderFor("/home/ann/tools"), "/home/ann/tools/DB");
    EXPECT_EQ(DatabaseFolderFor("/home/ann/DBTOOLS"), "/home/ann/DBTOOLS");
    EXPECT_EQ(DatabaseFolderFor("/opt/myDBs/bin"), "/opt/myDBs/bin");
    EXPECT_EQ(DatabaseFolderFor("/home/ann/db"), "/home/ann/db/DB");  // case-sensitive
    EXPECT_EQ(DatabaseFolderFor("/"), "/DB");
}

TEST(RecordFolder, ResolvingEntersTheFolderAndCreatesItOnlyWhenAsked) {
    TempDir dir;
    test::WorkingDirectory wd(dir.path());
    ScriptedPrompter prompter;

    EXPECT_FALSE(ResolveDatabaseFolder(prompter, kRecordViewFolderCaption));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.last().text, "Database working folder not found.");
    EXPECT_EQ(prompter.last().caption, "RecordView Database folder check");
    EXPECT_FALSE(test::Exists(dir / "DB"));

    auto folder =
        ResolveDatabaseFolder(prompter, kMainWindowFolderCaption, FolderCreation::IfMissing);
    ASSERT_TRUE(folder);
    EXPECT_EQ(*folder, dir / "DB");
    EXPECT_EQ(std::filesystem::current_path().string(), dir / "DB");
    // From inside the folder the letters are found and nothing is appended.
    EXPECT_EQ(ResolveDatabaseFolder(prompter, kMainWindowFolderCaption).value_or(""), dir / "DB");
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST(RecordFolder, AFileInThePlaceOfTheFolderIsReported) {
    TempDir dir;
    test::WriteBytes(dir / "DB", "not a folder");
    test::WorkingDirectory wd(dir.path());
    ScriptedPrompter prompter;
    EXPECT_FALSE(
        ResolveDatabaseFolder(prompter, kMultipleReadingsFolderCaption, FolderCreation::IfMissing));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.last().caption, "Read2K Database folder check");
    EXPECT_EQ(test::ReadBytes(dir / "DB"), "not a folder");
}

TEST(RecordNames, FileNamesNumbersCodesAndMarkers) {
    EXPECT_EQ(RecordFileName(3, RecordFormat::Current), "Record 3.mdb");
    EXPECT_EQ(RecordFileName(10, RecordFormat::Earlier), "DBfile_DB10.mdb");
    EXPECT_EQ(RecordFilePath("/x/DB", 4, RecordFormat::Current), "/x/DB/Record 4.mdb");

    EXPECT_EQ(ParseRecordNumber("Record 3            ( 24 / 03 / 05 -- 14 : 07 : 09 )"), 3);
    EXPECT_EQ(ParseRecordNumber("Record 10            ( x )"), 10);
    EXPECT_EQ(ParseRecordNumber("Record 7"), 7);
    EXPECT_EQ(ParseRecordNumber("Record "), 0);
    EXPECT_EQ(ParseRecordNumber(""), 0);

    const std::pair<const char*, const char*> codes[] = {
        {"VOLT", "DCV"},  {"CURR", "DCI"},          {"VOLT:AC", "ACV"}, {"CURR:AC", "ACI"},
        {"RES", "2W"},    {"FRES", "4W"},           {"FREQ", "FREQ"},   {"volt", "volt"},
        {"NONE", "NONE"}, {"\"VOLT:AC\"\n", "ACV"}, {"DCV", "DCV"},     {"", ""}};
    for (auto [answer, code] : codes) EXPECT_EQ(ShortFunctionCode(answer), code) << answer;

    EXPECT_EQ(StoredReadingValue(1e-25), 0.0);
    EXPECT_EQ(StoredReadingValue(-1e-25), -1e-25);
    EXPECT_EQ(StoredReadingValue(9.9e37), 9.9e37);
}

TEST(RecordFiles, NewRecordHasTheTablesOfItsCreationPath) {
    TempDir dir;
    const std::string main = dir / "Record 1.mdb";
    const std::string burst = dir / "Record 2.mdb";
    ASSERT_TRUE(CreateRecordFile(main, RecordLayout::MainWindow).ok());
    ASSERT_TRUE(CreateRecordFile(burst, RecordLayout::MultipleReadings).ok());

    Database db;
    ASSERT_TRUE(OpenRecordDatabase(db, main, RecordFormat::Current).ok());
    EXPECT_EQ(*db.TableColumns("read"),
              (std::vector<std::string>{"read_value", "read_value_2ND", "read_time", "read_func",
                                        "read_func2"}));
    EXPECT_EQ(*db.TableColumns("read_date"), std::vector<std::string>{"r_date"});
    EXPECT_EQ(*db.TableColumns("read_function"),
              (std::vector<std::string>{"r_function1", "r_function2"}));
    ASSERT_TRUE(OpenRecordDatabase(db, burst, RecordFormat::Current).ok());
    EXPECT_EQ(db.TableColumns("read")->size(), 4u);
    db.Close();

    // Only the two records: no half-made or temporary file stays behind.
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 2);

    const std::string before = test::ReadBytes(main);
    EXPECT_FALSE(CreateRecordFile(main, RecordLayout::MainWindow).ok());
    EXPECT_EQ(test::ReadBytes(main), before);

    auto info = ProbeRecordFile(main, RecordFormat::Current);
    EXPECT_EQ(info.state, RecordFileState::Readable);
    EXPECT_FALSE(info.hasDate);
    EXPECT_FALSE(info.hasFunctions);
    EXPECT_EQ(ProbeRecordFile(dir / "Record 9.mdb", RecordFormat::Current).state,
              RecordFileState::Missing);
}

// Files named like a record that are not records this program can read.
std::vector<std::pair<std::string, std::string>> ForeignFiles(const TempDir& dir) {
    std::string jet("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    jet.append(2048 - jet.size(), '\x5a');
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919 + 13) % 251);
    std::string foreign;
    {
        Database db;
        EXPECT_TRUE(db.Create(dir / "foreign.db").ok());
        EXPECT_TRUE(db.Execute("create table customers (name text)").ok());
    }
    foreign = test::ReadBytes(dir / "foreign.db");
    std::string cut;
    {
        EXPECT_TRUE(CreateRecordFile(dir / "full.mdb", RecordLayout::MainWindow).ok());
        Database db;
        EXPECT_TRUE(db.Open(dir / "full.mdb").ok());
        Recordset rs;
        EXPECT_TRUE(rs.Open(db, "select * from read").ok());
        EXPECT_TRUE(db.BeginTransaction().ok());
        for (int i = 0; i < 3000; ++i) {
            EXPECT_TRUE(rs.AddNew().ok());
            EXPECT_TRUE(rs.SetField("read_value", i * 1.5).ok());
            EXPECT_TRUE(rs.SetField("read_time", "12:00:00:000").ok());
            EXPECT_TRUE(rs.Update().ok());
        }
        EXPECT_TRUE(db.Commit().ok());
    }
    cut = test::ReadBytes(dir / "full.mdb");
    // A page of readings overwritten in the middle: the tables still open.
    std::string damaged = cut;
    const size_t page = 4096, middle = (damaged.size() / 2) / page * page;
    for (size_t i = middle; i < middle + page && i < damaged.size(); ++i) damaged[i] = '\x5a';
    cut.resize(cut.size() / 2);
    return {{"empty", ""},      {"jet", jet},         {"random", noise}, {"other sqlite", foreign},
            {"cut short", cut}, {"damaged", damaged}, {"tiny", "SQLite"}};
}

TEST(RecordFiles, FilesThatAreNotRecordsAreReportedAndLeftUntouched) {
    TempDir dir;
    for (const auto& [kind, bytes] : ForeignFiles(dir)) {
        for (RecordFormat format : {RecordFormat::Current, RecordFormat::Earlier}) {
            const std::string path = RecordFilePath(dir.path(), 3, format);
            test::WriteBytes(path, bytes);
            auto info = ProbeRecordFile(path, format);
            EXPECT_EQ(info.state, RecordFileState::Unreadable) << kind;
            EXPECT_NE(info.problem.find(RecordFileName(3, format)), std::string::npos)
                << kind << ": " << info.problem;
            Database db;
            EXPECT_FALSE(OpenRecordDatabase(db, path, format).ok()) << kind;
            EXPECT_EQ(test::ReadBytes(path), bytes) << kind;
            EXPECT_FALSE(test::Exists(path + "-wal")) << kind;
            std::filesystem::remove(path);
        }
    }
    std::filesystem::create_directory(dir / "Record 3.mdb");
    EXPECT_EQ(ProbeRecordFile(dir / "Record 3.mdb", RecordFormat::Current).state,
              RecordFileState::Unreadable);
    EXPECT_EQ(UnreadableRecordMessage("Record 3.mdb"),
              "Record 3.mdb is not a record file this program can read; it was left untouched. "
              "Please select a different record.");
}

class LanguageTexts : public TextSource {
  public:
    std::string GetText(std::string_view key, std::string_view def) const override {
        return key == "1021" ? "Diesen Datensatz loeschen?" : std::string(def);
    }
};

TEST(RecordFiles, DeleteAsksThenRemovesBothFilesAndTheirLogs) {
    TempDir dir;
    ASSERT_TRUE(CreateRecordFile(dir / "Record 4.mdb", RecordLayout::MainWindow).ok());
    test::WriteBytes(dir / "Record 4.mdb-wal", "log");
    test::WriteBytes(dir / "DBfile_DB4.mdb", "old");
    ScriptedPrompter prompter;
    LanguageTexts texts;

    prompter.answers = {PromptAnswer::No};
    EXPECT_EQ(DeleteRecord(dir.path(), 4, prompter, texts), DeleteOutcome::Declined);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.last().text, "Diesen Datensatz loeschen?");
    EXPECT_EQ(prompter.last().caption, "");
    EXPECT_EQ(prompter.last().icon, PromptIcon::Information);
    EXPECT_EQ(prompter.last().buttons, PromptButtons::YesNo);
    EXPECT_TRUE(test::Exists(dir / "Record 4.mdb"));

    EXPECT_EQ(DeleteRecord(dir.path(), 4, prompter, EnglishTexts()), DeleteOutcome::Deleted);
    EXPECT_EQ(prompter.last().text, "Are you sure you want to delete this record?");
    EXPECT_FALSE(test::Exists(dir / "Record 4.mdb"));
    EXPECT_FALSE(test::Exists(dir / "Record 4.mdb-wal"));
    EXPECT_FALSE(test::Exists(dir / "DBfile_DB4.mdb"));
    // Nothing left to delete is no error.
    EXPECT_EQ(DeleteRecord(dir.path(), 4, prompter, texts), DeleteOutcome::Deleted);

    // A file that cannot be removed is named; the other one still goes.
    std::filesystem::create_directories(dir / "Record 5.mdb/inner");
    test::WriteBytes(dir / "DBfile_DB5.mdb", "old");
    EXPECT_EQ(DeleteRecord(dir.path(), 5, prompter, texts), DeleteOutcome::Failed);
    EXPECT_NE(prompter.last().text.find("Record 5.mdb could not be deleted"), std::string::npos);
    EXPECT_FALSE(test::Exists(dir / "DBfile_DB5.mdb"));
}

}  // namespace
}  // namespace qm
