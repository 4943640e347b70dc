#pragma once
// A DAO-like cursor over an SQL query on a Database. Rows are fetched one at
// a time from SQLite; only the current row is held in memory, so a record of
// any size can be paged, drawn or exported through it.
//
// "select * from <table>" opens an updatable cursor: AddNew / Edit /
// SetField / Update write back through the table's rowid, each Update being
// its own committed transaction. Any other query (aggregates, joins, WHERE
// clauses with bound parameters) opens a read-only cursor.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "records/Database.h"
#include "records/DbResult.h"
#include "records/RecordDate.h"

namespace qm {

struct FieldValue {
    enum class Kind { Null, Integer, Real, Text };
    Kind kind = Kind::Null;
    long long integer = 0;
    double real = 0.0;
    std::string text;
};

class Recordset {
  public:
    Recordset() = default;
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Opens the query and moves to its first row (IsEOF() when there is none).
    DbStatus Open(Database& db, std::string_view sql, std::vector<SqlParam> params = {});
    void Close();
    bool IsOpen() const { return db_ != nullptr; }
    bool IsUpdatable() const { return !table_.empty(); }
    // No current row: past the last row, an empty result, or closed.
    bool IsEOF() const { return !IsOpen() || pos_ < 0 || atEnd_; }

    // Number of rows of the whole query (counted by SQLite, not fetched).
    DbResult<long long> RecordCount();
    DbStatus MoveNext() { return Move(1); }
    // Moves by n rows from the current one (n may be negative); moving past
    // the last row leaves the cursor at EOF.
    DbStatus Move(long long n);
    DbStatus MoveFirst();
    // The last row (EOF when there is none). Walks the rows one by one.
    DbStatus MoveLast();
    // 0-based index of the current row.
    long long Position() const { return pos_; }

    int FieldCount() const { return static_cast<int>(names_.size()); }
    const std::string& FieldName(int index) const { return names_.at(index); }
    // Index of a field by name, case-insensitive; -1 when there is none.
    int FieldIndex(std::string_view name) const;

    // Field values of the current row. A NULL reads as 0 or as "", and as
    // an error for a date; an unknown name or no current row is an error.
    DbResult<double> GetDouble(std::string_view name) const;
    DbResult<std::string> GetText(std::string_view name) const;
    DbResult<DateTime> GetDate(std::string_view name) const;
    DbResult<bool> IsNull(std::string_view name) const;

    // Starts a new row (current position unchanged after Update).
    DbStatus AddNew();
    // Starts changing the current row.
    DbStatus Edit();
    DbStatus SetField(std::string_view name, double value);
    DbStatus SetField(std::string_view name, std::string_view text);
    DbStatus SetField(std::string_view name, const DateTime& value);  // stored as text
    DbStatus SetNull(std::string_view name);
    // Writes the new or changed row as one committed transaction. On failure
    // nothing is written and the edit is dropped.
    DbStatus Update();
    void CancelUpdate();
    // rowid of the row written by the last successful Update.
    long long LastModified() const { return lastModified_; }

  private:
    friend class Database;
    enum class EditMode { None, AddNew, Edit };

    // The connection is about to write: stop the read statement where it is.
    void Suspend();
    // The connection is closing under this cursor.
    void Detach();
    void Finalize();
    DbStatus Restart();
    DbStatus Forward(long long k);
    DbStatus Resume();
    void CopyRow();
    DbStatus SetValue(std::string_view name, FieldValue v);
    DbResult<const FieldValue*> Current(std::string_view name) const;
    DbResult<sqlite3_stmt*> WriteStatement(bool insert);
    DbStatus Fail(int rc, std::string_view what) const;

    Database* db_ = nullptr;
    std::string sql_;    // query as given
    std::string table_;  // set for an updatable cursor
    std::vector<SqlParam> params_;
    sqlite3_stmt* stmt_ = nullptr;
    bool live_ = false;   // stmt_ stepped and not reset
    long long pos_ = -1;  // index of the current row
    bool atEnd_ = false;
    long long rowid_ = 0;  // rowid of the current row (updatable cursor)
    std::vector<std::string> names_;
    std::vector<FieldValue> row_;
    EditMode mode_ = EditMode::None;
    std::vector<FieldValue> pending_;
    std::uint64_t pendingMask_ = 0;
    std::vector<std::pair<std::uint64_t, sqlite3_stmt*>> inserts_, updates_;
    long long lastModified_ = 0;
};

}  // namespace qm
