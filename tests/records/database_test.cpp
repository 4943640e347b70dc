// The DAO-like layer: typed tables, updatable and read-only cursors, writes
// that are committed at once, and date and number reading.
#include "config/NumberText.h"
#include "records/Database.h"

#include <gtest/gtest.h>

#include "records/RecordDate.h"
#include "records/Recordset.h"
#include "tests/records/RecordTestSupport.h"

namespace qm {
namespace {

using test::TempDir;

std::string SchemaOf(Database& db, const std::string& table) {
    Recordset rs;
    EXPECT_TRUE(rs.Open(db, "select sql from sqlite_master where name = ?", {table}).ok());
    return rs.IsEOF() ? std::string() : rs.GetText("sql").value_or("");
}

long long CountRows(const std::string& path, const std::string& table) {
    Database db;
    if (!db.Open(path)) return -1;
    Recordset rs;
    if (!rs.Open(db, "select count(*) as n from " + table)) return -1;
    return static_cast<long long>(rs.GetDouble("n").value_or(-1));
}

TEST(DatabaseLayer, CreatesTypedTablesInWalModeAndNeverReplacesAFile) {
    TempDir dir;
    const std::string path = dir / "t.db";
    {
        Database db;
        ASSERT_TRUE(db.Create(path).ok());
        ASSERT_TRUE(db.CreateTable("read", {{"read_value", DaoType::Double, 20},
                                            {"read_time", DaoType::Text, 100},
                                            {"r_date", DaoType::DateTime, 20}})
                        .ok());
        EXPECT_EQ(SchemaOf(db, "read"),
                  "CREATE TABLE \"read\" (\"read_value\" DOUBLE, \"read_time\" TEXT(100), "
                  "\"r_date\" DATETIME)");
        Recordset mode;
        ASSERT_TRUE(mode.Open(db, "PRAGMA journal_mode").ok());
        EXPECT_EQ(mode.GetText("journal_mode").value_or(""), "wal");
        auto cols = db.TableColumns("read");
        ASSERT_TRUE(cols.ok());
        EXPECT_EQ(*cols, (std::vector<std::string>{"read_value", "read_time", "r_date"}));
        EXPECT_TRUE(db.TableColumns("nothing")->empty());
    }
    const std::string before = test::ReadBytes(path);
    Database again;
    DbStatus st = again.Create(path);
    EXPECT_FALSE(st.ok());
    EXPECT_NE(st.message().find("t.db"), std::string::npos) << st.message();
    EXPECT_EQ(test::ReadBytes(path), before);
}

class CursorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(db.Create(dir / "c.db").ok());
        ASSERT_TRUE(
            db.CreateTable("t", {{"a", DaoType::Double, 20}, {"b", DaoType::Text, 20}}).ok());
    }
    void Fill(int n) {
        Recordset rs;
        ASSERT_TRUE(rs.Open(db, "select * from t").ok());
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(rs.AddNew().ok());
            ASSERT_TRUE(rs.SetField("a", static_cast<double>(i)).ok());
            ASSERT_TRUE(rs.SetField("B", "row " + std::to_string(i)).ok());  // any case
            ASSERT_TRUE(rs.Update().ok());
        }
    }
    TempDir dir;
    Database db;
};

TEST_F(CursorTest, UpdatableCursorAddsEditsAndMoves) {
    Recordset rs;
    ASSERT_TRUE(rs.Open(db, "SELECT * FROM t;").ok());
    EXPECT_TRUE(rs.IsUpdatable());
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_FALSE(rs.Edit().ok());              // nothing to edit
    EXPECT_FALSE(rs.SetField("a", 1.0).ok());  // no AddNew
    EXPECT_FALSE(rs.Update().ok());
    rs.Close();
    Fill(5);

    ASSERT_TRUE(rs.Open(db, "select * from t").ok());
    EXPECT_EQ(rs.FieldCount(), 2);
    EXPECT_EQ(*rs.RecordCount(), 5);
    EXPECT_EQ(*rs.GetDouble("a"), 0.0);
    ASSERT_TRUE(rs.Move(3).ok());
    EXPECT_EQ(*rs.GetText("b"), "row 3");
    ASSERT_TRUE(rs.Move(-2).ok());
    EXPECT_EQ(*rs.GetDouble("a"), 1.0);
    EXPECT_FALSE(rs.Move(-5).ok());  // before the first row: refused, position kept
    EXPECT_EQ(*rs.GetDouble("a"), 1.0);
    ASSERT_TRUE(rs.MoveLast().ok());
    EXPECT_EQ(*rs.GetDouble("a"), 4.0);
    ASSERT_TRUE(rs.MoveNext().ok());
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_FALSE(rs.GetDouble("a").ok());
    EXPECT_FALSE(rs.MoveNext().ok());
    ASSERT_TRUE(rs.MoveFirst().ok());
    ASSERT_TRUE(rs.Move(2).ok());

    // Edit writes through the rowid of the current row only.
    ASSERT_TRUE(rs.Edit().ok());
    ASSERT_TRUE(rs.SetField("a", 42.5).ok());
    EXPECT_FALSE(rs.SetField("missing", 1.0).ok());
    ASSERT_TRUE(rs.Update().ok());
    EXPECT_EQ(*rs.GetDouble("a"), 42.5);
    EXPECT_FALSE(rs.GetDouble("missing").ok());

    Database other;
    ASSERT_TRUE(other.Open(dir / "c.db").ok());
    Recordset check;
    ASSERT_TRUE(check.Open(other, "select a from t where b = ?", {std::string("row 2")}).ok());
    EXPECT_EQ(*check.GetDouble("a"), 42.5);
    ASSERT_TRUE(check.Open(other, "select sum(a) as s from t").ok());
    EXPECT_EQ(*check.GetDouble("s"), 0 + 1 + 42.5 + 3 + 4);
}

TEST_F(CursorTest, WritesSucceedWhileCursorsAreHalfWay) {
    Fill(6);
    Recordset walking, filtered, appender;
    ASSERT_TRUE(walking.Open(db, "select * from t").ok());
    ASSERT_TRUE(walking.Move(2).ok());
    ASSERT_TRUE(filtered.Open(db, "select a from t where a >= ? order by a", {1.0}).ok());
    EXPECT_FALSE(filtered.IsUpdatable());
    EXPECT_FALSE(filtered.AddNew().ok());
    ASSERT_TRUE(appender.Open(db, "select * from t").ok());

    // Another connection writes while these cursors hold their place.
    {
        Database other;
        ASSERT_TRUE(other.Open(dir / "c.db").ok());
        ASSERT_TRUE(other.Execute("insert into t (a) values (?)", {50.0}).ok());
    }
    ASSERT_TRUE(appender.AddNew().ok());
    ASSERT_TRUE(appender.SetField("a", 100.0).ok());
    ASSERT_TRUE(appender.Update().ok());
    EXPECT_EQ(CountRows(dir / "c.db", "t"), 8);

    // The half-way cursors carry on where they were.
    ASSERT_TRUE(walking.MoveNext().ok());
    EXPECT_EQ(*walking.GetDouble("a"), 3.0);
    ASSERT_TRUE(filtered.MoveNext().ok());
    EXPECT_EQ(*filtered.GetDouble("a"), 2.0);
    // After AddNew + Update the appender's own position is unchanged.
    EXPECT_EQ(*appender.GetDouble("a"), 0.0);
}

TEST_F(CursorTest, ValuesAreBoundNeverSplicedIntoSql) {
    Fill(3);
    Recordset rs;
    const std::string hostile = "x'); DROP TABLE t; --";
    ASSERT_TRUE(rs.Open(db, "select * from t").ok());
    ASSERT_TRUE(rs.AddNew().ok());
    ASSERT_TRUE(rs.SetField("b", hostile).ok());
    ASSERT_TRUE(rs.Update().ok());
    ASSERT_TRUE(rs.Open(db, "select b from t where b = ?", {hostile}).ok());
    EXPECT_EQ(*rs.GetText("b"), hostile);
    EXPECT_EQ(CountRows(dir / "c.db", "t"), 4);
    ASSERT_TRUE(db.Execute("delete from t where b = ?", {hostile}).ok());
    EXPECT_EQ(CountRows(dir / "c.db", "t"), 3);
}

TEST(RecordDates, FormatsAndReadsEveryStoredForm) {
    DateTime d{2024, 3, 5, 14, 7, 9, 45};
    EXPECT_EQ(StorageDateText(d), "2024-03-05 14:07:09");
    EXPECT_EQ(RecordLabelDate(d), "24 / 03 / 05 -- 14 : 07 : 09");
    EXPECT_EQ(ReadingTimeText(d), "14:07:09:045");
    EXPECT_EQ(RecordLabelDate(DateTime{2100, 1, 2, 3, 4, 5, 0}), "00 / 01 / 02 -- 03 : 04 : 05");

    auto parsed = ParseDateText("2024-03-05 14:07:09");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, (DateTime{2024, 3, 5, 14, 7, 9, 0}));
    EXPECT_EQ(ParseDateText(" 2024-03-05T14:07:09.250 ")->millisecond, 250);
    EXPECT_EQ(*ParseDateText("2024-03-05"), (DateTime{2024, 3, 5, 0, 0, 0, 0}));
    EXPECT_EQ(ParseDateText("2024-03-05 14:07")->minute, 7);
    // An instant with a zone and a Julian day number are shown in local time.
    const long long unixSeconds = 1709647629;  // 2024-03-05 14:07:09 UTC
    EXPECT_EQ(*ParseDateText("2024-03-05 14:07:09Z"), LocalDateTimeFromUnix(unixSeconds));
    EXPECT_EQ(*ParseDateText("2024-03-05 16:07:09+02:00"), LocalDateTimeFromUnix(unixSeconds));
    EXPECT_EQ(*ParseDateText("2460375.08829861"), LocalDateTimeFromUnix(unixSeconds));
    for (const char* bad : {"", "yesterday", "2024-13-01", "2024-03-05 25:00", "2024-3-5",
                            "2024-03-05 14:07:09 PST", "-4", "1e999"})
        EXPECT_FALSE(ParseDateText(bad)) << bad;

    // Through a cursor: text, a Julian day (REAL) and Unix seconds (INTEGER).
    TempDir dir;
    Database db;
    ASSERT_TRUE(db.Create(dir / "d.db").ok());
    ASSERT_TRUE(db.CreateTable("read_date", {{"r_date", DaoType::DateTime, 20}}).ok());
    ASSERT_TRUE(db.Execute("insert into read_date values (?), (?), (?), (NULL)",
                           {std::string("2024-03-05 14:07:09"), 2460375.08829861, unixSeconds})
                    .ok());
    Recordset rs;
    ASSERT_TRUE(rs.Open(db, "select * from read_date").ok());
    EXPECT_EQ(*rs.GetDate("r_date"), (DateTime{2024, 3, 5, 14, 7, 9, 0}));
    ASSERT_TRUE(rs.MoveNext().ok());
    EXPECT_EQ(*rs.GetDate("r_date"), LocalDateTimeFromUnix(unixSeconds));
    ASSERT_TRUE(rs.MoveNext().ok());
    EXPECT_EQ(*rs.GetDate("r_date"), LocalDateTimeFromUnix(unixSeconds));
    ASSERT_TRUE(rs.MoveNext().ok());
    EXPECT_FALSE(rs.GetDate("r_date").ok());
    EXPECT_TRUE(*rs.IsNull("r_date"));
}

TEST(RecordNumbers, TextReadsAsItsNumericPrefix) {
    EXPECT_EQ(AsciiToDouble(" 1.5abc"), 1.5);
    EXPECT_EQ(AsciiToDouble("+9.9E37"), 9.9e37);
    EXPECT_EQ(AsciiToDouble("-2e3,4"), -2000.0);
    EXPECT_EQ(AsciiToDouble("abc"), 0.0);
    EXPECT_EQ(AsciiToDouble(""), 0.0);
    EXPECT_EQ(AsciiToDouble("--1"), 0.0);
    EXPECT_EQ(AsciiToDouble(".5"), 0.5);
}

}  // namespace
}  // namespace qm
