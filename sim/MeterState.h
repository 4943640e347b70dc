#pragma once
// Everything a simulated meter remembers between commands, plus its error
// queue and event status register.
#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>

#include "sim/MeterModels.h"

namespace qm::sim {

struct FunctionSettings {
    double range = 0;  // nominal full scale of the fixed range (0: the function has none)
    bool autoRange = true;
    double nplc = 1;
    double aperture = 0.1;
};

struct RtdCoefficients {
    double alpha = 0.00385;
    double beta = 0.10863;
    double delta = 1.4999;
    double rzero = 100;
};

struct SprtdCoefficients {
    double rzero = 100;
    double a4 = -1.2e-4;
    double b4 = -1.5e-5;
    double ax = 1.7e-4;
    double bx = -2.5e-5;
    double cx = 0;
};

struct NtctCoefficients {
    double a = 1.129e-3;
    double b = 2.341e-4;
    double c = 8.775e-8;
};

enum class TriggerSource : std::uint8_t { Immediate, External, Bus };

struct MeterState {
    Fn function = Fn::VoltDc;
    Fn function2 = Fn::None;
    std::array<FunctionSettings, kFnCount> settings{};
    double bandwidth = 20;  // AC detector bandwidth, Hz
    char temperatureUnit = 'C';
    int rtdType = 0;  // index into the model's sensor list
    bool fourWireRtd = false;
    char thermocoupleType = 'K';
    RtdCoefficients rtd;
    SprtdCoefficients sprtd;
    NtctCoefficients ntct;
    TriggerSource triggerSource = TriggerSource::Immediate;
    double triggerCount = 1;
    double triggerDelay = 0;
    double sampleCount = 1;
    bool waitingForTrigger = false;
    int triggersLeft = 0;
    std::string memory;  // readings taken by INIT, for FETC?
    bool memoryValid = false;
    int ese = 0;
    int sre = 0;
};

struct ScpiError {
    int code = 0;
    std::string message;
    bool operator==(const ScpiError&) const = default;
};

// The SCPI error queue: first in, first out, at most kCapacity entries;
// when it is full the newest entry becomes -350 "Queue overflow" and later
// errors are dropped until it is read.
class ErrorQueue {
  public:
    static constexpr std::size_t kCapacity = 20;
    // Bits of the standard event status register.
    enum : int {
        kOpc = 1,
        kQueryError = 4,
        kDeviceError = 8,
        kExecutionError = 16,
        kCommandError = 32
    };

    void push(int code);
    ScpiError pop();  // +0 "No error" when empty
    void clear() { entries_.clear(); }
    bool empty() const { return entries_.empty(); }
    const std::deque<ScpiError>& entries() const { return entries_; }

    int esr() const { return esr_; }
    void setEsrBits(int bits) { esr_ |= bits; }
    int takeEsr() { return std::exchange(esr_, 0); }
    void clearEsr() { esr_ = 0; }

  private:
    std::deque<ScpiError> entries_;
    int esr_ = 0;
};

}  // namespace qm::sim
