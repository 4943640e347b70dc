#pragma once
// A small DAO-like database connection over SQLite 3: create a database,
// create and append tables of typed, sized fields, open an existing file,
// run statements with bound parameters. Cursors over queries are
// Recordsets (records/Recordset.h) opened on a Database.
//
// Every file is used with write-ahead logging, synchronous=NORMAL and a busy
// timeout. Every write is its own transaction: a reading that Update()
// reported as written survives a crash or a kill of the program.
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "records/DbResult.h"

struct sqlite3;
struct sqlite3_stmt;

namespace qm {

class Recordset;

// Field types by their DAO type codes.
enum class DaoType : int { Double = 7, DateTime = 8, Text = 10 };

struct FieldDef {
    std::string name;
    DaoType type = DaoType::Text;
    int size = 0;  // characters for Text; the engine fixes the others
};

// A value bound to a '?' of a statement; never spliced into SQL text.
using SqlParam = std::variant<std::monostate, long long, double, std::string>;

class Database {
  public:
    static constexpr int kBusyTimeoutMs = 2000;

    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Creates a new, empty database file and opens it. Fails when a file of
    // that name already exists: an existing file is never replaced.
    DbStatus Create(const std::string& path);
    // Opens an existing database file, not exclusive, not read-only. A file
    // that is empty, not a regular file (a symbolic link counts as none) or
    // not a SQLite database fails, and nothing is written to it.
    DbStatus Open(const std::string& path);
    // Opens an existing database file for reading only, with the same checks.
    // Nothing is created beside it: a file without a write-ahead log is read
    // as it stands, so a read-only file or folder reads like any other.
    DbStatus OpenReadOnly(const std::string& path);
    bool IsReadOnly() const { return readOnly_; }
    // Closes every Recordset still open on this connection, then the file.
    void Close();
    bool IsOpen() const { return db_ != nullptr; }
    const std::string& Path() const { return path_; }

    // "create a table and append it": CREATE TABLE with one column per field
    // (DOUBLE, TEXT(size), DATETIME), no key, no index.
    DbStatus CreateTable(std::string_view table, const std::vector<FieldDef>& fields);
    // Runs one or more statements to completion, discarding rows. params are
    // bound to the first statement.
    DbStatus Execute(std::string_view sql, const std::vector<SqlParam>& params = {});
    // Column names of a table, in order; empty when the table does not exist.
    DbResult<std::vector<std::string>> TableColumns(std::string_view table);
    // First line of PRAGMA integrity_check ("ok" for a sound file).
    DbResult<std::string> IntegrityCheck();
    // Switches the file to write-ahead logging (kept in the file).
    DbStatus UseWriteAheadLog();
    // Copies everything the write-ahead log holds into the file itself and
    // empties the log; fails when any of it could not be written.
    DbStatus Checkpoint();

    // Groups several writes (schema creation) into one transaction.
    DbStatus BeginTransaction();
    DbStatus Commit();
    void Rollback();

    // Quotes an identifier for SQL text ("name" with inner quotes doubled).
    static std::string QuoteIdentifier(std::string_view name);
    // The last path component, for messages.
    static std::string FileNameOf(const std::string& path);

  private:
    friend class Recordset;
    friend class RowReader;
    sqlite3* Handle() const { return db_; }
    // Steps a prepared write as one committed transaction.
    DbStatus StepWrite(sqlite3_stmt* stmt);
    DbError ErrorOf(int rc, std::string_view what) const;
    void Register(Recordset* r);
    void Unregister(Recordset* r);
    void SuspendCursors();
    DbStatus Configure();
    DbStatus OpenFile(const std::string& path, bool readOnly);

    sqlite3* db_ = nullptr;
    std::string path_;
    bool readOnly_ = false;
    std::vector<Recordset*> cursors_;
};

}  // namespace qm
