#include "sim/ExternalTrigger.h"

#include "sim/SimMeter.h"

namespace qm::sim {

void ExternalTrigger::noteWaiting(bool waiting, Clock::SteadyPoint now) {
    if (!after_) return;
    if (!waiting)
        dueAt_.reset();
    else if (!dueAt_)
        dueAt_ = now + *after_;
}

bool ExternalTrigger::fireIfDue(SimMeter& meter, Clock::SteadyPoint now) {
    if (!dueAt_ || now < *dueAt_) return false;
    dueAt_.reset();
    // A meter armed for several triggers gets one pulse per period.
    const bool fired = meter.fireTrigger();
    noteWaiting(!meter.operationComplete(), now);
    return fired;
}

}  // namespace qm::sim
