// The round trip of Query("read?\n"): to an in-process simulated meter, over
// TCP to qm_sim on loopback, and — the floor on this machine — a bare
// blocking-socket write/read loop against the same qm_sim. Run pinned to one
// core (taskset -c 0) so that client and server share it.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "app/ReadingLoop.h"
#include "instrument/Discovery.h"
#include "instrument/SessionTable.h"
#include "platform/Clock.h"
#include "bench/BenchLanMeter.h"
#include "visa/visa_ext.h"

namespace {

using qm::bench::Lan;

void BM_QueryInProcess(benchmark::State& state) {
    qm::ManualClock clock;
    qm::visa::resetForTests();
    qm::visa::setSimulationClock(clock);
    qm::visa::useBuiltinSimulatedTable();
    qm::SessionTable sessions;
    qm::DiscoverInstruments(sessions);
    for (auto _ : state) benchmark::DoNotOptimize(sessions.Query(0, "read?\n"));
    sessions.CloseAll();
    qm::visa::resetForTests();
}
BENCHMARK(BM_QueryInProcess);

void BM_QueryTcp(benchmark::State& state) {
    const int port = Lan().port;
    qm::visa::resetForTests();
    const auto r = qm::visa::useResourceTableText(
        "[USB0::0x1209::0x4101::SN000090::INSTR]\nbackend=tcp\nhost=127.0.0.1\nport=" +
        std::to_string(port) + "\n");
    qm::SessionTable sessions;
    if (!r.ok || qm::DiscoverInstruments(sessions).devices.empty()) {
        state.SkipWithError("qm_sim not reachable");
        return;
    }
    // drop_unasked=1: what the live loop adds on a line-ended link, where it
    // drops a stray line of the last answer before asking for a reading.
    const bool dropUnasked = state.range(0) != 0;
    for (auto _ : state) {
        if (dropUnasked) qm::DropUnaskedAnswers(sessions.slotSession(0));
        benchmark::DoNotOptimize(sessions.Query(0, "read?\n"));
    }
    sessions.CloseAll();
    qm::visa::resetForTests();
}
BENCHMARK(BM_QueryTcp)->ArgName("drop_unasked")->Arg(0)->Arg(1);

void BM_BareSocketFloor(benchmark::State& state) {
    const int port = Lan().port;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        state.SkipWithError("qm_sim not reachable");
        close(fd);
        return;
    }
    char buf[1024];
    for (auto _ : state) {
        if (send(fd, "read?\n", 6, 0) != 6) break;
        for (;;) {  // one answer line
            const ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0 || buf[n - 1] == '\n') break;
        }
    }
    close(fd);
}
BENCHMARK(BM_BareSocketFloor);

}  // namespace

BENCHMARK_MAIN();
