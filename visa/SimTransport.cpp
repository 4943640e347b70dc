#include "visa/SimTransport.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace qm::visa {

namespace {

// VI_TMO_INFINITE on a simulated meter: long enough to count as for ever,
// short enough to keep time-point arithmetic far from overflow.
constexpr std::chrono::milliseconds kForever = std::chrono::hours(24 * 365);

ViStatus statusOf(sim::IoOutcome outcome) {
    switch (outcome) {
        case sim::IoOutcome::Ok:
            return VI_SUCCESS;
        case sim::IoOutcome::Timeout:
            return VI_ERROR_TMO;
        case sim::IoOutcome::ConnectionLost:
            break;
    }
    return VI_ERROR_CONN_LOST;
}

}  // namespace

std::shared_ptr<SimDevice> SimDevicePool::device(std::size_t index,
                                                 const sim::MeterConfig& config) {
    std::lock_guard lock(mutex_);
    if (index >= devices_.size()) return nullptr;
    if (!devices_[index]) devices_[index] = std::make_shared<SimDevice>(config, clock_);
    return devices_[index];
}

bool SimDevicePool::lost(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return index < devices_.size() && devices_[index] && devices_[index]->lost.load();
}

SimTransport::SimTransport(std::shared_ptr<SimDevice> device, Clock& clock)
    : device_(std::move(device)),
      clock_(device_->endpoint.config().faults.realTime ? systemClock() : clock) {}

ViStatus SimTransport::noteLoss(ViStatus status) {
    if (status == VI_ERROR_CONN_LOST) device_->lost = true;
    return status;
}

ViStatus SimTransport::write(const ViByte* data, std::size_t count, std::size_t& written) {
    written = 0;
    std::lock_guard lock(device_->mutex);
    const ViStatus status = statusOf(
        device_->endpoint.write(std::string_view(reinterpret_cast<const char*>(data), count)));
    if (status == VI_SUCCESS) written = count;
    return noteLoss(status);
}

ViStatus SimTransport::read(ViByte* buffer, std::size_t count, std::size_t& received) {
    received = 0;
    std::lock_guard lock(device_->mutex);
    const Clock::SteadyPoint deadline = clock_.now() + timeout_;
    while (true) {
        const auto left =
            std::max(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_.now()),
                     std::chrono::milliseconds(0));
        const sim::ReadChunk chunk = device_->endpoint.read(count - received, left);
        if (chunk.outcome != sim::IoOutcome::Ok) return noteLoss(statusOf(chunk.outcome));
        const std::size_t n = std::min(chunk.data.size(), count - received);
        if (n > 0) std::memcpy(buffer + received, chunk.data.data(), n);
        received += n;
        if (chunk.end && n == chunk.data.size()) return VI_SUCCESS;
        if (received == count) return VI_SUCCESS_MAX_CNT;
        // A chunk that brings nothing would make this loop spin on a clock
        // that does not move; count it as the wait running out.
        if (n == 0 || clock_.now() >= deadline) return VI_ERROR_TMO;
    }
}

ViStatus SimTransport::clear() {
    std::lock_guard lock(device_->mutex);
    device_->endpoint.clear();
    return noteLoss(device_->endpoint.connected() ? VI_SUCCESS : VI_ERROR_CONN_LOST);
}

void SimTransport::setTimeout(ViUInt32 milliseconds) {
    timeout_ = milliseconds == VI_TMO_INFINITE ? kForever : std::chrono::milliseconds(milliseconds);
}

}  // namespace qm::visa
