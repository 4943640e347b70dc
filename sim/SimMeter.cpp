#include "sim/SimMeter.h"

namespace qm::sim {

SimMeter::SimMeter(const MeterConfig& config) : core_(config) {}

Response SimMeter::execute(std::string_view message) {
    Response r;
    execute(message, r);
    return r;
}

void SimMeter::execute(std::string_view message, Response& out) {
    std::lock_guard lock(mutex_);
    core_.execute(message, out);
}

void SimMeter::setValue(std::optional<double> v) {
    std::lock_guard lock(mutex_);
    core_.setInput(v);
}

void SimMeter::setValue2(std::optional<double> v) {
    std::lock_guard lock(mutex_);
    core_.setInput2(v);
}

void SimMeter::setNoise(double relative) {
    std::lock_guard lock(mutex_);
    core_.setNoise(relative);
}

void SimMeter::reportError(int code) {
    std::lock_guard lock(mutex_);
    core_.errors().push(code);
}

bool SimMeter::fireTrigger() {
    std::lock_guard lock(mutex_);
    return core_.fireTrigger();
}

bool SimMeter::operationComplete() const {
    std::lock_guard lock(mutex_);
    return core_.operationComplete();
}

const ModelSpec& SimMeter::model() const {
    return core_.model();
}

std::string SimMeter::identity() const {
    std::lock_guard lock(mutex_);
    return core_.identity();
}

Fn SimMeter::function() const {
    std::lock_guard lock(mutex_);
    return core_.state().function;
}

Fn SimMeter::function2() const {
    std::lock_guard lock(mutex_);
    return core_.state().function2;
}

double SimMeter::range(Fn f) const {
    std::lock_guard lock(mutex_);
    const Fn owner = info(f).settingsOf;
    return reportedRange(owner, core_.rangeInUse(owner));
}

bool SimMeter::autoRange(Fn f) const {
    std::lock_guard lock(mutex_);
    return core_.state().settings[index(info(f).settingsOf)].autoRange;
}

MeterState SimMeter::state() const {
    std::lock_guard lock(mutex_);
    return core_.state();
}

std::vector<ScpiError> SimMeter::errors() const {
    std::lock_guard lock(mutex_);
    const auto& e = core_.errors().entries();
    return {e.begin(), e.end()};
}

int SimMeter::eventStatus() const {
    std::lock_guard lock(mutex_);
    return core_.errors().esr();
}

std::vector<std::string> SimMeter::commandLog() const {
    std::lock_guard lock(mutex_);
    return {core_.log.begin(), core_.log.end()};
}

void SimMeter::clearCommandLog() {
    std::lock_guard lock(mutex_);
    core_.log.clear();
}

void SimMeter::setCommandLogLimit(std::size_t limit) {
    std::lock_guard lock(mutex_);
    core_.logLimit = limit;
    while (core_.log.size() > limit) core_.log.pop_front();
}

}  // namespace qm::sim
