#pragma once
// Writing a record to a comma-separated text file:
//   line 1   "Time,Value ,Value_2ND , ,DateTime : <entry text from its first '('>"
//   line 2…  read_time "," value "," second value, one line per reading
// The file name the user chose always gets ".csv" appended. The lines go
// to a scratch file beside it, which replaces the chosen file only when
// every line is written: a failed or stopped export leaves an earlier file
// of that name as it was. The export runs in steps so that a page can show
// progress and stay responsive; the record is only read.
#include <cstdio>
#include <string>
#include <string_view>

#include "records/Database.h"
#include "records/DbResult.h"
#include "records/RecordStore.h"
#include "records/RowReader.h"

namespace qm {

inline constexpr std::string_view kCsvFilter = "CSV Files(*.CSV)|*.CSV||";
inline constexpr std::string_view kSaveAsErrorText = "Save As Error.";
inline constexpr std::string_view kSaveAsErrorCaption = "Error";
inline constexpr std::string_view kCsvCompletedText = "Output to CSV completed.";

// The chosen name with ".csv" appended, always.
std::string CsvFileNameFor(std::string_view chosen);
// Line 1 for a record list entry.
std::string CsvHeaderLine(std::string_view entryLabel);
// One reading line, without its line end, appended to `out`.
void AppendCsvLine(std::string& out, std::string_view time, double value, double second);

class CsvExport {
  public:
    CsvExport() = default;
    ~CsvExport();
    CsvExport(const CsvExport&) = delete;
    CsvExport& operator=(const CsvExport&) = delete;

    // Opens the record and the scratch file and writes line 1. A record
    // that cannot be read fails with its message; a file that cannot be
    // created fails with an errno code (the caller says "Save As Error.").
    DbStatus Begin(const std::string& recordPath, RecordFormat format, const std::string& csvPath,
                   std::string_view entryLabel);
    bool FileFailed() const { return fileFailed_; }
    // Writes up to `rows` more readings; done() once the last is written.
    DbStatus Step(long long rows);
    bool done() const { return done_; }
    long long written() const { return written_; }
    // Readings of the record (known after Begin), for the progress bar.
    long long total() const { return total_; }
    // Puts the finished file in place of the chosen one.
    DbStatus Finish();
    // Drops the scratch file; the chosen file is left as it was.
    void Abandon();

  private:
    DbStatus FlushBuffer();

    Database db_;
    RowReader rows_;
    bool more_ = false;  // rows_ stands on a row not yet written
    std::FILE* file_ = nullptr;
    std::string csvPath_, scratchPath_;
    std::string buffer_;
    long long written_ = 0;
    long long total_ = 0;
    bool done_ = false;
    bool fileFailed_ = false;
};

// The whole export in one call (qmcli, tests): returns the readings written.
DbResult<long long> ExportRecordCsv(const std::string& recordPath, RecordFormat format,
                                    const std::string& csvPath, std::string_view entryLabel,
                                    bool* fileFailed = nullptr);

}  // namespace qm
