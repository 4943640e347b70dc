#pragma once
// One link to one instrument, as a session sees it. Each backend (sim, tcp,
// usbtmc) is one class in one file behind this interface; the session
// layer above adds handles, attributes, formatting and the sticky
// connection-lost state.
#include <cstddef>

#include "visa/visa.h"

namespace qm::visa {

class Transport {
  public:
    virtual ~Transport() = default;

    // Sends one message. Returns VI_SUCCESS, VI_ERROR_TMO or VI_ERROR_CONN_LOST;
    // `written` receives the count of caller bytes sent.
    virtual ViStatus write(const ViByte* data, std::size_t count, std::size_t& written) = 0;

    // Reads at most `count` bytes of the current message. VI_SUCCESS when the
    // bytes delivered end the message, VI_SUCCESS_MAX_CNT when `count` filled
    // first (the rest stays for the next read), VI_ERROR_TMO when nothing
    // complete arrived in time, VI_ERROR_CONN_LOST when the link is gone.
    virtual ViStatus read(ViByte* buffer, std::size_t count, std::size_t& received) = 0;

    // Device clear: drops any answer or answer fragment still pending.
    virtual ViStatus clear() = 0;

    // I/O timeout in milliseconds; VI_TMO_INFINITE waits for ever.
    virtual void setTimeout(ViUInt32 milliseconds) = 0;

    // True when a read ends at the termination character (a line feed)
    // rather than at the instrument's end of message.
    virtual bool endsAtTermChar() const { return false; }
};

}  // namespace qm::visa
