#pragma once
// Errors of the record layer are values: a DbStatus for operations that only
// succeed or fail, a DbResult<T> for operations that produce something. The
// code is the SQLite result code when SQLite reported the failure, an errno
// value for file-system failures, or kMisuse for a call the state forbids.
#include <string>
#include <utility>
#include <variant>

namespace qm {

struct DbError {
    int code = 0;
    std::string message;
};

class [[nodiscard]] DbStatus {
  public:
    static constexpr int kMisuse = -1;

    DbStatus() = default;
    static DbStatus Ok() { return DbStatus(); }
    static DbStatus Fail(int code, std::string message) {
        DbStatus s;
        s.ok_ = false;
        s.error_ = DbError{code, std::move(message)};
        return s;
    }
    static DbStatus Fail(DbError e) { return Fail(e.code, std::move(e.message)); }

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    int code() const { return error_.code; }
    const std::string& message() const { return error_.message; }
    const DbError& error() const { return error_; }

  private:
    bool ok_ = true;
    DbError error_;
};

template <class T>
class [[nodiscard]] DbResult {
  public:
    DbResult(T value) : v_(std::move(value)) {}
    DbResult(DbError error) : v_(std::move(error)) {}
    DbResult(const DbStatus& failed) : v_(failed.error()) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return std::get<0>(v_); }
    T& value() & { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }
    T value_or(T fallback) const { return ok() ? std::get<0>(v_) : std::move(fallback); }
    const DbError& error() const {
        static const DbError none;
        return ok() ? none : std::get<1>(v_);
    }
    DbStatus status() const { return ok() ? DbStatus::Ok() : DbStatus::Fail(std::get<1>(v_)); }

  private:
    std::variant<T, DbError> v_;
};

}  // namespace qm
