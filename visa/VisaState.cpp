#include "visa/VisaState.h"

namespace qm::visa {

VisaState& VisaState::instance() {
    static VisaState state;
    return state;
}

VisaState::VisaState() : ownClock(std::make_unique<ManualClock>()), simClock(ownClock.get()) {
    simDevices = std::make_shared<SimDevicePool>(0, *simClock);
}

ViObject VisaState::newHandle() {
    while (nextHandle_ == VI_NULL || objects.count(nextHandle_) != 0) ++nextHandle_;
    return nextHandle_++;
}

void VisaState::install(ResourceTable newTable) {
    table = std::move(newTable);
    simDevices = std::make_shared<SimDevicePool>(table.entries().size(), *simClock);
    tableChosen = true;
}

}  // namespace qm::visa
