// The record pages on a record of a million readings:
//   RecordView   statistics and the first grid page, as selecting a record does
//   BandSearch   count, statistics and grid rows of a band holding ~10% of it
//   CsvExport    the whole record to a CSV file, against sqlite3 -csv writing
//                the same three columns of the same rows in the same run
//
// Run pinned for stable numbers:
//   taskset -c 0 ./bench_record_pages --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "RecordBenchSupport.h"
#include "platform/Prompter.h"
#include "platform/TextSource.h"
#include "records/BandSearch.h"
#include "records/CsvExport.h"
#include "records/RecordViewer.h"

namespace {

using qm::bench::GeneratedRecord;

class QuietPrompter : public qm::Prompter {
  public:
    qm::PromptAnswer message(const qm::PromptMessage&) override { return qm::PromptAnswer::Ok; }
};

void BM_RecordViewSelect(benchmark::State& state) {
    GeneratedRecord& record = GeneratedRecord::Instance();
    if (!record.ok()) return state.SkipWithError("record could not be generated");
    QuietPrompter prompter;
    qm::EnglishTexts texts;
    qm::RecordViewer viewer(prompter, texts);
    viewer.InitialiseIn(record.folder());
    for (auto _ : state) {
        if (!viewer.SelectRecord(0) || viewer.rows().size() != 10000)
            return state.SkipWithError("selecting failed");
    }
}
BENCHMARK(BM_RecordViewSelect)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BandSearch(benchmark::State& state) {
    GeneratedRecord& record = GeneratedRecord::Instance();
    if (!record.ok()) return state.SkipWithError("record could not be generated");
    for (auto _ : state) {
        qm::Database db;
        if (!qm::OpenRecordForReading(db, record.path(), qm::RecordFormat::Current))
            return state.SkipWithError("open failed");
        auto m = qm::FindBandMatches(db, {0.5, 0.1});
        if (!m || m->count == 0) return state.SkipWithError("search failed");
        benchmark::DoNotOptimize(m->statistics.average);
    }
}
BENCHMARK(BM_BandSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CsvExport(benchmark::State& state) {
    GeneratedRecord& record = GeneratedRecord::Instance();
    if (!record.ok()) return state.SkipWithError("record could not be generated");
    const std::string out = record.folder() + "/export.csv";
    for (auto _ : state) {
        auto n = qm::ExportRecordCsv(record.path(), qm::RecordFormat::Current, out,
                                     "Record 1            ( 24 / 05 / 06 -- 07 : 08 : 09 )");
        if (!n || *n != GeneratedRecord::kReadings) return state.SkipWithError("export failed");
    }
}
BENCHMARK(BM_CsvExport)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Sqlite3CliCsv(benchmark::State& state) {
    GeneratedRecord& record = GeneratedRecord::Instance();
    if (!record.ok()) return state.SkipWithError("record could not be generated");
    const std::string command = "sqlite3 -csv '" + record.path() +
                                "' 'select read_time, read_value, read_value_2ND from read' > '" +
                                record.folder() + "/sqlite3.csv'";
    if (std::system("sqlite3 -version > /dev/null 2>&1") != 0)
        return state.SkipWithError("sqlite3 is not installed");
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) return state.SkipWithError("sqlite3 failed");
    }
}
BENCHMARK(BM_Sqlite3CliCsv)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace


BENCHMARK_MAIN();
