#include "records/Database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "records/Recordset.h"

namespace qm {

namespace {

DbError ErrnoError(int err, const std::string& path, std::string_view what) {
    return DbError{
        err, std::string(what) + " " + Database::FileNameOf(path) + ": " + std::strerror(err)};
}

const char* SqlType(DaoType t) {
    switch (t) {
        case DaoType::Double:
            return "DOUBLE";
        case DaoType::DateTime:
            return "DATETIME";
        case DaoType::Text:
            return "TEXT";
    }
    return "TEXT";
}

DbStatus BindParam(sqlite3_stmt* stmt, int index, const SqlParam& p) {
    int rc = SQLITE_OK;
    if (std::holds_alternative<long long>(p)) {
        rc = sqlite3_bind_int64(stmt, index, std::get<long long>(p));
    } else if (std::holds_alternative<double>(p)) {
        rc = sqlite3_bind_double(stmt, index, std::get<double>(p));
    } else if (std::holds_alternative<std::string>(p)) {
        const auto& s = std::get<std::string>(p);
        rc = sqlite3_bind_text(stmt, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    } else {
        rc = sqlite3_bind_null(stmt, index);
    }
    if (rc != SQLITE_OK) return DbStatus::Fail(rc, sqlite3_errstr(rc));
    return DbStatus::Ok();
}

}  // namespace

Database::~Database() {
    Close();
}

std::string Database::QuoteIdentifier(std::string_view name) {
    std::string q = "\"";
    for (char c : name) {
        if (c == '"') q += '"';
        q += c;
    }
    q += '"';
    return q;
}

std::string Database::FileNameOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

DbError Database::ErrorOf(int rc, std::string_view what) const {
    std::string msg = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    return DbError{rc, std::string(what) + " " + FileNameOf(path_) + ": " + msg};
}

DbStatus Database::Configure() {
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    // Connection setting only; nothing is written to the file.
    return Execute("PRAGMA synchronous=NORMAL");
}

DbStatus Database::Create(const std::string& path) {
    Close();
    // O_EXCL: a file of that name, whatever it holds, is never replaced.
    int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) return DbStatus::Fail(ErrnoError(errno, path, "Cannot create"));
    ::close(fd);
    path_ = path;
    int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                             nullptr);
    DbStatus st = rc == SQLITE_OK ? Configure() : DbStatus::Fail(ErrorOf(rc, "Cannot create"));
    if (st) st = UseWriteAheadLog();
    if (!st) {
        Close();
        ::unlink(path.c_str());  // only the empty file made just above
    }
    return st;
}

namespace {

// A path as an SQLite file URI: everything but unreserved characters and
// the folder separator percent-encoded, so that no name can add options.
std::string FileUri(const std::string& path) {
    static const char* kHex = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}

}  // namespace

DbStatus Database::Open(const std::string& path) {
    return OpenFile(path, false);
}

DbStatus Database::OpenReadOnly(const std::string& path) {
    return OpenFile(path, true);
}

DbStatus Database::OpenFile(const std::string& path, bool readOnly) {
    Close();
    struct stat sb {};
    // lstat: a symbolic link is not followed to whatever file it names.
    if (::lstat(path.c_str(), &sb) != 0)
        return DbStatus::Fail(ErrnoError(errno, path, "Cannot open"));
    const std::string name = FileNameOf(path);
    if (S_ISLNK(sb.st_mode))
        return DbStatus::Fail(SQLITE_NOTADB,
                              "Cannot open " + name + ": it is a symbolic link, not a regular file");
    if (!S_ISREG(sb.st_mode))
        return DbStatus::Fail(SQLITE_NOTADB, "Cannot open " + name + ": not a regular file");
    // SQLite would take an empty file for an empty database and write into
    // it; an empty file is nothing this program made.
    if (sb.st_size == 0)
        return DbStatus::Fail(SQLITE_NOTADB, "Cannot open " + name + ": the file is empty");
    path_ = path;
    readOnly_ = readOnly;
    int flags = SQLITE_OPEN_NOFOLLOW;
    std::string target = path;
    if (!readOnly) {
        flags |= SQLITE_OPEN_READWRITE;
    } else {
        flags |= SQLITE_OPEN_READONLY;
        // Without a log beside it the file holds every committed row. Read
        // as immutable, SQLite creates no -wal and -shm files for it, which
        // a read-only connection could never remove again.
        struct stat wal {};
        if (::lstat((path + "-wal").c_str(), &wal) != 0) {
            flags |= SQLITE_OPEN_URI;
            target = FileUri(path) + "?immutable=1";
        }
    }
    int rc = sqlite3_open_v2(target.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        DbStatus st = DbStatus::Fail(ErrorOf(rc, "Cannot open"));
        Close();
        return st;
    }
    // A write-protected file opens read-only without a word; its log and
    // shared-memory files would then stay behind. Say so instead.
    if (!readOnly && sqlite3_db_readonly(db_, "main") == 1) {
        Close();
        return DbStatus::Fail(SQLITE_READONLY, "Cannot write to " + name + ": the file is read-only");
    }
    // Reading the schema makes SQLite look at the file header: anything that
    // is not a database fails here, before anything could be written.
    DbStatus st;
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v2(db_, "SELECT count(*) FROM sqlite_master", -1, &stmt, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(stmt);
    if (rc != SQLITE_ROW) st = DbStatus::Fail(ErrorOf(rc, "Cannot read"));
    sqlite3_finalize(stmt);
    if (st) st = Configure();
    if (!st) {
        DbStatus failed = DbStatus::Fail(st.code(), st.message());
        Close();
        return failed;
    }
    return DbStatus::Ok();
}

void Database::Close() {
    auto cursors = cursors_;
    for (Recordset* r : cursors) r->Detach();
    cursors_.clear();
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    readOnly_ = false;
}

void Database::Register(Recordset* r) {
    cursors_.push_back(r);
}

void Database::Unregister(Recordset* r) {
    cursors_.erase(std::remove(cursors_.begin(), cursors_.end(), r), cursors_.end());
}

void Database::SuspendCursors() {
    for (Recordset* r : cursors_) r->Suspend();
}

DbStatus Database::StepWrite(sqlite3_stmt* stmt) {
    // A cursor left half-way holds a read snapshot; had another connection
    // written since, this write could not start (SQLITE_BUSY_SNAPSHOT, which
    // no busy timeout cures). Our cursors let go first and resume by key.
    SuspendCursors();
    int rc = sqlite3_step(stmt);
    while (rc == SQLITE_ROW) rc = sqlite3_step(stmt);
    DbError err;
    if (rc != SQLITE_DONE) err = ErrorOf(rc, "Cannot write to");
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE) return DbStatus::Fail(std::move(err));
    return DbStatus::Ok();
}

DbStatus Database::Execute(std::string_view sql, const std::vector<SqlParam>& params) {
    if (!db_) return DbStatus::Fail(DbStatus::kMisuse, "The database is not open");
    const char* tail = sql.data();
    const char* end = sql.data() + sql.size();
    bool first = true;
    while (tail < end) {
        sqlite3_stmt* stmt = nullptr;
        const char* next = nullptr;
        int rc = sqlite3_prepare_v2(db_, tail, static_cast<int>(end - tail), &stmt, &next);
        if (rc != SQLITE_OK) return DbStatus::Fail(ErrorOf(rc, "Cannot run a statement on"));
        tail = next;
        if (!stmt) continue;  // blank or comment
        if (first) {
            for (size_t i = 0; i < params.size(); ++i) {
                DbStatus b = BindParam(stmt, static_cast<int>(i + 1), params[i]);
                if (!b) {
                    sqlite3_finalize(stmt);
                    return b;
                }
            }
        }
        first = false;
        DbStatus st = StepWrite(stmt);
        sqlite3_finalize(stmt);
        if (!st) return st;
    }
    return DbStatus::Ok();
}

DbStatus Database::CreateTable(std::string_view table, const std::vector<FieldDef>& fields) {
    std::string sql = "CREATE TABLE " + QuoteIdentifier(table) + " (";
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) sql += ", ";
        sql += QuoteIdentifier(fields[i].name);
        sql += ' ';
        sql += SqlType(fields[i].type);
        if (fields[i].type == DaoType::Text && fields[i].size > 0)
            sql += "(" + std::to_string(fields[i].size) + ")";
    }
    sql += ")";
    return Execute(sql);
}

DbResult<std::vector<std::string>> Database::TableColumns(std::string_view table) {
    if (!db_) return DbError{DbStatus::kMisuse, "The database is not open"};
    std::string sql = "PRAGMA table_info(" + QuoteIdentifier(table) + ")";
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr);
    if (rc != SQLITE_OK) return ErrorOf(rc, "Cannot read the tables of");
    std::vector<std::string> names;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const unsigned char* n = sqlite3_column_text(stmt, 1);
        names.emplace_back(n ? reinterpret_cast<const char*>(n) : "");
    }
    DbError err = rc == SQLITE_DONE ? DbError{} : ErrorOf(rc, "Cannot read the tables of");
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) return err;
    return names;
}

DbResult<std::string> Database::IntegrityCheck() {
    if (!db_) return DbError{DbStatus::kMisuse, "The database is not open"};
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, "PRAGMA integrity_check", -1, &stmt, nullptr);
    if (rc != SQLITE_OK) return ErrorOf(rc, "Cannot check");
    std::string result;
    rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
        const unsigned char* t = sqlite3_column_text(stmt, 0);
        result = t ? reinterpret_cast<const char*>(t) : "";
    }
    DbError err = (rc == SQLITE_ROW || rc == SQLITE_DONE) ? DbError{} : ErrorOf(rc, "Cannot check");
    sqlite3_finalize(stmt);
    if (!(rc == SQLITE_ROW || rc == SQLITE_DONE)) return err;
    return result;
}

DbStatus Database::UseWriteAheadLog() {
    if (!db_) return DbStatus::Fail(DbStatus::kMisuse, "The database is not open");
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, "PRAGMA journal_mode=WAL", -1, &stmt, nullptr);
    if (rc != SQLITE_OK) return DbStatus::Fail(ErrorOf(rc, "Cannot set the journal of"));
    SuspendCursors();
    rc = sqlite3_step(stmt);
    std::string mode;
    if (rc == SQLITE_ROW) {
        const unsigned char* t = sqlite3_column_text(stmt, 0);
        mode = t ? reinterpret_cast<const char*>(t) : "";
    }
    DbError err = rc == SQLITE_ROW ? DbError{} : ErrorOf(rc, "Cannot set the journal of");
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW) return DbStatus::Fail(std::move(err));
    if (mode != "wal")
        return DbStatus::Fail(SQLITE_ERROR, "Cannot use write-ahead logging on " +
                                                FileNameOf(path_) + " (journal mode " + mode + ")");
    return DbStatus::Ok();
}

DbStatus Database::Checkpoint() {
    if (!db_) return DbStatus::Fail(DbStatus::kMisuse, "The database is not open");
    SuspendCursors();
    int logFrames = 0, copied = 0;
    const int rc =
        sqlite3_wal_checkpoint_v2(db_, "main", SQLITE_CHECKPOINT_TRUNCATE, &logFrames, &copied);
    if (rc != SQLITE_OK) return DbStatus::Fail(ErrorOf(rc, "Cannot write to"));
    return DbStatus::Ok();
}

DbStatus Database::BeginTransaction() {
    return Execute("BEGIN IMMEDIATE");
}

DbStatus Database::Commit() {
    return Execute("COMMIT");
}

void Database::Rollback() {
    if (db_ && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

}  // namespace qm
