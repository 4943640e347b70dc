#include "visa/TcpTransport.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

namespace qm::visa {

namespace {

long long monotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Milliseconds left until the deadline, rounded up, for poll().
int msUntil(long long deadlineNs) {
    const long long left = deadlineNs - monotonicNs();
    if (left <= 0) return 0;
    return static_cast<int>(std::min<long long>((left + 999999) / 1000000, INT_MAX));
}

bool setBlocking(int fd, bool blocking) {
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0) return false;
    return fcntl(fd, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK)) == 0;
}

// Connects one address within the timeout; returns the socket or -1.
int connectOne(const addrinfo& ai, ViUInt32 timeoutMs) {
    const int fd =
        socket(ai.ai_family, ai.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai.ai_protocol);
    if (fd < 0) return -1;
    int rc = ::connect(fd, ai.ai_addr, ai.ai_addrlen);
    if (rc != 0 && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        const long long deadline =
            timeoutMs == VI_TMO_INFINITE ? -1 : monotonicNs() + timeoutMs * 1000000LL;
        do {
            rc = poll(&p, 1, deadline < 0 ? -1 : msUntil(deadline));
        } while (rc < 0 && errno == EINTR);
        int err = 0;
        socklen_t len = sizeof err;
        if (rc == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0)
            rc = 0;
        else
            rc = -1;
    }
    if (rc != 0 || !setBlocking(fd, true)) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

ViStatus TcpTransport::connect(const std::string& host, unsigned port, ViUInt32 timeoutMs,
                               std::unique_ptr<TcpTransport>& out) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &list) != 0 || !list)
        return VI_ERROR_RSRC_NFOUND;
    int fd = -1;
    for (addrinfo* ai = list; ai && fd < 0; ai = ai->ai_next) fd = connectOne(*ai, timeoutMs);
    freeaddrinfo(list);
    if (fd < 0) return VI_ERROR_RSRC_NFOUND;
    // Short SCPI messages must leave at once, not wait for Nagle.
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    out.reset(new TcpTransport(fd));
    out->setTimeout(timeoutMs);
    return VI_SUCCESS;
}

TcpTransport::TcpTransport(int fd) : fd_(fd), rx_(new ViByte[kReceiveCapacity]) {}

TcpTransport::~TcpTransport() {
    if (fd_ >= 0) close(fd_);
}

ViStatus TcpTransport::lose() {
    lost_ = true;
    head_ = tail_ = 0;
    return VI_ERROR_CONN_LOST;
}

void TcpTransport::setTimeout(ViUInt32 milliseconds) {
    timeoutMs_ = milliseconds;
    // The kernel applies the timeout to a blocking recv/send, so the usual
    // read costs one recv and no poll. Zero means "wait for ever" here;
    // VI_TMO_IMMEDIATE is served with MSG_DONTWAIT instead, so the socket
    // keeps its last timeout: a look at what waits, and back, costs no
    // system call for the timeouts.
    if (milliseconds == VI_TMO_IMMEDIATE || milliseconds == socketTimeoutMs_) return;
    socketTimeoutMs_ = milliseconds;
    timeval tv{};
    if (milliseconds != VI_TMO_INFINITE) {
        tv.tv_sec = static_cast<time_t>(milliseconds / 1000);
        tv.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
    }
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

ViStatus TcpTransport::write(const ViByte* data, std::size_t count, std::size_t& written) {
    written = 0;
    if (lost_) return VI_ERROR_CONN_LOST;
    if (count == 0) return VI_SUCCESS;
    static const char kNewline = '\n';
    // One sendmsg carries the message and, when missing, its line feed.
    iovec iov[2] = {{const_cast<ViByte*>(data), count}, {const_cast<char*>(&kNewline), 1}};
    msghdr msg{};
    msg.msg_iov = iov;
    msg.msg_iovlen = data[count - 1] == '\n' ? 1 : 2;
    const int flags = MSG_NOSIGNAL | (timeoutMs_ == VI_TMO_IMMEDIATE ? MSG_DONTWAIT : 0);
    std::size_t total = 0;
    while (msg.msg_iovlen > 0) {
        const ssize_t sent = sendmsg(fd_, &msg, flags);
        if (sent < 0) {
            if (errno == EINTR) continue;
            written = std::min(total, count);
            if (errno == EAGAIN || errno == EWOULDBLOCK) return VI_ERROR_TMO;
            return lose();
        }
        total += static_cast<std::size_t>(sent);
        // A partial send: skip what went out and send the rest.
        std::size_t done = static_cast<std::size_t>(sent);
        while (msg.msg_iovlen > 0 && done >= msg.msg_iov[0].iov_len) {
            done -= msg.msg_iov[0].iov_len;
            ++msg.msg_iov;
            --msg.msg_iovlen;
        }
        if (msg.msg_iovlen > 0) {
            msg.msg_iov[0].iov_base = static_cast<char*>(msg.msg_iov[0].iov_base) + done;
            msg.msg_iov[0].iov_len -= done;
        }
    }
    written = count;
    return VI_SUCCESS;
}

bool TcpTransport::waitReadable(long long deadlineNs) {
    pollfd p{fd_, POLLIN, 0};
    while (true) {
        const int rc = poll(&p, 1, deadlineNs < 0 ? -1 : msUntil(deadlineNs));
        if (rc > 0) return true;
        if (rc == 0) return false;
        if (errno != EINTR) return true;  // let recv report the failure
    }
}

ViStatus TcpTransport::read(ViByte* buffer, std::size_t count, std::size_t& received) {
    received = 0;
    if (lost_) return VI_ERROR_CONN_LOST;
    if (count == 0) return VI_SUCCESS_MAX_CNT;
    long long deadline = 0;  // set when the first wait starts; -1: for ever
    bool waited = false;
    while (true) {
        if (head_ < tail_) {
            const std::size_t n = std::min(tail_ - head_, count - received);
            const ViByte* from = rx_.get() + head_;
            const auto* nl = static_cast<const ViByte*>(std::memchr(from, '\n', n));
            const std::size_t take = nl ? static_cast<std::size_t>(nl - from) + 1 : n;
            std::memcpy(buffer + received, from, take);
            head_ += take;
            received += take;
            if (nl) return VI_SUCCESS;
            if (received == count) return VI_SUCCESS_MAX_CNT;
        }
        head_ = tail_ = 0;
        ssize_t got;
        if (!waited) {
            // First wait: a blocking recv bounded by SO_RCVTIMEO.
            waited = true;
            deadline = timeoutMs_ == VI_TMO_INFINITE ? -1 : monotonicNs() + timeoutMs_ * 1000000LL;
            got = recv(fd_, rx_.get(), kReceiveCapacity,
                       timeoutMs_ == VI_TMO_IMMEDIATE ? MSG_DONTWAIT : 0);
        } else {
            // The rest of a message split over several segments: whatever
            // time is left of the same timeout.
            if (!waitReadable(deadline)) return VI_ERROR_TMO;
            got = recv(fd_, rx_.get(), kReceiveCapacity, MSG_DONTWAIT);
        }
        if (got > 0) {
            tail_ = static_cast<std::size_t>(got);
            continue;
        }
        if (got == 0) return lose();
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (deadline >= 0 && monotonicNs() >= deadline) return VI_ERROR_TMO;
            continue;
        }
        return lose();
    }
}

ViStatus TcpTransport::clear() {
    if (lost_) return VI_ERROR_CONN_LOST;
    // Drop what is buffered and whatever has already arrived: the tail of
    // an answer that came too late must not pass for the next one.
    head_ = tail_ = 0;
    while (true) {
        const ssize_t got = recv(fd_, rx_.get(), kReceiveCapacity, MSG_DONTWAIT);
        if (got > 0) continue;
        if (got == 0) return lose();
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return VI_SUCCESS;
        return lose();
    }
}

}  // namespace qm::visa
