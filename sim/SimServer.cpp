#include "sim/SimServer.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <vector>

#include "sim/SimMeter.h"

namespace qm::sim {
namespace {

constexpr std::size_t kReceiveBuffer = 64 * 1024;
// While a client's answer waits for a trigger that another client may fire,
// its thread looks again this often.
constexpr int kTriggerPollMs = 5;

MeterConfig realTime(MeterConfig c) {
    c.faults.realTime = true;
    return c;
}

bool sendAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool parseListenAddress(std::string_view text, std::string& host, std::uint16_t& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    std::string_view h = text.substr(0, colon);
    const std::string_view p = text.substr(colon + 1);
    if (h.front() == '[') {
        if (h.size() < 3 || h.back() != ']') return false;
        h = h.substr(1, h.size() - 2);
    } else if (h.find(':') != std::string_view::npos) {
        return false;  // an IPv6 literal needs its brackets
    }
    unsigned value = 0;
    auto [ptr, ec] = std::from_chars(p.data(), p.data() + p.size(), value);
    if (p.empty() || ec != std::errc() || ptr != p.data() + p.size() || value > 65535) return false;
    host.assign(h);
    port = static_cast<std::uint16_t>(value);
    return true;
}

bool isLoopbackHost(std::string_view host) {
    if (host == "localhost" || host == "::1") return true;
    in_addr a4{};
    const std::string h(host);
    if (inet_pton(AF_INET, h.c_str(), &a4) == 1) return (ntohl(a4.s_addr) >> 24) == 127;
    in6_addr a6{};
    if (inet_pton(AF_INET6, h.c_str(), &a6) == 1) return IN6_IS_ADDR_LOOPBACK(&a6);
    return false;
}

SimServer::SimServer(ServerOptions options)
    : options_(std::move(options)),
      meter_(std::make_shared<SimMeter>(realTime(options_.meter))),
      clients_(new Client[static_cast<std::size_t>(std::max(options_.maxClients, 1))]) {
    options_.maxClients = std::max(options_.maxClients, 1);
    meter_->setCommandLogLimit(0);  // nobody reads it here; keep the loop lean
}

SimServer::~SimServer() {
    stop();
    joinFinishedClients(true);
    const int fd = listenFd_.exchange(-1);
    if (fd >= 0) ::close(fd);
}

std::optional<std::string> SimServer::listen() {
    const std::string host = options_.host == "localhost" ? "127.0.0.1" : options_.host;
    sockaddr_storage addr{};
    socklen_t len = 0;
    auto* a4 = reinterpret_cast<sockaddr_in*>(&addr);
    auto* a6 = reinterpret_cast<sockaddr_in6*>(&addr);
    if (inet_pton(AF_INET, host.c_str(), &a4->sin_addr) == 1) {
        a4->sin_family = AF_INET;
        a4->sin_port = htons(options_.port);
        len = sizeof(sockaddr_in);
    } else if (inet_pton(AF_INET6, host.c_str(), &a6->sin6_addr) == 1) {
        a6->sin6_family = AF_INET6;
        a6->sin6_port = htons(options_.port);
        len = sizeof(sockaddr_in6);
    } else {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
            return "cannot resolve " + host;
        std::memcpy(&addr, found->ai_addr, found->ai_addrlen);
        len = found->ai_addrlen;
        freeaddrinfo(found);
        if (addr.ss_family == AF_INET)
            a4->sin_port = htons(options_.port);
        else
            a6->sin6_port = htons(options_.port);
    }
    const int fd = ::socket(addr.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::string("socket: ") + std::strerror(errno);
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(fd, 16) != 0) {
        const std::string err = std::strerror(errno);
        ::close(fd);
        return "cannot listen on " + options_.host + ":" + std::to_string(options_.port) + ": " +
               err;
    }
    sockaddr_storage bound{};
    socklen_t boundLen = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &boundLen);
    char text[INET6_ADDRSTRLEN] = {};
    if (bound.ss_family == AF_INET6) {
        const auto* b6 = reinterpret_cast<const sockaddr_in6*>(&bound);
        inet_ntop(AF_INET6, &b6->sin6_addr, text, sizeof text);
        port_ = ntohs(b6->sin6_port);
        boundAddress_ = std::string("[") + text + "]";
    } else {
        const auto* b4 = reinterpret_cast<const sockaddr_in*>(&bound);
        inet_ntop(AF_INET, &b4->sin_addr, text, sizeof text);
        port_ = ntohs(b4->sin_port);
        boundAddress_ = text;
    }
    listenFd_ = fd;
    return std::nullopt;
}

std::string SimServer::address() const {
    return boundAddress_ + ":" + std::to_string(port_);
}

void SimServer::stop() {
    stopping_ = true;
    // shutdown() is async-signal-safe and wakes a blocking accept or recv.
    for (int i = 0; i < options_.maxClients; ++i) {
        const int client = clients_[i].fd.load();
        if (client >= 0) ::shutdown(client, SHUT_RDWR);
    }
    const int listener = listenFd_.load();
    if (listener >= 0) ::shutdown(listener, SHUT_RDWR);
}

int SimServer::claimClientSlot() {
    for (int i = 0; i < options_.maxClients; ++i)
        if (!clients_[i].thread.joinable()) return i;
    return -1;
}

void SimServer::joinFinishedClients(bool all) {
    for (int i = 0; i < options_.maxClients; ++i) {
        Client& c = clients_[i];
        if (c.thread.joinable() && (all || c.done.load())) c.thread.join();
    }
}

void SimServer::run() {
    while (!stopping_) {
        const int listener = listenFd_.load();
        if (listener < 0) break;
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            break;
        }
        joinFinishedClients(false);
        const int slot = stopping_ ? -1 : claimClientSlot();
        if (slot < 0) {
            // One too many: closed at once, so the client learns it now
            // instead of waiting out its timeout in the backlog. Named
            // first, so that the line is there by the time the client sees
            // the close.
            if (!stopping_ && options_.log)
                options_.log("refused a client: " + std::to_string(options_.maxClients) +
                             " clients are connected already");
            ::close(fd);
            continue;
        }
        Client& client = clients_[slot];
        client.done = false;
        client.fd = fd;
        client.thread = std::thread([this, &client] { serveClient(client); });
    }
    stop();  // the clients end with the server
    joinFinishedClients(true);
}

void SimServer::serveClient(Client& client) {
    const int fd = client.fd.load();
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // A link of its own to the shared meter: its answers, its lost state.
    SimEndpoint link(meter_, realTime(options_.meter), systemClock());
    std::string answer;
    answer.reserve(4096);
    std::vector<char> buf(kReceiveBuffer);
    std::size_t begin = 0;
    std::size_t end = 0;
    auto serve = [&]() {
        while (!stopping_) {
            if (link.pendingAnswers() > 0) {
                // An answer awaits a trigger: look now and then whether it came.
                pollfd p{fd, POLLIN, 0};
                const int rc = ::poll(&p, 1, kTriggerPollMs);
                if (rc < 0 && errno != EINTR) return;
                if (rc <= 0) {
                    if (!sendReadyAnswers(link, fd, answer)) return;
                    continue;
                }
            }
            const ssize_t n = ::recv(fd, buf.data() + end, buf.size() - end, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;
            end += static_cast<std::size_t>(n);
            while (begin < end) {
                const char* start = buf.data() + begin;
                const auto* nl = static_cast<const char*>(std::memchr(start, '\n', end - begin));
                if (!nl) break;
                begin = static_cast<std::size_t>(nl - buf.data()) + 1;
                if (!serveMessage(link, fd,
                                  std::string_view(start, static_cast<std::size_t>(nl - start)),
                                  answer))
                    return;
            }
            if (begin == end) {
                begin = end = 0;
            } else if (end == buf.size()) {
                if (begin > 0) {
                    std::memmove(buf.data(), buf.data() + begin, end - begin);
                    end -= begin;
                    begin = 0;
                } else {
                    // A message longer than the buffer: the meter gets what fits.
                    if (!serveMessage(link, fd, std::string_view(buf.data(), end), answer)) return;
                    begin = end = 0;
                }
            }
        }
    };
    serve();
    client.fd = -1;  // stop() no longer touches it
    ::close(fd);
    client.done = true;
}

bool SimServer::serveMessage(SimEndpoint& link, int fd, std::string_view message,
                             std::string& answer) {
    if (link.write(message) != IoOutcome::Ok) return false;
    return sendReadyAnswers(link, fd, answer);
}

bool SimServer::sendReadyAnswers(SimEndpoint& link, int fd, std::string& answer) {
    // Answers that are (or become) ready go out now; one that awaits a
    // trigger goes out once the trigger fires.
    while (const auto wait = link.nextAnswerIn()) {
        answer.clear();
        const auto timeout =
            std::chrono::ceil<std::chrono::milliseconds>(*wait) + std::chrono::milliseconds(1);
        const IoOutcome o = link.readAnswer(answer, timeout);
        if (o == IoOutcome::ConnectionLost) return false;
        if (o != IoOutcome::Ok) break;
        if (!sendAll(fd, answer)) return false;
    }
    return link.connected();
}

}  // namespace qm::sim
