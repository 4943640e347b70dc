#include "records/Recordset.h"

#include "config/NumberText.h"
#include "platform/AsciiCase.h"

#include <sqlite3.h>

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>

namespace qm {

namespace {

void SkipBlanks(std::string_view s, size_t& p) {
    while (p < s.size() && std::isspace(static_cast<unsigned char>(s[p]))) ++p;
}

bool Word(std::string_view s, size_t& p, std::string_view word) {
    if (p + word.size() > s.size() || !EqualsIgnoringCase(s.substr(p, word.size()), word)) return false;
    p += word.size();
    return true;
}

// The table of "select * from <table>" (optionally ending in ';'); empty for
// any other query.
std::string SelectStarTable(std::string_view sql) {
    size_t p = 0;
    SkipBlanks(sql, p);
    if (!Word(sql, p, "select")) return {};
    size_t before = p;
    SkipBlanks(sql, p);
    if (p == before || !Word(sql, p, "*")) return {};
    SkipBlanks(sql, p);
    if (!Word(sql, p, "from")) return {};
    before = p;
    SkipBlanks(sql, p);
    if (p == before) return {};
    size_t start = p;
    while (p < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[p])) || sql[p] == '_'))
        ++p;
    if (p == start || std::isdigit(static_cast<unsigned char>(sql[start]))) return {};
    std::string table(sql.substr(start, p - start));
    SkipBlanks(sql, p);
    if (p < sql.size() && sql[p] == ';') ++p;
    SkipBlanks(sql, p);
    return p == sql.size() ? table : std::string();
}

std::string TrimStatement(std::string_view sql) {
    while (!sql.empty() &&
           (std::isspace(static_cast<unsigned char>(sql.back())) || sql.back() == ';'))
        sql.remove_suffix(1);
    return std::string(sql);
}

// The text stays in the pending row, untouched until the statement has run
// and every parameter is bound afresh before the next run: no copy needed.
int BindValue(sqlite3_stmt* stmt, int index, const FieldValue& v) {
    switch (v.kind) {
        case FieldValue::Kind::Integer:
            return sqlite3_bind_int64(stmt, index, v.integer);
        case FieldValue::Kind::Real:
            return sqlite3_bind_double(stmt, index, v.real);
        case FieldValue::Kind::Text:
            return sqlite3_bind_text(stmt, index, v.text.data(), static_cast<int>(v.text.size()),
                                     SQLITE_STATIC);
        case FieldValue::Kind::Null:
            break;
    }
    return sqlite3_bind_null(stmt, index);
}

int BindParam(sqlite3_stmt* stmt, int index, const SqlParam& p) {
    if (auto* i = std::get_if<long long>(&p)) return sqlite3_bind_int64(stmt, index, *i);
    if (auto* d = std::get_if<double>(&p)) return sqlite3_bind_double(stmt, index, *d);
    if (auto* s = std::get_if<std::string>(&p))
        return sqlite3_bind_text(stmt, index, s->data(), static_cast<int>(s->size()),
                                 SQLITE_TRANSIENT);
    return sqlite3_bind_null(stmt, index);
}

// A stored number as a date, the way SQLite's 'auto' modifier reads it:
// within the Julian day range a Julian day number, else Unix seconds.
std::optional<DateTime> DateFromNumber(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    if (v >= 0.0 && v < 5373484.5) return DateFromJulianDay(v);
    if (v < -210866760000.0 || v > 253402300799.0) return std::nullopt;
    double secs = std::floor(v);
    return LocalDateTimeFromUnix(static_cast<long long>(secs),
                                 static_cast<int>(std::lround((v - secs) * 1000.0)) % 1000);
}

}  // namespace

Recordset::~Recordset() {
    Close();
}

DbStatus Recordset::Fail(int rc, std::string_view what) const {
    std::string msg(what);
    if (db_) {
        msg += " " + Database::FileNameOf(db_->Path());
        if (db_->Handle()) msg += std::string(": ") + sqlite3_errmsg(db_->Handle());
    }
    return DbStatus::Fail(rc, std::move(msg));
}

void Recordset::Finalize() {
    if (stmt_) sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    for (auto& [mask, s] : inserts_) sqlite3_finalize(s);
    for (auto& [mask, s] : updates_) sqlite3_finalize(s);
    inserts_.clear();
    updates_.clear();
    live_ = false;
}

void Recordset::Close() {
    Finalize();
    if (db_) db_->Unregister(this);
    db_ = nullptr;
    sql_.clear();
    table_.clear();
    params_.clear();
    names_.clear();
    row_.clear();
    pending_.clear();
    pendingMask_ = 0;
    mode_ = EditMode::None;
    pos_ = -1;
    atEnd_ = false;
}

void Recordset::Detach() {
    Finalize();
    db_ = nullptr;
    row_.clear();
    mode_ = EditMode::None;
    pos_ = -1;
    atEnd_ = false;
}

void Recordset::Suspend() {
    if (live_ && stmt_) sqlite3_reset(stmt_);
    live_ = false;
}

DbStatus Recordset::Open(Database& db, std::string_view sql, std::vector<SqlParam> params) {
    Close();
    if (!db.IsOpen()) return DbStatus::Fail(DbStatus::kMisuse, "The database is not open");
    db_ = &db;
    db.Register(this);
    sql_ = std::string(sql);
    params_ = std::move(params);

    std::string table = params_.empty() ? SelectStarTable(sql) : std::string();
    if (!table.empty()) {
        // Walk by rowid so that the cursor can stop and resume around the
        // writes made through it.
        std::string q = "SELECT rowid, * FROM " + Database::QuoteIdentifier(table) +
                        " WHERE rowid > ?1 ORDER BY rowid";
        if (sqlite3_prepare_v2(db.Handle(), q.c_str(), -1, &stmt_, nullptr) == SQLITE_OK &&
            sqlite3_column_count(stmt_) <= 65) {
            table_ = table;
        } else if (stmt_) {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
        }
    }
    if (!stmt_) {
        int rc = sqlite3_prepare_v2(db.Handle(), sql_.c_str(), static_cast<int>(sql_.size()),
                                    &stmt_, nullptr);
        if (rc != SQLITE_OK || !stmt_) {
            DbStatus st = Fail(rc == SQLITE_OK ? SQLITE_MISUSE : rc, "Cannot open a query on");
            Close();
            return st;
        }
        for (size_t i = 0; i < params_.size(); ++i) {
            int rc2 = BindParam(stmt_, static_cast<int>(i + 1), params_[i]);
            if (rc2 != SQLITE_OK) {
                DbStatus st = Fail(rc2, "Cannot bind a value of a query on");
                Close();
                return st;
            }
        }
    }
    int first = IsUpdatable() ? 1 : 0;
    for (int i = first; i < sqlite3_column_count(stmt_); ++i) {
        const char* n = sqlite3_column_name(stmt_, i);
        names_.emplace_back(n ? n : "");
    }
    DbStatus st = Forward(1);
    if (!st) {
        Close();
        return st;
    }
    return DbStatus::Ok();
}

DbStatus Recordset::Resume() {
    sqlite3_reset(stmt_);
    if (IsUpdatable()) {
        sqlite3_bind_int64(stmt_, 1, pos_ < 0 ? LLONG_MIN : rowid_);
        live_ = true;
        return DbStatus::Ok();
    }
    // A general query cannot be resumed by key: run it again and skip the
    // rows already passed.
    for (long long i = 0; i <= pos_; ++i) {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_DONE) break;  // rows went away; Forward finds the end
        if (rc != SQLITE_ROW) {
            DbStatus st = Fail(rc, "Cannot read");
            sqlite3_reset(stmt_);
            return st;
        }
    }
    live_ = true;
    return DbStatus::Ok();
}

DbStatus Recordset::Forward(long long k) {
    if (atEnd_) return DbStatus::Fail(DbStatus::kMisuse, "No current record");
    if (!live_) {
        DbStatus st = Resume();
        if (!st) return st;
    }
    for (long long i = 1; i <= k; ++i) {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) {
            ++pos_;
            if (i == k) CopyRow();
            continue;
        }
        // Reset at once: a finished statement would restart on the next step.
        DbStatus st = rc == SQLITE_DONE ? DbStatus::Ok() : Fail(rc, "Cannot read");
        sqlite3_reset(stmt_);
        live_ = false;
        if (rc == SQLITE_DONE) {
            ++pos_;
            atEnd_ = true;
            row_.clear();
        }
        return st;
    }
    return DbStatus::Ok();
}

void Recordset::CopyRow() {
    int offset = IsUpdatable() ? 1 : 0;
    if (IsUpdatable()) rowid_ = sqlite3_column_int64(stmt_, 0);
    row_.resize(names_.size());
    for (size_t i = 0; i < names_.size(); ++i) {
        int col = static_cast<int>(i) + offset;
        FieldValue& v = row_[i];
        switch (sqlite3_column_type(stmt_, col)) {
            case SQLITE_INTEGER:
                v.kind = FieldValue::Kind::Integer;
                v.integer = sqlite3_column_int64(stmt_, col);
                break;
            case SQLITE_FLOAT:
                v.kind = FieldValue::Kind::Real;
                v.real = sqlite3_column_double(stmt_, col);
                break;
            case SQLITE_NULL:
                v.kind = FieldValue::Kind::Null;
                break;
            default: {  // text, and a blob read as its bytes
                v.kind = FieldValue::Kind::Text;
                const void* p = sqlite3_column_blob(stmt_, col);
                int n = sqlite3_column_bytes(stmt_, col);
                v.text.assign(p ? static_cast<const char*>(p) : "", p ? n : 0);
            }
        }
    }
}

DbStatus Recordset::Move(long long n) {
    if (!IsOpen()) return DbStatus::Fail(DbStatus::kMisuse, "The query is not open");
    CancelUpdate();
    if (n == 0) return DbStatus::Ok();
    long long target = pos_ + n;
    if (target < 0) return DbStatus::Fail(DbStatus::kMisuse, "Cannot move before the first record");
    if (n > 0) return Forward(n);
    Suspend();
    pos_ = -1;
    atEnd_ = false;
    return Forward(target + 1);
}

DbStatus Recordset::MoveFirst() {
    if (!IsOpen()) return DbStatus::Fail(DbStatus::kMisuse, "The query is not open");
    CancelUpdate();
    Suspend();
    pos_ = -1;
    atEnd_ = false;
    return Forward(1);
}

DbStatus Recordset::MoveLast() {
    auto count = RecordCount();
    if (!count) return count.status();
    CancelUpdate();
    long long last = *count - 1;
    if (last < 0) {
        Suspend();
        pos_ = 0;
        atEnd_ = true;
        row_.clear();
        return DbStatus::Ok();
    }
    if (!atEnd_ && pos_ <= last) return last == pos_ ? DbStatus::Ok() : Forward(last - pos_);
    Suspend();
    pos_ = -1;
    atEnd_ = false;
    return Forward(last + 1);
}

DbResult<long long> Recordset::RecordCount() {
    if (!IsOpen()) return DbError{DbStatus::kMisuse, "The query is not open"};
    std::string q = IsUpdatable() ? "SELECT count(*) FROM " + Database::QuoteIdentifier(table_)
                                  : "SELECT count(*) FROM (" + TrimStatement(sql_) + ")";
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db_->Handle(), q.c_str(), -1, &s, nullptr);
    if (rc == SQLITE_OK && !IsUpdatable()) {
        for (size_t i = 0; i < params_.size() && rc == SQLITE_OK; ++i)
            rc = BindParam(s, static_cast<int>(i + 1), params_[i]);
    }
    long long n = 0;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            n = sqlite3_column_int64(s, 0);
            rc = SQLITE_OK;
        }
    }
    DbStatus st = rc == SQLITE_OK ? DbStatus::Ok() : Fail(rc, "Cannot count the rows of");
    sqlite3_finalize(s);
    if (!st) return st.error();
    return n;
}

int Recordset::FieldIndex(std::string_view name) const {
    for (size_t i = 0; i < names_.size(); ++i)  // the usual case, and the cheap one
        if (names_[i] == name) return static_cast<int>(i);
    for (size_t i = 0; i < names_.size(); ++i)
        if (EqualsIgnoringCase(names_[i], name)) return static_cast<int>(i);
    return -1;
}

DbResult<const FieldValue*> Recordset::Current(std::string_view name) const {
    if (IsEOF()) return DbError{DbStatus::kMisuse, "No current record"};
    int i = FieldIndex(name);
    if (i < 0) return DbError{DbStatus::kMisuse, "No field named " + std::string(name)};
    return &row_[i];
}

DbResult<double> Recordset::GetDouble(std::string_view name) const {
    auto v = Current(name);
    if (!v) return v.error();
    const FieldValue& f = **v;
    switch (f.kind) {
        case FieldValue::Kind::Integer:
            return static_cast<double>(f.integer);
        case FieldValue::Kind::Real:
            return f.real;
        case FieldValue::Kind::Text:
            return AsciiToDouble(f.text);  // text stored in a number field
        case FieldValue::Kind::Null:
            break;
    }
    return 0.0;
}

DbResult<std::string> Recordset::GetText(std::string_view name) const {
    auto v = Current(name);
    if (!v) return v.error();
    const FieldValue& f = **v;
    switch (f.kind) {
        case FieldValue::Kind::Integer:
            return std::to_string(f.integer);
        case FieldValue::Kind::Real: {
            char buf[64];
            auto [end, ec] = std::to_chars(buf, buf + sizeof buf, f.real);
            return std::string(buf, ec == std::errc() ? end : buf);
        }
        case FieldValue::Kind::Text:
            return f.text;
        case FieldValue::Kind::Null:
            break;
    }
    return std::string();
}

DbResult<DateTime> Recordset::GetDate(std::string_view name) const {
    auto v = Current(name);
    if (!v) return v.error();
    const FieldValue& f = **v;
    std::optional<DateTime> d;
    switch (f.kind) {
        case FieldValue::Kind::Integer:
            d = DateFromNumber(static_cast<double>(f.integer));
            break;
        case FieldValue::Kind::Real:
            d = DateFromNumber(f.real);
            break;
        case FieldValue::Kind::Text:
            d = ParseDateText(f.text);
            break;
        case FieldValue::Kind::Null:
            break;
    }
    if (!d) return DbError{SQLITE_MISMATCH, "Field " + std::string(name) + " holds no date"};
    return *d;
}

DbResult<bool> Recordset::IsNull(std::string_view name) const {
    auto v = Current(name);
    if (!v) return v.error();
    return (*v)->kind == FieldValue::Kind::Null;
}

DbStatus Recordset::AddNew() {
    if (!IsOpen() || !IsUpdatable())
        return DbStatus::Fail(DbStatus::kMisuse, "The query cannot be updated");
    mode_ = EditMode::AddNew;
    pending_.resize(names_.size());  // only the fields set below are used
    pendingMask_ = 0;
    return DbStatus::Ok();
}

DbStatus Recordset::Edit() {
    if (!IsOpen() || !IsUpdatable())
        return DbStatus::Fail(DbStatus::kMisuse, "The query cannot be updated");
    if (IsEOF()) return DbStatus::Fail(DbStatus::kMisuse, "No current record");
    mode_ = EditMode::Edit;
    pending_.resize(names_.size());
    pendingMask_ = 0;
    return DbStatus::Ok();
}

DbStatus Recordset::SetValue(std::string_view name, FieldValue v) {
    if (mode_ == EditMode::None)
        return DbStatus::Fail(DbStatus::kMisuse, "SetField without AddNew or Edit");
    int i = FieldIndex(name);
    if (i < 0) return DbStatus::Fail(DbStatus::kMisuse, "No field named " + std::string(name));
    pending_[i] = std::move(v);
    pendingMask_ |= std::uint64_t{1} << i;
    return DbStatus::Ok();
}

DbStatus Recordset::SetField(std::string_view name, double value) {
    FieldValue v;
    v.kind = FieldValue::Kind::Real;
    v.real = value;
    return SetValue(name, std::move(v));
}

DbStatus Recordset::SetField(std::string_view name, std::string_view text) {
    FieldValue v;
    v.kind = FieldValue::Kind::Text;
    v.text.assign(text);
    return SetValue(name, std::move(v));
}

DbStatus Recordset::SetField(std::string_view name, const DateTime& value) {
    return SetField(name, std::string_view(StorageDateText(value)));
}

DbStatus Recordset::SetNull(std::string_view name) {
    return SetValue(name, FieldValue{});
}

void Recordset::CancelUpdate() {
    mode_ = EditMode::None;
    pendingMask_ = 0;
}

DbResult<sqlite3_stmt*> Recordset::WriteStatement(bool insert) {
    auto& cache = insert ? inserts_ : updates_;
    for (auto& [mask, s] : cache)
        if (mask == pendingMask_) return s;
    std::string table = Database::QuoteIdentifier(table_);
    std::string sql;
    int n = 0;
    if (insert) {
        std::string cols, vals;
        for (size_t i = 0; i < names_.size(); ++i) {
            if (!(pendingMask_ & (std::uint64_t{1} << i))) continue;
            if (n++) {
                cols += ", ";
                vals += ", ";
            }
            cols += Database::QuoteIdentifier(names_[i]);
            vals += "?" + std::to_string(n);
        }
        sql = n ? "INSERT INTO " + table + " (" + cols + ") VALUES (" + vals + ")"
                : "INSERT INTO " + table + " DEFAULT VALUES";
    } else {
        std::string sets;
        for (size_t i = 0; i < names_.size(); ++i) {
            if (!(pendingMask_ & (std::uint64_t{1} << i))) continue;
            if (n++) sets += ", ";
            sets += Database::QuoteIdentifier(names_[i]) + " = ?" + std::to_string(n);
        }
        sql = "UPDATE " + table + " SET " + sets + " WHERE rowid = ?" + std::to_string(n + 1);
    }
    sqlite3_stmt* s = nullptr;
    int rc =
        sqlite3_prepare_v3(db_->Handle(), sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr);
    if (rc != SQLITE_OK) return Fail(rc, "Cannot write to").error();
    cache.emplace_back(pendingMask_, s);
    return s;
}

DbStatus Recordset::Update() {
    if (!IsOpen() || mode_ == EditMode::None)
        return DbStatus::Fail(DbStatus::kMisuse, "Update without AddNew or Edit");
    const bool insert = mode_ == EditMode::AddNew;
    if (!insert && pendingMask_ == 0) {
        CancelUpdate();
        return DbStatus::Ok();
    }
    auto stmt = WriteStatement(insert);
    if (!stmt) {
        CancelUpdate();
        return stmt.status();
    }
    int n = 0;
    int rc = SQLITE_OK;
    for (size_t i = 0; i < names_.size() && rc == SQLITE_OK; ++i)
        if (pendingMask_ & (std::uint64_t{1} << i)) rc = BindValue(*stmt, ++n, pending_[i]);
    if (rc == SQLITE_OK && !insert) rc = sqlite3_bind_int64(*stmt, n + 1, rowid_);
    if (rc != SQLITE_OK) {
        CancelUpdate();
        return Fail(rc, "Cannot write to");
    }
    DbStatus st = db_->StepWrite(*stmt);
    if (st) {
        if (insert) {
            lastModified_ = sqlite3_last_insert_rowid(db_->Handle());
        } else {
            lastModified_ = rowid_;
            for (size_t i = 0; i < names_.size(); ++i)
                if (pendingMask_ & (std::uint64_t{1} << i)) row_[i] = pending_[i];
        }
    }
    CancelUpdate();
    return st;
}

}  // namespace qm
