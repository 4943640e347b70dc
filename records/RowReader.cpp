#include "records/RowReader.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "config/NumberText.h"

namespace qm {

namespace {

constexpr int kMaxFeedValues = 4;

void FeedStep(sqlite3_context* context, int argc, sqlite3_value** argv) {
    auto* sink = static_cast<ValueSink*>(sqlite3_user_data(context));
    double values[kMaxFeedValues];
    const int n = std::min(argc, kMaxFeedValues);
    for (int i = 0; i < n; ++i)
        values[i] = sqlite3_value_type(argv[i]) == SQLITE_NULL ? std::nan("")
                                                                : sqlite3_value_double(argv[i]);
    sink->Add(values, n);
}

void FeedFinal(sqlite3_context* context) {
    sqlite3_result_null(context);
}

}  // namespace

DbStatus RowReader::Feed(Database& db, std::string_view sql, const std::vector<SqlParam>& params,
                         ValueSink& sink) {
    if (!db.IsOpen()) return DbStatus::Fail(DbStatus::kMisuse, "The database is not open");
    int rc = sqlite3_create_function_v2(db.Handle(), "qm_feed", -1, SQLITE_UTF8, &sink, nullptr,
                                        FeedStep, FeedFinal, nullptr);
    if (rc != SQLITE_OK) return DbStatus::Fail(db.ErrorOf(rc, "Cannot read"));
    RowReader reader;
    DbStatus st = reader.Open(db, sql, params);
    while (st && reader.Next()) {
    }
    if (st) st = reader.status();
    reader.Close();
    sqlite3_create_function_v2(db.Handle(), "qm_feed", -1, SQLITE_UTF8, nullptr, nullptr, nullptr,
                               nullptr, nullptr);
    return st;
}

RowReader::~RowReader() {
    Close();
}

void RowReader::Close() {
    if (stmt_) sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    db_ = nullptr;
}

DbStatus RowReader::Open(Database& db, std::string_view sql, const std::vector<SqlParam>& params) {
    Close();
    status_ = DbStatus::Ok();
    if (!db.IsOpen()) return status_ = DbStatus::Fail(DbStatus::kMisuse, "The database is not open");
    int rc = sqlite3_prepare_v2(db.Handle(), sql.data(), static_cast<int>(sql.size()), &stmt_,
                                nullptr);
    for (std::size_t i = 0; rc == SQLITE_OK && i < params.size(); ++i) {
        const int index = static_cast<int>(i + 1);
        const SqlParam& p = params[i];
        if (auto* n = std::get_if<long long>(&p))
            rc = sqlite3_bind_int64(stmt_, index, *n);
        else if (auto* d = std::get_if<double>(&p))
            rc = sqlite3_bind_double(stmt_, index, *d);
        else if (auto* s = std::get_if<std::string>(&p))
            rc = sqlite3_bind_text(stmt_, index, s->data(), static_cast<int>(s->size()),
                                   SQLITE_TRANSIENT);
        else
            rc = sqlite3_bind_null(stmt_, index);
    }
    if (rc != SQLITE_OK || !stmt_) {
        status_ = DbStatus::Fail(db.ErrorOf(rc == SQLITE_OK ? SQLITE_MISUSE : rc,
                                            "Cannot open a query on"));
        Close();
        return status_;
    }
    db_ = &db;
    return status_;
}

bool RowReader::Next() {
    if (!stmt_) return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) status_ = DbStatus::Fail(db_->ErrorOf(rc, "Cannot read"));
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    return false;
}

bool RowReader::IsNull(int column) const {
    return !stmt_ || sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

double RowReader::Double(int column) const {
    if (!stmt_) return 0.0;
    switch (sqlite3_column_type(stmt_, column)) {
        case SQLITE_FLOAT:
        case SQLITE_INTEGER:
            return sqlite3_column_double(stmt_, column);
        case SQLITE_NULL:
            return 0.0;
        default:  // text stored in a number field
            return AsciiToDouble(Text(column));
    }
}

std::string_view RowReader::Text(int column) const {
    if (!stmt_) return {};
    const unsigned char* p = sqlite3_column_text(stmt_, column);
    const int n = sqlite3_column_bytes(stmt_, column);
    return p ? std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n))
             : std::string_view();
}

}  // namespace qm
