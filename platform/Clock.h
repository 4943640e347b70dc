#pragma once
// Time for everything that waits or stamps: the program runs on the system
// clock, tests drive a ManualClock so that no test ever sleeps.
#include <chrono>
#include <mutex>
#include <thread>

namespace qm {

class Clock {
public:
    using SteadyPoint = std::chrono::steady_clock::time_point;
    using WallPoint = std::chrono::system_clock::time_point;

    virtual ~Clock() = default;
    // Monotonic time, for timeouts and tick cadence.
    virtual SteadyPoint now() const = 0;
    // Wall-clock time, for the time stamps written into records.
    virtual WallPoint wallNow() const = 0;
    // Lets time pass: a real sleep on the system clock, an advance on a manual one.
    virtual void sleepFor(std::chrono::nanoseconds d) = 0;
};

class SystemClock final : public Clock {
public:
    SteadyPoint now() const override { return std::chrono::steady_clock::now(); }
    WallPoint wallNow() const override { return std::chrono::system_clock::now(); }
    void sleepFor(std::chrono::nanoseconds d) override {
        if (d.count() > 0) std::this_thread::sleep_for(d);
    }
};

// Virtual time: only moves when told to (advance) or when something
// simulates a wait (sleepFor). Thread-safe so that a simulator thread and a
// test thread can share it.
class ManualClock final : public Clock {
public:
    explicit ManualClock(WallPoint wallStart = WallPoint{} + std::chrono::hours(24 * 365 * 56))
        : wallStart_(wallStart) {}
    SteadyPoint now() const override {
        std::lock_guard lock(mutex_);
        return SteadyPoint{} + elapsed_;
    }
    WallPoint wallNow() const override {
        std::lock_guard lock(mutex_);
        return wallStart_ + std::chrono::duration_cast<WallPoint::duration>(elapsed_);
    }
    void sleepFor(std::chrono::nanoseconds d) override { advance(d); }
    void advance(std::chrono::nanoseconds d) {
        std::lock_guard lock(mutex_);
        if (d.count() > 0) elapsed_ += d;
    }
    void setWall(WallPoint w) {
        std::lock_guard lock(mutex_);
        wallStart_ = w - std::chrono::duration_cast<WallPoint::duration>(elapsed_);
    }

private:
    mutable std::mutex mutex_;
    std::chrono::nanoseconds elapsed_{0};
    WallPoint wallStart_;
};

// The process-wide system clock.
inline Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace qm
