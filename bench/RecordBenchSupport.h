#pragma once
// A generated record of a million readings for the record-page benchmarks:
// a current-format file made by the program itself, filled in one
// transaction with a slow sine (first value) and the no-second-value
// marker, with a time stamp per reading.
#include <sqlite3.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "records/RecordStore.h"

namespace qm::bench {

class GeneratedRecord {
  public:
    static constexpr long long kReadings = 1000000;

    GeneratedRecord() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qm_bench_pages_XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        path_ = RecordFilePath(folder_, 1, RecordFormat::Current);
        if (!CreateRecordFile(path_, RecordLayout::MainWindow)) {
            path_.clear();
            return;
        }
        sqlite3* db = nullptr;
        sqlite3_stmt* insert = nullptr;
        bool ok = sqlite3_open(path_.c_str(), &db) == SQLITE_OK &&
                  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
                  sqlite3_exec(db, "INSERT INTO read_date (r_date) VALUES ('2024-05-06 07:08:09')",
                               nullptr, nullptr, nullptr) == SQLITE_OK &&
                  sqlite3_exec(db,
                               "INSERT INTO read_function (r_function1, r_function2) "
                               "VALUES ('DCV', 'NONE')",
                               nullptr, nullptr, nullptr) == SQLITE_OK &&
                  sqlite3_prepare_v2(db,
                                     "INSERT INTO read (read_value, read_value_2ND, read_time) "
                                     "VALUES (?1, ?2, ?3)",
                                     -1, &insert, nullptr) == SQLITE_OK;
        char time[32];
        for (long long i = 0; ok && i < kReadings; ++i) {
            std::snprintf(time, sizeof time, "%02lld:%02lld:%02lld:%03lld", (i / 3600000) % 24,
                          (i / 60000) % 60, (i / 1000) % 60, i % 1000);
            sqlite3_bind_double(insert, 1, 1.5 * std::sin(static_cast<double>(i) * 0.001));
            sqlite3_bind_double(insert, 2, kRecordNoSecondValue);
            sqlite3_bind_text(insert, 3, time, -1, SQLITE_TRANSIENT);
            ok = sqlite3_step(insert) == SQLITE_DONE;
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        if (!ok) path_.clear();
    }
    ~GeneratedRecord() {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    GeneratedRecord(const GeneratedRecord&) = delete;
    GeneratedRecord& operator=(const GeneratedRecord&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& folder() const { return folder_; }
    const std::string& path() const { return path_; }

    // One per benchmark program.
    static GeneratedRecord& Instance() {
        static GeneratedRecord record;
        return record;
    }

  private:
    std::string folder_;
    std::string path_;
};

}  // namespace qm::bench
