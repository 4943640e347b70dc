#pragma once
// Meters on USB as the usbtmc backend sees them, without USB: a fake sysfs
// class folder and a device folder (named by QM_USBTMC_SYSFS and
// QM_USBTMC_DEV while the bus lives), each device node a SOCK_SEQPACKET
// socket that a thread of the test serves, one datagram per message.
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/SimEndpoint.h"

namespace qm::test {

class FakeUsbtmcBus {
  public:
    // The answer to one message, or nothing (the meter stays silent).
    using Handler = std::function<std::optional<std::string>(const std::string& message)>;

    struct Device {
        std::string vendor = "1209";  // as sysfs writes it: four hex digits
        std::string product = "4101";
        std::optional<std::string> serial;  // nullopt: no serial attribute
        Handler handler;                    // empty: a meter that never answers
    };
    static Device Usb(std::optional<std::string> serial, Handler handler = {},
                      std::string product = "4101", std::string vendor = "1209") {
        Device d;
        d.vendor = std::move(vendor);
        d.product = std::move(product);
        d.serial = std::move(serial);
        d.handler = std::move(handler);
        return d;
    }

    FakeUsbtmcBus() {
        char name[] = "/tmp/qm-usbtmc-XXXXXX";
        root_ = mkdtemp(name);
        std::filesystem::create_directories(sysfs());
        std::filesystem::create_directories(dev());
        Remember("QM_USBTMC_SYSFS", sysfs());
        Remember("QM_USBTMC_DEV", dev());
    }
    ~FakeUsbtmcBus() {
        while (!served_.empty()) Unplug(served_.begin()->first);
        for (const auto& [name, old] : saved_) {
            if (old)
                setenv(name.c_str(), old->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    FakeUsbtmcBus(const FakeUsbtmcBus&) = delete;
    FakeUsbtmcBus& operator=(const FakeUsbtmcBus&) = delete;

    std::string sysfs() const { return root_ + "/sys"; }
    std::string dev() const { return root_ + "/dev"; }
    std::string node(int number) const { return dev() + "/usbtmc" + std::to_string(number); }

    // The sysfs entry usbtmcN with its USB device's attributes, no node yet.
    void AddSysfsEntry(int number, const Device& d) {
        // device/.. must lead to the attributes, as it does in sysfs.
        const std::string entry = sysfs() + "/usbtmc" + std::to_string(number);
        std::filesystem::create_directories(entry + "/device");
        std::ofstream(entry + "/idVendor") << d.vendor << "\n";
        std::ofstream(entry + "/idProduct") << d.product << "\n";
        if (d.serial) std::ofstream(entry + "/serial") << *d.serial << "\n";
    }

    // A meter plugged in: sysfs entry and a served device node.
    void Plug(int number, Device d) {
        AddSysfsEntry(number, d);
        auto s = std::make_unique<Served>();
        s->handler = std::move(d.handler);
        s->listenFd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = node(number);
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        if (bind(s->listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(s->listenFd, 4) != 0 || pipe(s->wake) != 0) {
            ADD_FAILURE() << "cannot serve " << path << ": " << std::strerror(errno);
            return;
        }
        Served* raw = s.get();
        s->thread = std::thread([raw] { Serve(*raw); });
        served_[number] = std::move(s);
    }

    // Pulled out: the sysfs entry and the node go, open links break.
    void Unplug(int number) {
        std::error_code ec;
        std::filesystem::remove_all(sysfs() + "/usbtmc" + std::to_string(number), ec);
        std::filesystem::remove(node(number), ec);
        const auto it = served_.find(number);
        if (it == served_.end()) return;
        (void)!write(it->second->wake[1], "x", 1);
        it->second->thread.join();
        close(it->second->listenFd);
        close(it->second->wake[0]);
        close(it->second->wake[1]);
        served_.erase(it);
    }

    // Every message the meter received, as received.
    std::vector<std::string> Received(int number) {
        Served& s = *served_.at(number);
        std::lock_guard lock(s.mutex);
        return s.received;
    }

    // A meter behind a simulated one: each message goes to the simulator,
    // its whole answer (if any) comes back as one message.
    static Handler SimulatedMeter(sim::MeterConfig config) {
        struct State {
            explicit State(sim::MeterConfig c) : endpoint(std::move(c), clock) {}
            ManualClock clock;
            sim::SimEndpoint endpoint;
        };
        auto state = std::make_shared<State>(std::move(config));
        return [state](const std::string& message) -> std::optional<std::string> {
            if (state->endpoint.write(message) != sim::IoOutcome::Ok) return std::nullopt;
            if (state->endpoint.pendingAnswers() == 0) return std::nullopt;
            std::string answer;
            if (state->endpoint.readAnswer(answer, std::chrono::milliseconds(0)) !=
                sim::IoOutcome::Ok)
                return std::nullopt;
            return answer;
        };
    }

  private:
    struct Served {
        int listenFd = -1;
        int wake[2] = {-1, -1};
        std::thread thread;
        std::mutex mutex;
        std::vector<std::string> received;
        Handler handler;
    };

    static void Serve(Served& s) {
        std::vector<int> clients;
        std::vector<char> buf(1 << 17);
        for (;;) {
            std::vector<pollfd> fds{{s.wake[0], POLLIN, 0}, {s.listenFd, POLLIN, 0}};
            for (int c : clients) fds.push_back({c, POLLIN, 0});
            if (poll(fds.data(), fds.size(), -1) < 0) continue;
            if (fds[0].revents) break;
            if (fds[1].revents & POLLIN) {
                const int c = accept4(s.listenFd, nullptr, nullptr, SOCK_CLOEXEC);
                if (c >= 0) clients.push_back(c);
            }
            for (std::size_t i = 2; i < fds.size(); ++i) {
                if (!fds[i].revents) continue;
                const int c = fds[i].fd;
                const ssize_t n = recv(c, buf.data(), buf.size(), 0);
                if (n <= 0) {
                    close(c);
                    std::erase(clients, c);
                    continue;
                }
                const std::string message(buf.data(), static_cast<std::size_t>(n));
                {
                    std::lock_guard lock(s.mutex);
                    s.received.push_back(message);
                }
                if (!s.handler) continue;
                if (const std::optional<std::string> answer = s.handler(message))
                    (void)!send(c, answer->data(), answer->size(), MSG_NOSIGNAL);
            }
        }
        for (int c : clients) close(c);
    }

    void Remember(const std::string& name, const std::string& value) {
        const char* old = getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name.c_str(), value.c_str(), 1);
    }

    std::string root_;
    std::map<int, std::unique_ptr<Served>> served_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace qm::test
