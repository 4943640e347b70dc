#include "sim/SimEndpoint.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <mutex>

#include "sim/ExternalTrigger.h"
#include "sim/ScpiParser.h"
#include "sim/SimMeter.h"

namespace qm::sim {
namespace {

constexpr std::size_t kMaxPendingAnswers = 64;
constexpr std::size_t kMaxPendingBytes = 1 << 20;
constexpr std::size_t kLongAnswerBytes = 3000;
constexpr std::string_view kGarbage = "#$%&\x01";
// While real time passes, a waiting read looks again this often for a
// trigger fired from another thread.
constexpr std::chrono::milliseconds kRealTimePoll{5};

struct Pending {
    std::string data;
    Clock::SteadyPoint readyAt;
    bool waitsForTrigger = false;
    std::size_t offset = 0;
};

}  // namespace

struct SimEndpoint::Impl {
    Impl(MeterConfig c, Clock& clk)
        : config(std::move(c)), clock(clk), shared(std::make_shared<SimMeter>(config)),
          meter(*shared), trigger(config.triggerAfter) {}
    Impl(std::shared_ptr<SimMeter> m, MeterConfig c, Clock& clk)
        : config(std::move(c)), clock(clk), shared(std::move(m)), meter(*shared),
          trigger(config.triggerAfter) {}

    Clock& timeClock() const { return config.faults.realTime ? systemClock() : clock; }
    bool dropDue() const {
        return config.faults.dropAfterMessages >= 0 && messages >= config.faults.dropAfterMessages;
    }
    void enqueue(const Response& r);
    // Ready when the front answer can be read now.
    bool frontReady(Clock::SteadyPoint now);
    IoOutcome take(std::size_t maxBytes, std::chrono::milliseconds timeout, std::string& out,
                   bool& end, std::unique_lock<std::mutex>& lock);

    MeterConfig config;
    Clock& clock;
    std::shared_ptr<SimMeter> shared;  // the meter; other links may share it
    SimMeter& meter;
    ExternalTrigger trigger;
    mutable std::mutex mutex;
    std::deque<Pending> queue;
    std::size_t queuedBytes = 0;
    long long messages = 0;
    bool lost = false;
    Response scratch;
};

void SimEndpoint::Impl::enqueue(const Response& r) {
    const Faults& f = config.faults;
    if (r.waitsForTrigger)
        for (const Pending& p : queue)
            if (p.waitsForTrigger) return;  // the meter still sits on the earlier one
    Pending p;
    p.data = f.garbage ? std::string(kGarbage) : r.text;
    if (f.longAnswer && p.data.size() < kLongAnswerBytes - 1)
        p.data.resize(kLongAnswerBytes - 1, ' ');
    p.data.push_back('\n');
    p.readyAt = timeClock().now() + f.answerDelay;
    p.waitsForTrigger = r.waitsForTrigger;
    // An answer nobody reads is eventually discarded, as a meter's output
    // queue does when it is never emptied.
    while (!queue.empty() &&
           (queue.size() >= kMaxPendingAnswers || queuedBytes + p.data.size() > kMaxPendingBytes)) {
        queuedBytes -= queue.front().data.size();
        queue.pop_front();
        meter.reportError(scpi::kQueryInterrupted);
    }
    if (p.data.size() > kMaxPendingBytes) {
        meter.reportError(scpi::kQueryInterrupted);
        return;
    }
    queuedBytes += p.data.size();
    queue.push_back(std::move(p));
}

bool SimEndpoint::Impl::frontReady(Clock::SteadyPoint now) {
    if (queue.empty()) return false;
    Pending& p = queue.front();
    if (p.waitsForTrigger) {
        if (!meter.operationComplete()) return false;
        p.waitsForTrigger = false;
    }
    return now >= p.readyAt;
}

IoOutcome SimEndpoint::Impl::take(std::size_t maxBytes, std::chrono::milliseconds timeout,
                                  std::string& out, bool& end, std::unique_lock<std::mutex>& lock) {
    end = false;
    Clock& c = timeClock();
    const auto deadline = c.now() + std::max(timeout, std::chrono::milliseconds(0));
    while (true) {
        if (lost) return IoOutcome::ConnectionLost;
        const auto now = c.now();
        trigger.fireIfDue(meter, now);
        if (frontReady(now)) {
            Pending& p = queue.front();
            const std::size_t n = std::min(maxBytes, p.data.size() - p.offset);
            out.append(p.data, p.offset, n);
            p.offset += n;
            if (p.offset == p.data.size()) {
                end = true;
                queuedBytes -= p.data.size();
                queue.pop_front();
            }
            return IoOutcome::Ok;
        }
        if (now >= deadline) return IoOutcome::Timeout;
        auto wake = deadline;
        if (!queue.empty() && !queue.front().waitsForTrigger)
            wake = std::min(wake, queue.front().readyAt);
        if (const auto pulse = trigger.dueAt()) wake = std::max(now, std::min(wake, *pulse));
        std::chrono::nanoseconds wait = wake - now;
        if (config.faults.realTime) wait = std::min<std::chrono::nanoseconds>(wait, kRealTimePoll);
        lock.unlock();
        c.sleepFor(wait);
        lock.lock();
    }
}

SimEndpoint::SimEndpoint(MeterConfig config, Clock& clock)
    : impl_(std::make_unique<Impl>(std::move(config), clock)) {}

SimEndpoint::SimEndpoint(std::shared_ptr<SimMeter> meter, MeterConfig config, Clock& clock)
    : impl_(std::make_unique<Impl>(std::move(meter), std::move(config), clock)) {}

SimEndpoint::~SimEndpoint() = default;

IoOutcome SimEndpoint::write(std::string_view bytes) {
    std::lock_guard lock(impl_->mutex);
    Impl& d = *impl_;
    if (d.lost) return IoOutcome::ConnectionLost;
    if (d.dropDue()) {
        d.lost = true;
        return IoOutcome::ConnectionLost;
    }
    ++d.messages;
    // Each line is one program message; the final line feed is optional.
    while (!bytes.empty()) {
        const std::size_t nl = bytes.find('\n');
        const std::string_view line = bytes.substr(0, nl);
        bytes.remove_prefix(nl == std::string_view::npos ? bytes.size() : nl + 1);
        if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
        d.meter.execute(line, d.scratch);
        if (d.scratch.answered && !d.config.faults.noAnswer) d.enqueue(d.scratch);
    }
    d.trigger.noteWaiting(!d.meter.operationComplete(), d.timeClock().now());
    if (d.dropDue()) d.lost = true;
    return IoOutcome::Ok;
}

ReadChunk SimEndpoint::read(std::size_t maxBytes, std::chrono::milliseconds timeout) {
    std::unique_lock lock(impl_->mutex);
    ReadChunk chunk;
    chunk.outcome = impl_->take(maxBytes, timeout, chunk.data, chunk.end, lock);
    return chunk;
}

IoOutcome SimEndpoint::readAnswer(std::string& out, std::chrono::milliseconds timeout) {
    std::unique_lock lock(impl_->mutex);
    bool end = false;
    return impl_->take(std::numeric_limits<std::size_t>::max(), timeout, out, end, lock);
}

void SimEndpoint::clear() {
    std::lock_guard lock(impl_->mutex);
    impl_->queue.clear();
    impl_->queuedBytes = 0;
}

bool SimEndpoint::connected() const {
    std::lock_guard lock(impl_->mutex);
    return !impl_->lost;
}

SimMeter& SimEndpoint::meter() {
    return impl_->meter;
}

void SimEndpoint::setFaults(const Faults& faults) {
    std::lock_guard lock(impl_->mutex);
    impl_->config.faults = faults;
}

const MeterConfig& SimEndpoint::config() const {
    return impl_->config;
}

std::optional<std::chrono::nanoseconds> SimEndpoint::nextAnswerIn() const {
    std::lock_guard lock(impl_->mutex);
    const Impl& d = *impl_;
    if (d.lost || d.queue.empty()) return std::nullopt;
    const Pending& p = d.queue.front();
    const auto now = d.timeClock().now();
    if (p.waitsForTrigger && !d.meter.operationComplete()) {
        // A scheduled pulse will release it; a server waits that long for it.
        const auto pulse = d.trigger.dueAt();
        if (!pulse) return std::nullopt;
        return std::max<std::chrono::nanoseconds>(*pulse - now, std::chrono::nanoseconds(0));
    }
    const auto left = p.readyAt - now;
    return std::max<std::chrono::nanoseconds>(left, std::chrono::nanoseconds(0));
}

std::size_t SimEndpoint::pendingAnswers() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->queue.size();
}

void SimEndpoint::resetLink() {
    std::lock_guard lock(impl_->mutex);
    impl_->lost = false;
    impl_->messages = 0;
    impl_->queue.clear();
    impl_->queuedBytes = 0;
}

}  // namespace qm::sim
