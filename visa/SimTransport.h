#pragma once
// The sim backend: a session's link to an in-process simulated meter.
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Clock.h"
#include "sim/SimEndpoint.h"
#include "visa/Transport.h"

namespace qm::visa {

// One simulated meter. Every session opened to the same table entry shares
// it, as sessions share a physical meter: its settings survive a close and
// reopen (Refresh), and a lost link stays lost.
struct SimDevice {
    SimDevice(const sim::MeterConfig& config, Clock& clock) : endpoint(config, clock) {}
    std::mutex mutex;  // one transfer at a time, whichever session makes it
    sim::SimEndpoint endpoint;
    std::atomic<bool> lost{false};  // readable without waiting for a transfer
};

// The simulated meters of one resource table, created on first open.
class SimDevicePool {
  public:
    SimDevicePool(std::size_t entries, Clock& clock) : devices_(entries), clock_(clock) {}
    std::shared_ptr<SimDevice> device(std::size_t index, const sim::MeterConfig& config);
    // True when the meter has lost its link: it is gone from the bus.
    bool lost(std::size_t index) const;
    Clock& clock() const { return clock_; }

  private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<SimDevice>> devices_;
    Clock& clock_;
};

class SimTransport final : public Transport {
  public:
    // `clock` is the one the device runs on; a real-time device measures its
    // deadlines on the system clock instead.
    SimTransport(std::shared_ptr<SimDevice> device, Clock& clock);

    ViStatus write(const ViByte* data, std::size_t count, std::size_t& written) override;
    ViStatus read(ViByte* buffer, std::size_t count, std::size_t& received) override;
    ViStatus clear() override;
    void setTimeout(ViUInt32 milliseconds) override;

    sim::SimEndpoint& endpoint() { return device_->endpoint; }

  private:
    ViStatus noteLoss(ViStatus status);

    std::shared_ptr<SimDevice> device_;
    Clock& clock_;
    std::chrono::milliseconds timeout_{2000};
};

}  // namespace qm::visa
