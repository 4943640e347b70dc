#pragma once
// The external trigger input of a simulated meter, pulsed on a schedule: a
// meter configured with a trigger delay sees one pulse that long after it was
// armed (INIT with the external source), as if someone pressed a foot switch.
#include <chrono>
#include <optional>

#include "platform/Clock.h"

namespace qm::sim {

class SimMeter;

class ExternalTrigger {
  public:
    // nullopt: nothing ever pulses the input (tests fire it by hand or with *TRG).
    explicit ExternalTrigger(std::optional<std::chrono::milliseconds> after) : after_(after) {}

    // After every message: a meter that has just started to wait gets its
    // pulse scheduled; one that stopped waiting has it cancelled.
    void noteWaiting(bool waiting, Clock::SteadyPoint now);
    // Pulses the input when the moment has come; true when it did.
    bool fireIfDue(SimMeter& meter, Clock::SteadyPoint now);
    // When the scheduled pulse arrives; nullopt when none is scheduled.
    std::optional<Clock::SteadyPoint> dueAt() const { return dueAt_; }

  private:
    std::optional<std::chrono::milliseconds> after_;
    std::optional<Clock::SteadyPoint> dueAt_;
};

}  // namespace qm::sim
