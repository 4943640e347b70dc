// The link engine's cost per logged reading.
//
// Live Calc: 10,000 readings (argument: chart kind 0 none, 2 strip chart) into a headless office over
// UNO, the meter simulated in-process at no cost, the engine's timer never
// waited for (its clock jumps to the next tick) while the chart's 100 ms
// limit still sees real time. Counters: microseconds per reading over the
// whole run, over its first and its last thousand. Run it under
// `taskset -c 0` to pin the office to the client's core (the office inherits
// the affinity) and without to let it run anywhere.
//
// .xlsx: 1,000,000 readings (time stamp, value, second value, and the F4/F6
// counters each time) through the .xlsx backend, against a bare libxlsxwriter
// loop writing the same cells in the same run; resident memory at 100,000
// and at 1,000,000 readings.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>

#include "link/Application.h"
#include "platform/Clock.h"
#include "sheet/XlsxWorkbook.h"
#include "visa/visa.h"
#include "visa/visa_ext.h"

#ifdef QM_HAVE_CALC
#include "sheet/CalcOffice.h"
#endif

namespace {

using namespace std::chrono;

class SilentPrompter : public qm::Prompter {
  public:
    qm::PromptAnswer message(const qm::PromptMessage& m) override {
        std::fprintf(stderr, "engine: %s\n", m.text.c_str());
        return qm::PromptAnswer::No;
    }
};

// Real time that can be skipped ahead: waiting for a timer costs nothing,
// everything else takes as long as it really does.
class JumpClock final : public qm::Clock {
  public:
    SteadyPoint now() const override { return steady_clock::now() + skipped_; }
    WallPoint wallNow() const override {
        return system_clock::now() + duration_cast<system_clock::duration>(skipped_);
    }
    void sleepFor(nanoseconds d) override { skipped_ += d; }

  private:
    nanoseconds skipped_{0};
};

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// CPU time (user + system) of a process so far, in microseconds.
double ProcessCpuMicros(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) fields >> skip;  // state .. cmajflt
    double utime = 0, stime = 0;
    fields >> utime >> stime;
    return (utime + stime) * 1e6 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string Scratch(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

#ifdef QM_HAVE_CALC
// A headless office with a throw-away profile, inheriting this process's CPU affinity.
qm::sheet::SheetResult<std::shared_ptr<qm::sheet::CalcOffice>> StartBenchOffice() {
    char profile[] = "/tmp/qm-bench-office-XXXXXX";
    qm::sheet::CalcStartOptions options;
    options.profileDir = mkdtemp(profile);
    return qm::sheet::CalcOffice::Start(options);
}

void BM_CalcLogging10k(benchmark::State& state) {
    qm::ManualClock simClock;
    qm::visa::resetForTests();
    qm::visa::setSimulationClock(simClock);
    qm::visa::useResourceTableText(
        "[USB0::0x1209::0x4101::SN000001::INSTR]\nbackend=sim\nmodel=TX42\nserial=SN000001\n");
    auto office = StartBenchOffice();
    if (!office) {
        state.SkipWithError(office.description().c_str());
        return;
    }
    const int kReadings = std::getenv("QM_BENCH_READINGS") ? std::atoi(std::getenv("QM_BENCH_READINGS")) : 10000;
    double first = 0, last = 0, whole = 0, officeCpu = 0, clientCpu = 0;
    for (auto _ : state) {
        auto doc = office.value()->NewDocument(true).value();
        auto sheet = doc->Sheet(0).value();
        const qm::sheet::CellWrite f8{{8, 6}, 50.0};
        (void)sheet->WriteCells({&f8, 1});
        JumpClock clock;
        SilentPrompter prompter;
        qm::link::Application app(prompter, clock);
        app.FindDevice();
        app.GetIDN(0);
        app.wkSesn = app.m_IDNSesn;
        app.SetApp(doc);
        app.SetSheet(sheet);
        std::int16_t kind = static_cast<std::int16_t>(state.range(0));
        bool inSheet = true;
        app.AddChart(kind, inSheet);
        app.SetNumberOfReading(kReadings);
        app.SetBegin(1);
        app.SetTerimnatingUpon(1);
        std::int32_t interval = 10;
        app.StartTimer(interval);
        const double officeBefore = ProcessCpuMicros(office.value()->pid());
        const double clientBefore = ProcessCpuMicros(getpid());
        auto start = steady_clock::now(), blockStart = start;
        int done = 0;
        while (app.LoggingActive()) {
            if (auto wait = app.NextTickIn(); wait && wait->count() > 0) clock.sleepFor(*wait);
            app.Tick();
            if (app.ReadingsLogged() != done) {
                done = app.ReadingsLogged();
                if (done == 1000) first = duration<double, std::micro>(steady_clock::now() - start).count() / 1000;
                if (done == kReadings - 1000) blockStart = steady_clock::now();
            }
        }
        const auto end = steady_clock::now();
        officeCpu = (ProcessCpuMicros(office.value()->pid()) - officeBefore) / kReadings;
        clientCpu = (ProcessCpuMicros(getpid()) - clientBefore) / kReadings;
        last = duration<double, std::micro>(end - blockStart).count() / 1000;
        whole = duration<double, std::micro>(end - start).count() / kReadings;
        if (app.ReadingsLogged() != kReadings) state.SkipWithError("the run stopped early");
        (void)doc->Close();
    }
    state.counters["us_per_reading"] = whole;
    state.counters["first_1000_us"] = first;
    state.counters["last_1000_us"] = last;
    state.counters["office_cpu_us"] = officeCpu;
    state.counters["client_cpu_us"] = clientCpu;
    office.value()->Shutdown();
    qm::visa::resetForTests();
}
BENCHMARK(BM_CalcLogging10k)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// One backend operation in a loop, to see what it costs by itself.
void BM_CalcOperation(benchmark::State& state) {
    auto office = StartBenchOffice();
    if (!office) {
        state.SkipWithError(office.description().c_str());
        return;
    }
    auto doc = office.value()->NewDocument(true).value();
    auto sheet = doc->Sheet(0).value();
    int row = 2;
    qm::sheet::CellValue values[3];
    values[0].emplace<std::string>("12:34:56:789");
    values[1].emplace<double>(1.25);
    values[2].emplace<double>(0.5);
    qm::sheet::CellWrite counters[2];
    counters[0].cell = {4, 6};
    counters[1].cell = {6, 6};
    for (auto _ : state) {
        switch (state.range(0)) {
            case 0:
                (void)sheet->WriteRow(row++, values);
                break;
            case 1:
                counters[0].value.emplace<double>(row);
                counters[1].value.emplace<double>(row++);
                (void)sheet->WriteCells(counters);
                break;
            case 2:
                (void)doc->SetStatusBar(row++ % 2 ? "Reading..." : "Ready");
                break;
        }
    }
    (void)doc->Close();
    office.value()->Shutdown();
}
BENCHMARK(BM_CalcOperation)->Arg(0)->Arg(1)->Arg(2)->Iterations(1000)->Unit(benchmark::kMicrosecond);
#endif

constexpr int kXlsxReadings = 1000000;

void BM_XlsxBackend1M(benchmark::State& state) {
    const std::string path = Scratch("qm-bench-backend.xlsx");
    long rss100k = 0, rss1m = 0;
    for (auto _ : state) {
        auto book = qm::sheet::XlsxWorkbook::Create(path);
        auto sheet = book->AddSheet("Sheet1");
        qm::sheet::CellValue row[3];
        qm::sheet::CellWrite counters[2];
        counters[0].cell = {4, 6};
        counters[1].cell = {6, 6};
        for (int i = 0; i < kXlsxReadings; ++i) {
            row[0].emplace<std::string>("12:34:56:789");
            row[1].emplace<double>(1.25 + i * 1e-6);
            row[2].emplace<double>(0.5);
            (void)sheet->WriteRow(i + 2, row);
            counters[0].value.emplace<double>(i + 1);
            counters[1].value.emplace<double>(i + 1);
            (void)sheet->WriteCells(counters);
            if (i == 100000) rss100k = ResidentKiB();
        }
        rss1m = ResidentKiB();
        if (!sheet->Release()) state.SkipWithError("the workbook was not written");
    }
    state.counters["rss_kib_at_100k"] = static_cast<double>(rss100k);
    state.counters["rss_kib_at_1m"] = static_cast<double>(rss1m);
    std::filesystem::remove(path);
}
BENCHMARK(BM_XlsxBackend1M)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

void BM_XlsxBareLoop1M(benchmark::State& state) {
    const std::string path = Scratch("qm-bench-bare.xlsx");
    for (auto _ : state) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Sheet1");
        worksheet_write_number(ws, 3, 5, kXlsxReadings, nullptr);
        worksheet_write_number(ws, 5, 5, kXlsxReadings, nullptr);
        for (int i = 0; i < kXlsxReadings; ++i) {
            const lxw_row_t r = static_cast<lxw_row_t>(i + 1);
            worksheet_write_string(ws, r, 0, "12:34:56:789", nullptr);
            worksheet_write_number(ws, r, 1, 1.25 + i * 1e-6, nullptr);
            worksheet_write_number(ws, r, 2, 0.5, nullptr);
        }
        workbook_close(wb);
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_XlsxBareLoop1M)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

}  // namespace


BENCHMARK_MAIN();
