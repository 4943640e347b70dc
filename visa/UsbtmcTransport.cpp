#include "visa/UsbtmcTransport.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/usb/tmc.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/AsciiCase.h"
#include "visa/ResourceExpression.h"
#include "visa/visa_ext.h"

namespace qm::visa {

namespace {

// The driver refuses shorter timeouts (its USBTMC_MIN_TIMEOUT).
constexpr ViUInt32 kDriverMinTimeoutMs = 100;
// bmTransferAttributes of the last answer transfer: bit 0 is EOM.
constexpr unsigned kEomBit = 0x01;
// A serial field longer than this would not fit a descriptor buffer.
constexpr std::size_t kMaxSerialLength = 100;

const char* folderFromEnvironment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// The first line of a sysfs attribute, without its line end; empty when the
// attribute is missing or unreadable.
std::string readAttribute(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    char buf[256];
    ssize_t n;
    do {
        n = ::read(fd, buf, sizeof buf);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    if (n <= 0) return {};
    std::string text(buf, static_cast<std::size_t>(n));
    text.erase(std::min(text.find('\n'), text.size()));
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
    return text;
}

bool parseUsbId(const std::string& text, unsigned& out) {
    if (text.empty() || text.size() > 4) return false;
    out = 0;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (!std::isxdigit(c)) return false;
        out = out * 16 + static_cast<unsigned>(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
    }
    return true;
}

// A serial number as a descriptor field: printable ASCII without blanks or
// colons (a USB string may hold anything), within the descriptor's length.
std::string serialField(std::string serial) {
    if (serial.size() > kMaxSerialLength) serial.resize(kMaxSerialLength);
    for (char& ch : serial) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= ' ' || c >= 0x7f || c == ':') ch = '_';
    }
    return serial;
}

// usbtmc0, usbtmc1, ... with their numbers, in number order.
std::vector<std::pair<long, std::string>> classEntries(const std::string& folder) {
    std::vector<std::pair<long, std::string>> entries;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return entries;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        constexpr std::string_view kPrefix = "usbtmc";
        if (name.size() <= kPrefix.size() || name.size() > kPrefix.size() + 6 ||
            name.substr(0, kPrefix.size()) != kPrefix)
            continue;
        const std::string_view digits = name.substr(kPrefix.size());
        if (!std::all_of(digits.begin(), digits.end(),
                         [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            continue;
        entries.emplace_back(std::strtol(std::string(digits).c_str(), nullptr, 10), std::string(name));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end());
    return entries;
}

bool connectionGone(int error) {
    switch (error) {
        case ENODEV:      // unplugged: the driver's node is a zombie
        case ESHUTDOWN:   // unplugged while a transfer ran
        case ENXIO:
        case ENOENT:
        case EIO:
        case EPIPE:
        case EPROTO:
        case EBADF:
        case ECONNRESET:
        case ENOTCONN:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::vector<UsbtmcDevice> enumerateUsbtmc() {
    const std::string classFolder = folderFromEnvironment("QM_USBTMC_SYSFS", "/sys/class/usbmisc");
    const std::string nodeFolder = folderFromEnvironment("QM_USBTMC_DEV", "/dev");
    struct Seen {
        unsigned vendor, product;
        std::string serial;
    };
    std::vector<Seen> seen;
    std::vector<UsbtmcDevice> devices;
    for (const auto& [number, name] : classEntries(classFolder)) {
        // The interface's parent is the USB device, which carries the IDs.
        const std::string usb = classFolder + "/" + name + "/device/../";
        unsigned vendor = 0, product = 0;
        if (!parseUsbId(readAttribute(usb + "idVendor"), vendor) ||
            !parseUsbId(readAttribute(usb + "idProduct"), product))
            continue;
        const std::string serial = serialField(readAttribute(usb + "serial"));
        const bool repeated = std::any_of(seen.begin(), seen.end(), [&](const Seen& s) {
            return s.vendor == vendor && s.product == product && EqualsIgnoringCase(s.serial, serial);
        });
        seen.push_back({vendor, product, serial});
        std::string field = serial.empty() ? name : repeated ? serial + "-" + name : serial;

        char head[32];
        std::snprintf(head, sizeof head, "USB0::0x%04X::0x%04X::", vendor, product);
        UsbtmcDevice device;
        const std::optional<ResourceName> parsed = parseResourceName(head + field + "::INSTR");
        if (!parsed) continue;
        device.descriptor = parsed->canonical;
        device.node = nodeFolder + "/" + name;
        if (::access(device.node.c_str(), R_OK | W_OK) != 0) {
            device.accessible = false;
            device.accessError = errno;
        }
        devices.push_back(std::move(device));
    }
    return devices;
}

std::string usbtmcAccessMessage(const UsbtmcDevice& device) {
    const std::string meter = " (USB meter " + device.descriptor + ")";
    if (device.accessError == EACCES || device.accessError == EPERM)
        return "This user may not open " + device.node + meter +
               ". The udev rule 60-qm-tool-usbtmc.rules gives the logged-in user access: install "
               "the qm-tool package, or copy the rule into /etc/udev/rules.d as root; then run "
               "\"udevadm control --reload\" and \"udevadm trigger\", or plug the meter in again.";
    if (device.accessError == ENOENT)
        return device.node + " does not exist" + meter +
               ": the device node was not created. Check that udev is running, then plug the "
               "meter in again.";
    return "Cannot open " + device.node + meter + ": " + std::strerror(device.accessError) + ".";
}

ViStatus UsbtmcTransport::open(const ResourceName& name, ViUInt32 timeoutMs,
                               std::unique_ptr<Transport>& out) {
    for (const UsbtmcDevice& device : enumerateUsbtmc()) {
        if (device.descriptor != name.canonical) continue;
        struct stat st {};
        if (::stat(device.node.c_str(), &st) != 0) return VI_ERROR_RSRC_NFOUND;
        const bool driver = !S_ISSOCK(st.st_mode);
        int fd = -1;
        if (driver) {
            fd = ::open(device.node.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
        } else {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            if (device.node.size() >= sizeof address.sun_path) return VI_ERROR_RSRC_NFOUND;
            std::memcpy(address.sun_path, device.node.c_str(), device.node.size() + 1);
            fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
            if (fd >= 0 &&
                ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
                ::close(fd);
                fd = -1;
            }
        }
        if (fd < 0) return VI_ERROR_RSRC_NFOUND;
        std::unique_ptr<UsbtmcTransport> transport(new UsbtmcTransport(fd, driver));
        if (driver) {
            // After a timeout or a failed transfer the driver aborts the
            // answer still pending, so the next command finds a clean bus.
            __u8 on = 1;
            ::ioctl(fd, USBTMC_IOCTL_AUTO_ABORT, &on);
        }
        transport->setTimeout(timeoutMs);
        out = std::move(transport);
        return VI_SUCCESS;
    }
    return VI_ERROR_RSRC_NFOUND;
}

UsbtmcTransport::UsbtmcTransport(int fd, bool driver)
    : fd_(fd), driver_(driver), rx_(kReceiveCapacity) {}

UsbtmcTransport::~UsbtmcTransport() {
    if (fd_ >= 0) ::close(fd_);
}

ViStatus UsbtmcTransport::failure(int error) {
    dropAnswer();
    if (error == ETIMEDOUT || error == EAGAIN || error == EWOULDBLOCK) return VI_ERROR_TMO;
    if (connectionGone(error)) {
        lost_ = true;
        return VI_ERROR_CONN_LOST;
    }
    return VI_ERROR_IO;
}

void UsbtmcTransport::dropAnswer() {
    head_ = tail_ = 0;
    rxEnds_ = false;
}

void UsbtmcTransport::setTimeout(ViUInt32 milliseconds) {
    timeoutMs_ = milliseconds;
    if (driver_) {
        __u32 value = std::clamp<ViUInt32>(milliseconds, kDriverMinTimeoutMs, INT_MAX);
        ::ioctl(fd_, USBTMC_IOCTL_SET_TIMEOUT, &value);
        return;
    }
    // Zero means "wait for ever" to the kernel; VI_TMO_IMMEDIATE is served
    // with MSG_DONTWAIT instead.
    timeval tv{};
    if (milliseconds != VI_TMO_INFINITE) {
        tv.tv_sec = static_cast<time_t>(milliseconds / 1000);
        tv.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
    }
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

ViStatus UsbtmcTransport::write(const ViByte* data, std::size_t count, std::size_t& written) {
    written = 0;
    if (lost_) return VI_ERROR_CONN_LOST;
    // A new command ends any answer that was not read to its end: the meter
    // drops it too.
    dropAnswer();
    if (count == 0) return VI_SUCCESS;
    while (written < count) {
        ssize_t n;
        if (driver_) {
            // One write is one message: the driver sets EOM on its last transfer.
            n = ::write(fd_, data + written, count - written);
        } else {
            n = ::send(fd_, data + written, count - written,
                       MSG_NOSIGNAL | (timeoutMs_ == VI_TMO_IMMEDIATE ? MSG_DONTWAIT : 0));
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            return failure(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    return VI_SUCCESS;
}

ViStatus UsbtmcTransport::fill() {
    head_ = tail_ = 0;
    rxEnds_ = false;
    while (true) {
        ssize_t n;
        if (driver_) {
            // Blocks for at most the driver's timeout (set by setTimeout).
            n = ::read(fd_, rx_.data(), rx_.size());
        } else {
            pollfd p{fd_, POLLIN, 0};
            const int wait = timeoutMs_ == VI_TMO_INFINITE
                                 ? -1
                                 : static_cast<int>(std::min<ViUInt32>(timeoutMs_, INT_MAX));
            const int ready = ::poll(&p, 1, wait);
            if (ready < 0 && errno == EINTR) continue;
            if (ready == 0) return failure(ETIMEDOUT);
            n = ::recv(fd_, rx_.data(), rx_.size(), MSG_DONTWAIT);
            if (n == 0) return failure(ENOTCONN);  // the other end closed: unplugged
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            return failure(errno);
        }
        tail_ = static_cast<std::size_t>(n);
        if (!driver_) {
            rxEnds_ = true;  // one datagram, one message
        } else {
            __u8 attributes = 0;
            if (::ioctl(fd_, USBTMC_IOCTL_MSG_IN_ATTR, &attributes) == 0)
                rxEnds_ = (attributes & kEomBit) != 0;
            else
                rxEnds_ = tail_ < rx_.size();  // an older driver: a short read ends it
        }
        return VI_SUCCESS;
    }
}

ViStatus UsbtmcTransport::read(ViByte* buffer, std::size_t count, std::size_t& received) {
    received = 0;
    if (lost_) return VI_ERROR_CONN_LOST;
    if (count == 0) return VI_SUCCESS_MAX_CNT;
    while (true) {
        const std::size_t n = std::min(tail_ - head_, count - received);
        if (n > 0) std::memcpy(buffer + received, rx_.data() + head_, n);
        head_ += n;
        received += n;
        if (head_ == tail_ && rxEnds_) {
            dropAnswer();
            return VI_SUCCESS;
        }
        if (received == count) return VI_SUCCESS_MAX_CNT;
        const ViStatus status = fill();
        if (status != VI_SUCCESS) return status;
    }
}

ViStatus UsbtmcTransport::clear() {
    if (lost_) return VI_ERROR_CONN_LOST;
    dropAnswer();
    if (driver_) {
        // The driver's clear: INITIATE_CLEAR, waits for it, clears the halt.
        if (::ioctl(fd_, USBTMC_IOCTL_CLEAR) != 0) return failure(errno);
        return VI_SUCCESS;
    }
    // A message socket: whatever answers already arrived are dropped.
    while (true) {
        const ssize_t n = ::recv(fd_, rx_.data(), rx_.size(), MSG_DONTWAIT);
        if (n > 0) continue;
        if (n == 0) return failure(ENOTCONN);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return VI_SUCCESS;
        return failure(errno);
    }
}

std::vector<std::string> usbAccessProblems(const std::string& pattern) {
    std::vector<std::string> problems;
    const std::optional<ResourceExpression> expression = ResourceExpression::parse(pattern);
    if (!expression) return problems;
    for (const UsbtmcDevice& device : enumerateUsbtmc())
        if (!device.accessible && expression->matches(device.descriptor))
            problems.push_back(usbtmcAccessMessage(device));
    return problems;
}

}  // namespace qm::visa
