#pragma once
// The tcp backend: SCPI over a raw socket (TCPIP0::host::port::SOCKET, or a
// table entry aliased to a host and port). Messages are newline-terminated:
// a write appends "\n" when the bytes do not end in one, and a read returns
// the bytes up to and including the next "\n" as one message, nothing
// stripped. Bytes after a message end stay buffered for the next read.
#include <cstddef>
#include <memory>
#include <string>

#include "visa/Transport.h"

namespace qm::visa {

class TcpTransport final : public Transport {
  public:
    // Connects within `timeoutMs`; VI_ERROR_RSRC_NFOUND when nobody answers.
    static ViStatus connect(const std::string& host, unsigned port, ViUInt32 timeoutMs,
                            std::unique_ptr<TcpTransport>& out);
    ~TcpTransport() override;
    TcpTransport(const TcpTransport&) = delete;
    TcpTransport& operator=(const TcpTransport&) = delete;

    ViStatus write(const ViByte* data, std::size_t count, std::size_t& written) override;
    ViStatus read(ViByte* buffer, std::size_t count, std::size_t& received) override;
    ViStatus clear() override;
    void setTimeout(ViUInt32 milliseconds) override;
    bool endsAtTermChar() const override { return true; }  // messages are lines

  private:
    explicit TcpTransport(int fd);
    // Waits for readable bytes until the deadline; false on timeout.
    bool waitReadable(long long deadlineNs);
    ViStatus lose();

    static constexpr std::size_t kReceiveCapacity = 16384;

    int fd_;
    bool lost_ = false;
    ViUInt32 timeoutMs_ = 2000;
    ViUInt32 socketTimeoutMs_ = VI_TMO_IMMEDIATE;  // what the socket holds; immediate: none set
    std::unique_ptr<ViByte[]> rx_;
    std::size_t head_ = 0;  // next unread byte of rx_
    std::size_t tail_ = 0;  // end of the bytes received into rx_
};

}  // namespace qm::visa
