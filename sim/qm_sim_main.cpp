// qm_sim: one simulated meter served over TCP for tests and demonstrations.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "sim/MeterModels.h"
#include "sim/SimServer.h"

namespace {

qm::sim::SimServer* g_server = nullptr;

extern "C" void onSignal(int) {
    if (g_server) g_server->stop();
}

constexpr const char* kUsage =
    "usage: qm_sim [--listen HOST:PORT] [--model TX41|TX42|QMTX42] [--serial SN]\n"
    "              [--identity TEXT] [--value V] [--value2 V] [--noise N] [--seed N]\n"
    "              [--delay-ms D] [--drop-after N] [--garbage] [--long-answer]\n"
    "              [--no-answer] [--empty-identity] [--any-address] [--port-file FILE]\n"
    "              [--max-clients N] [--trigger-after-ms D]\n"
    "Serves one simulated meter to up to N clients at once (default 16; one more\n"
    "is closed at once); PORT 0 picks a free port. Only loopback addresses are\n"
    "allowed unless --any-address is given. --trigger-after-ms pulses the\n"
    "external trigger input D ms after INIT arms the meter.\n";

bool toDouble(const char* text, double& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && errno == 0;
}

bool toLong(const char* text, long& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && errno == 0;
}

int usageError(const char* what, const char* arg) {
    std::fprintf(stderr, "qm_sim: %s%s%s\n%s", what, arg ? ": " : "", arg ? arg : "", kUsage);
    return 2;
}

// Written under a temporary name first so that a reader never sees half a port.
bool writePortFile(const std::string& path, unsigned port) {
    const std::string tmp = path + ".tmp";
    std::FILE* out = std::fopen(tmp.c_str(), "we");  // 'e': close-on-exec
    if (!out) return false;
    const bool written = std::fprintf(out, "%u\n", port) > 0;
    if (std::fclose(out) != 0 || !written) return false;
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    return !ec;
}

}  // namespace

int main(int argc, char** argv) {
    qm::sim::ServerOptions options;
    options.meter.model = "TX42";
    options.meter.serial = "SN000001";
    std::string listen = "127.0.0.1:5025";
    std::string portFile;
    bool anyAddress = false;

    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&]() { return argv[++i]; };
        double d = 0;
        long n = 0;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--garbage") {
            options.meter.faults.garbage = true;
        } else if (a == "--long-answer") {
            options.meter.faults.longAnswer = true;
        } else if (a == "--no-answer") {
            options.meter.faults.noAnswer = true;
        } else if (a == "--empty-identity") {
            options.meter.faults.emptyIdentity = true;
        } else if (a == "--any-address") {
            anyAddress = true;
        } else if (!hasValue) {
            return usageError("unknown option or missing value", argv[i]);
        } else if (a == "--listen") {
            listen = value();
        } else if (a == "--model") {
            options.meter.model = value();
            if (!qm::sim::findModel(options.meter.model))
                return usageError("unknown model", options.meter.model.c_str());
        } else if (a == "--serial") {
            options.meter.serial = value();
        } else if (a == "--identity") {
            options.meter.identity = std::string(value());
        } else if (a == "--port-file") {
            portFile = value();
        } else if (a == "--value" || a == "--value2" || a == "--noise") {
            const char* v = value();
            if (!toDouble(v, d)) return usageError("not a number", v);
            if (a == "--value")
                options.meter.value = d;
            else if (a == "--value2")
                options.meter.value2 = d;
            else
                options.meter.noise = d;
        } else if (a == "--trigger-after-ms") {
            const char* v = value();
            if (!toLong(v, n) || n < 0 || n > 100000000) return usageError("not a count", v);
            options.meter.triggerAfter = std::chrono::milliseconds(n);
        } else if (a == "--delay-ms" || a == "--drop-after" || a == "--seed" ||
                   a == "--max-clients") {
            const char* v = value();
            if (!toLong(v, n) || n < 0 || n > 100000000) return usageError("not a count", v);
            if (a == "--max-clients") {
                if (n < 1 || n > 1000) return usageError("--max-clients takes 1 to 1000", v);
                options.maxClients = static_cast<int>(n);
            } else if (a == "--delay-ms")
                options.meter.faults.answerDelay = std::chrono::milliseconds(n);
            else if (a == "--drop-after")
                options.meter.faults.dropAfterMessages = static_cast<int>(n);
            else
                options.meter.seed = static_cast<unsigned>(n);
        } else {
            return usageError("unknown option", argv[i]);
        }
    }

    if (!qm::sim::parseListenAddress(listen, options.host, options.port))
        return usageError("bad --listen address (HOST:PORT)", listen.c_str());
    if (!anyAddress && !qm::sim::isLoopbackHost(options.host)) {
        std::fprintf(stderr,
                     "qm_sim: refusing to listen on %s: not a loopback address "
                     "(127.0.0.0/8, ::1, localhost); pass --any-address to allow it\n",
                     options.host.c_str());
        return 2;
    }

    options.log = [](const std::string& text) { std::fprintf(stderr, "qm_sim: %s\n", text.c_str()); };
    qm::sim::SimServer server(options);
    if (const auto error = server.listen()) {
        std::fprintf(stderr, "qm_sim: %s\n", error->c_str());
        return 1;
    }
    if (!portFile.empty() && !writePortFile(portFile, server.port())) {
        std::fprintf(stderr, "qm_sim: cannot write the port file %s\n", portFile.c_str());
        return 1;
    }

    g_server = &server;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a signal interrupts the blocking calls
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::printf("listening on %s\n", server.address().c_str());
    std::fflush(stdout);
    server.run();
    g_server = nullptr;
    return 0;
}
