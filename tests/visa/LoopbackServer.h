#pragma once
// A small SCPI-over-TCP peer on 127.0.0.1 (ephemeral port) for the tcp
// backend tests: one connection at a time, each received line handed to a
// handler that answers on the socket.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace qm::visa::test {

class LoopbackServer {
  public:
    // Gets each line without its "\n"; returns false to close the connection.
    using Handler = std::function<bool(int fd, const std::string& line)>;

    explicit LoopbackServer(Handler handler) : handler_(std::move(handler)) {
        listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        listen(listen_, 4);
        thread_ = std::thread([this] { serve(); });
    }

    ~LoopbackServer() {
        stop_ = true;
        shutdown(listen_, SHUT_RDWR);
        {
            std::lock_guard lock(mutex_);
            if (conn_ >= 0) shutdown(conn_, SHUT_RDWR);
        }
        thread_.join();
        close(listen_);
    }

    unsigned port() const { return port_; }
    std::string descriptor() const {
        return "TCPIP0::127.0.0.1::" + std::to_string(port_) + "::SOCKET";
    }
    // Every byte received so far.
    std::string received() const {
        std::lock_guard lock(mutex_);
        return received_;
    }

    static void sendAll(int fd, std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) return;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }

  private:
    void serve() {
        while (!stop_) {
            const int c = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0) continue;
            const int one = 1;
            setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            {
                std::lock_guard lock(mutex_);
                conn_ = c;
            }
            std::string pending;
            char buf[4096];
            bool open = true;
            while (open && !stop_) {
                const ssize_t n = recv(c, buf, sizeof buf, 0);
                if (n <= 0) break;
                {
                    std::lock_guard lock(mutex_);
                    received_.append(buf, static_cast<std::size_t>(n));
                }
                pending.append(buf, static_cast<std::size_t>(n));
                for (std::size_t nl; open && (nl = pending.find('\n')) != std::string::npos;) {
                    const std::string line = pending.substr(0, nl);
                    pending.erase(0, nl + 1);
                    open = handler_(c, line);
                }
            }
            {
                std::lock_guard lock(mutex_);
                conn_ = -1;
            }
            close(c);
        }
    }

    Handler handler_;
    int listen_ = -1;
    unsigned port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    int conn_ = -1;
    std::string received_;
    std::thread thread_;
};

}  // namespace qm::visa::test
