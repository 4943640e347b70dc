#include "sim/MeterCore.h"

#include <algorithm>
#include <cmath>

#include "sim/MeterCommands.h"
#include "sim/ScpiParser.h"

namespace qm::sim {

void ErrorQueue::push(int code) {
    if (code <= -100 && code > -200)
        esr_ |= kCommandError;
    else if (code <= -200 && code > -300)
        esr_ |= kExecutionError;
    else if (code <= -300 && code > -400)
        esr_ |= kDeviceError;
    else if (code <= -400 && code > -500)
        esr_ |= kQueryError;
    if (entries_.size() < kCapacity) {
        entries_.push_back({code, std::string(scpi::errorText(code))});
    } else if (entries_.back().code != scpi::kQueueOverflow) {
        entries_.back() = {scpi::kQueueOverflow,
                           std::string(scpi::errorText(scpi::kQueueOverflow))};
    }
}

ScpiError ErrorQueue::pop() {
    if (entries_.empty()) return {0, "No error"};
    ScpiError e = std::move(entries_.front());
    entries_.pop_front();
    return e;
}

MeterCore::MeterCore(const MeterConfig& config)
    : model_(findModel(config.model)),
      serial_(config.serial.empty() ? "SN000001" : config.serial),
      identityOverride_(config.identity),
      emptyIdentity_(config.faults.emptyIdentity),
      value_(config.value),
      value2_(config.value2),
      noise_(config.noise),
      rng_(config.seed) {
    if (!model_) model_ = &defaultModel();
    reset();
}

std::string MeterCore::identity() const {
    if (emptyIdentity_) return {};
    if (identityOverride_) return *identityOverride_;
    std::string id = "Varnet, ";
    id.append(model_->identityModel).append(", ").append(serial_).append(", V1.00");
    return id;
}

void MeterCore::reset() {
    const int ese = state_.ese;
    const int sre = state_.sre;
    state_ = MeterState{};
    state_.ese = ese;
    state_.sre = sre;
    for (int f = 0; f < kFnCount; ++f) {
        const RangeList& r = model_->ranges[f];
        state_.settings[f].range = r.count ? r.values[r.count - 1] : 0;
    }
    opcPending_ = false;
}

void MeterCore::execute(std::string_view message, Response& out) {
    out.text.clear();
    out.answered = false;
    out.waitsForTrigger = false;
    answerWaitsForTrigger = false;
    if (logLimit > 0) {
        while (log.size() >= logLimit) log.pop_front();
        log.emplace_back(message);
    }
    scpi::MessageParser parser(message);
    scpi::Unit unit;
    int error = 0;
    while (true) {
        const auto step = parser.next(unit, error);
        if (step == scpi::MessageParser::Step::End) break;
        if (step == scpi::MessageParser::Step::Error) {
            errors_.push(error);
            break;
        }
        scratch_.clear();
        if (dispatch(*this, unit, scratch_)) {
            if (out.answered) out.text.push_back(';');
            out.text += scratch_;
            out.answered = true;
        }
    }
    out.waitsForTrigger = out.answered && answerWaitsForTrigger && state_.waitingForTrigger;
}

void MeterCore::requestOpc() {
    if (state_.waitingForTrigger)
        opcPending_ = true;
    else
        errors_.setEsrBits(ErrorQueue::kOpc);
}

void MeterCore::clearStatus() {
    errors_.clear();
    errors_.clearEsr();
    opcPending_ = false;
}

double MeterCore::inputOf(Fn f, std::optional<double> configured) const {
    double v = configured ? *configured : info(f).defaultInput;
    if (info(f).quantity == Quantity::Celsius) {
        // Temperatures are simulated in degrees Celsius and shown in the unit chosen.
        if (state_.temperatureUnit == 'F')
            v = v * 9.0 / 5.0 + 32.0;
        else if (state_.temperatureUnit == 'K')
            v = v + 273.15;
    }
    return v;
}

double MeterCore::primaryInputFor(Fn owner) const {
    // Frequency and period autorange on the signal's amplitude, not on its frequency.
    if (owner == Fn::Freq || owner == Fn::Per) return info(Fn::VoltAc).defaultInput;
    if (owner == Fn::FreqCurr || owner == Fn::PerCurr) return info(Fn::CurrAc).defaultInput;
    if (info(state_.function).settingsOf == owner) return inputOf(state_.function, value_);
    if (state_.function2 != Fn::None && info(state_.function2).settingsOf == owner)
        return inputOf(state_.function2, value2_);
    return inputOf(owner, std::nullopt);
}

double MeterCore::rangeInUse(Fn owner) const {
    const RangeList& r = model_->ranges[index(owner)];
    if (r.count == 0) return 0;
    const FunctionSettings& s = state_.settings[index(owner)];
    if (!s.autoRange) return s.range;
    const int i = rangeIndexFor(*model_, owner, primaryInputFor(owner));
    return r.values[i < 0 ? r.count - 1 : i];
}

void MeterCore::setPrimary(Fn f) {
    state_.function = f;
    if (!secondAllowed(*model_, f, state_.function2)) state_.function2 = Fn::None;
    enforceSharedCurrentRange();
}

bool MeterCore::dcCurrentShared() const {
    return state_.function2 != Fn::None &&
           (state_.function == Fn::CurrDc || state_.function2 == Fn::CurrDc);
}

void MeterCore::enforceSharedCurrentRange() {
    if (!dcCurrentShared()) return;
    FunctionSettings& s = state_.settings[index(Fn::CurrDc)];
    if (!s.autoRange && s.range >= 1) return;
    s.range = std::max(rangeInUse(Fn::CurrDc), 1.0);
    s.autoRange = false;
}

double MeterCore::measure(Fn f, std::optional<double> configured) {
    // Continuity and diode read open unless the circuit closes below their threshold.
    if (f == Fn::Cont && (!configured || *configured >= 10)) return kOverload;
    if (f == Fn::Diod && (!configured || *configured >= 1.2)) return kOverload;
    double v = inputOf(f, configured);
    const Fn owner = info(f).settingsOf;
    const Quantity q = info(f).quantity;
    const bool ranged =
        model_->ranges[index(owner)].count > 0 &&
        (q == Quantity::Volt || q == Quantity::Amp || q == Quantity::Ohm || q == Quantity::Farad);
    if (ranged) {
        const FunctionSettings& s = state_.settings[index(owner)];
        double full = s.range;
        if (s.autoRange) {
            const RangeList& r = model_->ranges[index(owner)];
            const int i = rangeIndexFor(*model_, owner, v);
            full = r.values[i < 0 ? r.count - 1 : i];
        }
        if (std::fabs(v) > full * (1 + 1e-9)) return v < 0 ? -kOverload : kOverload;
    }
    const double n = noise();
    if (n > 0 && v != 0) {
        const double u = static_cast<double>(rng_()) / 4294967296.0 * 2.0 - 1.0;
        v *= 1.0 + n * u;
    }
    return v;
}

void MeterCore::appendReading(std::string& out) {
    scpi::appendNumber(out, measure(state_.function, value_));
    if (model_->secondRules.empty() || state_.function2 == Fn::None) return;
    out.push_back(',');
    scpi::appendNumber(out, measure(state_.function2, value2_));
}

bool MeterCore::initiate() {
    if (state_.waitingForTrigger) {
        errors_.push(scpi::kInitIgnored);
        return false;
    }
    const double wanted = state_.sampleCount * state_.triggerCount;
    const int total = static_cast<int>(std::clamp(wanted, 1.0, double(kMaxReadingsPerInit)));
    state_.memory.clear();
    for (int i = 0; i < total; ++i) {
        if (i > 0) state_.memory.push_back(',');
        appendReading(state_.memory);
    }
    if (state_.triggerSource == TriggerSource::Immediate) {
        state_.memoryValid = true;
        return true;
    }
    // Readings are simulated now and released when the last trigger arrives.
    state_.memoryValid = false;
    state_.waitingForTrigger = true;
    state_.triggersLeft = static_cast<int>(state_.triggerCount);
    return true;
}

bool MeterCore::fireTrigger() {
    if (!state_.waitingForTrigger) return false;
    if (--state_.triggersLeft <= 0) {
        state_.waitingForTrigger = false;
        state_.memoryValid = true;
        if (opcPending_) errors_.setEsrBits(ErrorQueue::kOpc);
        opcPending_ = false;
    }
    return true;
}

void MeterCore::abort() {
    state_.waitingForTrigger = false;
    state_.triggersLeft = 0;
    state_.memoryValid = false;
    opcPending_ = false;
}

}  // namespace qm::sim
