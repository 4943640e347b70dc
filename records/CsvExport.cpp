#include "records/CsvExport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "records/RecordQuery.h"
#include "records/RecordValueText.h"

namespace qm {

namespace {

constexpr std::size_t kFlushBytes = 1 << 20;

void AppendCsvValue(std::string& out, double v, bool second) {
    if (v == kRecordOverload) {
        out += "OVLD";
    } else if (second && v == kRecordNoSecondValue) {
        out += ' ';
    } else {
        AppendFixed(out, v, 14);
    }
}

DbStatus FileError(int err, const std::string& path) {
    return DbStatus::Fail(err, "Cannot write " + Database::FileNameOf(path) + ": " +
                                   std::strerror(err));
}

}  // namespace

std::string CsvValueText(double v) {
    std::string s;
    AppendCsvValue(s, v, false);
    return s;
}

std::string CsvSecondValueText(double v) {
    std::string s;
    AppendCsvValue(s, v, true);
    return s;
}

std::string CsvFileNameFor(std::string_view chosen) {
    return std::string(chosen) + ".csv";
}

std::string CsvHeaderLine(std::string_view entryLabel) {
    const auto open = entryLabel.find('(');
    const std::string_view tail =
        open == std::string_view::npos ? std::string_view() : entryLabel.substr(open);
    return "Time,Value ,Value_2ND , ,DateTime : " + std::string(tail);
}

void AppendCsvLine(std::string& out, std::string_view time, double value, double second) {
    out += time;
    out += ',';
    AppendCsvValue(out, value, false);
    out += ',';
    AppendCsvValue(out, second, true);
}

CsvExport::~CsvExport() {
    Abandon();
}

DbStatus CsvExport::Begin(const std::string& recordPath, RecordFormat format,
                          const std::string& csvPath, std::string_view entryLabel) {
    Abandon();
    fileFailed_ = false;
    done_ = false;
    written_ = 0;
    total_ = 0;
    DbStatus st = OpenRecordForReading(db_, recordPath, format);
    if (!st) return st;
    {
        RowReader count;
        st = count.Open(db_, "select count(*) from read");
        if (st && count.Next()) total_ = static_cast<long long>(count.Double(0));
        if (st) st = count.status();
        if (!st) return st;
    }
    csvPath_ = csvPath;
    scratchPath_ = csvPath + ".part";
    const int fd =
        ::open(scratchPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0 || !(file_ = ::fdopen(fd, "w"))) {
        const int err = errno;
        if (fd >= 0) ::close(fd);
        fileFailed_ = true;
        db_.Close();
        return FileError(err, csvPath);
    }
    buffer_.clear();
    buffer_.reserve(kFlushBytes + 4096);
    buffer_ += CsvHeaderLine(entryLabel);
    buffer_ += '\n';
    st = rows_.Open(db_, "select read_time, read_value, read_value_2ND from read");
    more_ = st && rows_.Next();
    if (st) st = rows_.status();
    if (!st) {
        Abandon();
        return st;
    }
    done_ = !more_;
    return DbStatus::Ok();
}

DbStatus CsvExport::FlushBuffer() {
    if (!file_) return DbStatus::Fail(DbStatus::kMisuse, "The export is not open");
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
        fileFailed_ = true;
        return FileError(errno ? errno : EIO, csvPath_);
    }
    buffer_.clear();
    return DbStatus::Ok();
}

DbStatus CsvExport::Step(long long rows) {
    if (!file_) return DbStatus::Fail(DbStatus::kMisuse, "The export is not open");
    for (long long i = 0; i < rows && more_; ++i) {
        AppendCsvLine(buffer_, rows_.Text(0), rows_.Double(1), rows_.Double(2));
        buffer_ += '\n';
        ++written_;
        more_ = rows_.Next();
        if (!rows_.status()) return rows_.status();
        if (buffer_.size() >= kFlushBytes) {
            DbStatus st = FlushBuffer();
            if (!st) return st;
        }
    }
    done_ = !more_;
    return DbStatus::Ok();
}

DbStatus CsvExport::Finish() {
    DbStatus st = FlushBuffer();
    if (!st) return st;
    rows_.Close();
    db_.Close();
    std::FILE* f = file_;
    file_ = nullptr;
    // No fsync: an export can be written again, and waiting for the disk
    // would double its time; the rename still never shows a half file.
    if (std::fflush(f) != 0) {
        const int err = errno;
        std::fclose(f);
        ::unlink(scratchPath_.c_str());
        fileFailed_ = true;
        return FileError(err, csvPath_);
    }
    if (std::fclose(f) != 0 || ::rename(scratchPath_.c_str(), csvPath_.c_str()) != 0) {
        const int err = errno;
        ::unlink(scratchPath_.c_str());
        fileFailed_ = true;
        return FileError(err, csvPath_);
    }
    return DbStatus::Ok();
}

void CsvExport::Abandon() {
    more_ = false;
    rows_.Close();
    db_.Close();
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
        ::unlink(scratchPath_.c_str());
    }
    buffer_.clear();
}

DbResult<long long> ExportRecordCsv(const std::string& recordPath, RecordFormat format,
                                    const std::string& csvPath, std::string_view entryLabel,
                                    bool* fileFailed) {
    CsvExport e;
    DbStatus st = e.Begin(recordPath, format, csvPath, entryLabel);
    while (st && !e.done()) st = e.Step(100000);
    if (st) st = e.Finish();
    if (fileFailed) *fileFailed = e.FileFailed();
    if (!st) return st.error();
    return e.written();
}

}  // namespace qm
