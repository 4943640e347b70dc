// Saving cost per reading: AppendReading into a record file (one committed
// transaction per reading) against a bare SQLite insert loop with the same
// settings (WAL, synchronous=NORMAL, prepared insert, one transaction per
// row). Saving must cost little more than the bare insert.
//
// Run pinned for stable numbers:
//   taskset -c 0 ./bench_records --benchmark_repetitions=10
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "records/RecordSaving.h"

namespace {

class QuietPrompter : public qm::Prompter {
  public:
    qm::PromptAnswer message(const qm::PromptMessage& m) override {
        return m.buttons == qm::PromptButtons::YesNo ? qm::PromptAnswer::Yes : qm::PromptAnswer::Ok;
    }
};

class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qm_bench_records_XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

void BM_AppendReading(benchmark::State& state) {
    ScratchFolder folder;
    QuietPrompter prompter;
    qm::RecordSaving saving(prompter, qm::systemClock(), [&] { return folder.path(); });
    if (!saving.StartOfSavingCheck({{0, 1, "VOLT", "NONE"}}).proceed) {
        state.SkipWithError("record could not be opened");
        return;
    }
    double v = 0.0;
    for (auto _ : state) {
        if (!saving.AppendReading(0, v, qm::kRecordNoSecondValue)) {
            state.SkipWithError("append failed");
            break;
        }
        v += 0.001;
    }
    saving.StopSaving();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendReading)->Unit(benchmark::kMicrosecond);

bool Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void BM_BareInsert(benchmark::State& state) {
    ScratchFolder folder;
    const std::string path = folder.path() + "/bare.db";
    sqlite3* db = nullptr;
    sqlite3_stmt* insert = nullptr;
    bool ready =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
            SQLITE_OK &&
        sqlite3_busy_timeout(db, 2000) == SQLITE_OK && Exec(db, "PRAGMA journal_mode=WAL") &&
        Exec(db, "PRAGMA synchronous=NORMAL") &&
        Exec(db,
             "CREATE TABLE read (read_value DOUBLE, read_value_2ND DOUBLE, read_time TEXT(100), "
             "read_func TEXT(20), read_func2 TEXT(20))") &&
        sqlite3_prepare_v2(db,
                           "INSERT INTO read (read_value, read_value_2ND, read_time) "
                           "VALUES (?1, ?2, ?3)",
                           -1, &insert, nullptr) == SQLITE_OK;
    if (!ready) {
        state.SkipWithError("bare database could not be prepared");
    } else {
        double v = 0.0;
        for (auto _ : state) {
            sqlite3_bind_double(insert, 1, v);
            sqlite3_bind_double(insert, 2, qm::kRecordNoSecondValue);
            sqlite3_bind_text(insert, 3, "12:34:56:789", -1, SQLITE_STATIC);
            if (sqlite3_step(insert) != SQLITE_DONE) {
                state.SkipWithError("insert failed");
                break;
            }
            sqlite3_reset(insert);
            v += 0.001;
        }
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareInsert)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
