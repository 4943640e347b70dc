#pragma once
// The usbtmc backend: meters on USB through the Linux kernel's usbtmc driver,
// with no vendor VISA. Devices are found in sysfs (/sys/class/usbmisc/usbtmcN,
// whose USB device above the interface gives vendor, product and serial
// number) and opened as /dev/usbtmcN. $QM_USBTMC_SYSFS and $QM_USBTMC_DEV
// replace those two folders; there a Unix SOCK_SEQPACKET socket may stand in
// for a device node, each datagram one whole message (tests serve meters so).
//
// The driver delivers one message per write and tells where an answer ends
// (EOM); this class keeps what a read brought beyond the caller's count for
// the next read, as VISA's VI_SUCCESS_MAX_CNT asks.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "visa/ResourceName.h"
#include "visa/Transport.h"

namespace qm::visa {

struct UsbtmcDevice {
    // USB0::0xVVVV::0xPPPP::SERIAL::INSTR in its canonical form (ResourceName),
    // as searches hand it back and its session names itself.
    std::string descriptor;
    std::string node;        // the device node to open (/dev/usbtmcN)
    bool accessible = true;  // this user may open the node for reading and writing
    int accessError = 0;     // errno of the failed access check
};

// Every usbtmc device present now, by node number. A device without a serial
// number is named by its node ("USBTMC3") in the serial field, and so is
// every further device that repeats the serial number of an earlier one
// ("SN000001-USBTMC3"): each gets a descriptor of its own.
std::vector<UsbtmcDevice> enumerateUsbtmc();

// The text that tells a user why a meter's device node cannot be opened and
// how to allow it.
std::string usbtmcAccessMessage(const UsbtmcDevice& device);

class UsbtmcTransport final : public Transport {
  public:
    // Opens the present device whose descriptor is `name`; VI_ERROR_RSRC_NFOUND
    // when there is none or its node cannot be opened.
    static ViStatus open(const ResourceName& name, ViUInt32 timeoutMs,
                         std::unique_ptr<Transport>& out);
    ~UsbtmcTransport() override;
    UsbtmcTransport(const UsbtmcTransport&) = delete;
    UsbtmcTransport& operator=(const UsbtmcTransport&) = delete;

    ViStatus write(const ViByte* data, std::size_t count, std::size_t& written) override;
    ViStatus read(ViByte* buffer, std::size_t count, std::size_t& received) override;
    ViStatus clear() override;
    void setTimeout(ViUInt32 milliseconds) override;

  private:
    UsbtmcTransport(int fd, bool driver);
    // The next piece of the current answer into rx_.
    ViStatus fill();
    ViStatus failure(int error);
    void dropAnswer();

    static constexpr std::size_t kReceiveCapacity = 65536;

    int fd_;
    bool driver_;  // a kernel usbtmc node; else a message socket
    bool lost_ = false;
    ViUInt32 timeoutMs_ = 2000;
    std::vector<ViByte> rx_;
    std::size_t head_ = 0;  // next unread byte of rx_
    std::size_t tail_ = 0;  // end of the bytes in rx_
    bool rxEnds_ = false;   // the bytes in rx_ end the message
};

}  // namespace qm::visa
