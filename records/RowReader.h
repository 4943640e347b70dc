#pragma once
// A forward-only reader over a query's rows for the record pages' long
// passes (statistics, export, drawing a million readings): columns are read
// by index straight from SQLite, nothing is copied per row. For cursors that
// move, write or look fields up by name, use Recordset.
#include <string_view>
#include <vector>

#include "records/Database.h"
#include "records/DbResult.h"

namespace qm {

// Receives the rows of a feed query (RowReader::Feed) one by one: the
// arguments of qm_feed as numbers, NaN for a NULL.
class ValueSink {
  public:
    virtual ~ValueSink() = default;
    virtual void Add(const double* values, int count) = 0;
};

class RowReader {
  public:
    // Runs `sql`, in which the aggregate qm_feed(value, ...) (up to four
    // values) hands every row it sees to `sink`: the engine walks the rows
    // itself instead of returning each one, which halves the cost of a long
    // pass.
    static DbStatus Feed(Database& db, std::string_view sql, const std::vector<SqlParam>& params,
                         ValueSink& sink);

    RowReader() = default;
    ~RowReader();
    RowReader(const RowReader&) = delete;
    RowReader& operator=(const RowReader&) = delete;

    // Prepares the query with its bound parameters; call Next() for each row.
    DbStatus Open(Database& db, std::string_view sql, const std::vector<SqlParam>& params = {});
    // Moves to the next row: true on a row, false at the end or on an error
    // (see status()).
    bool Next();
    const DbStatus& status() const { return status_; }
    void Close();

    bool IsNull(int column) const;
    // A number, or a text read as ASCII-to-double; NULL gives 0.
    double Double(int column) const;
    // Valid until the next Next().
    std::string_view Text(int column) const;

  private:
    sqlite3_stmt* stmt_ = nullptr;
    Database* db_ = nullptr;
    DbStatus status_;
};

}  // namespace qm
