#pragma once
// Serves one simulated meter over TCP: newline-terminated messages, one
// client at a time, real time. The loop is a plain blocking
// recv/parse/send so that it costs as little as a loopback round trip can.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/SimEndpoint.h"

namespace qm::sim {

struct ServerOptions {
    std::string host = "127.0.0.1";
    std::uint16_t port = 0;  // 0: an ephemeral port
    MeterConfig meter;
};

// "HOST:PORT", with "[::1]:PORT" for IPv6 literals.
bool parseListenAddress(std::string_view text, std::string& host, std::uint16_t& port);
// 127.0.0.0/8, ::1 and localhost.
bool isLoopbackHost(std::string_view host);

class SimServer {
  public:
    explicit SimServer(ServerOptions options);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Binds and listens; the error text on failure.
    std::optional<std::string> listen();
    std::uint16_t port() const { return port_; }
    std::string address() const;  // "127.0.0.1:PORT" as bound
    // Serves clients one after another until stop().
    void run();
    // Ends run() soon; async-signal-safe.
    void stop();

    SimEndpoint& endpoint() { return endpoint_; }

  private:
    bool serveMessage(int fd, std::string_view message);
    void serveClient(int fd);

    ServerOptions options_;
    SimEndpoint endpoint_;
    std::string boundAddress_;
    std::uint16_t port_ = 0;
    std::string answer_;
    std::atomic<int> listenFd_{-1};
    std::atomic<int> clientFd_{-1};
    std::atomic<bool> stopping_{false};
};

}  // namespace qm::sim
