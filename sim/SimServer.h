#pragma once
// Serves one simulated meter over TCP: newline-terminated messages, real
// time, several clients at once as a LAN meter serves several sockets. The
// clients share the meter (what one configures, the others read) and each
// gets the answers to its own queries. Each client has a thread running a
// plain blocking recv/parse/send loop, so that a round trip costs as little
// as a loopback round trip can.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "sim/SimEndpoint.h"

namespace qm::sim {

struct ServerOptions {
    std::string host = "127.0.0.1";
    std::uint16_t port = 0;  // 0: an ephemeral port
    MeterConfig meter;
    int maxClients = 16;     // a client beyond this many is closed at once
    // Told about clients refused for being one too many (qm_sim prints it).
    std::function<void(const std::string&)> log;
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
    // Accepts and serves clients until stop(); returns when every client
    // thread has ended.
    void run();
    // Ends run() soon; async-signal-safe.
    void stop();

    SimMeter& meter() { return *meter_; }

  private:
    struct Client {
        std::atomic<int> fd{-1};        // -1: free; read by stop() from a signal handler
        std::atomic<bool> done{false};  // the thread has finished with fd
        std::thread thread;
    };
    int claimClientSlot();
    void joinFinishedClients(bool all);
    void serveClient(Client& client);
    bool serveMessage(SimEndpoint& link, int fd, std::string_view message, std::string& answer);
    bool sendReadyAnswers(SimEndpoint& link, int fd, std::string& answer);

    ServerOptions options_;
    std::shared_ptr<SimMeter> meter_;
    std::string boundAddress_;
    std::uint16_t port_ = 0;
    std::atomic<int> listenFd_{-1};
    std::atomic<bool> stopping_{false};
    std::unique_ptr<Client[]> clients_;  // options_.maxClients of them, never reallocated
};

}  // namespace qm::sim
