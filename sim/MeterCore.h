#pragma once
// The meter itself, single-threaded: runs program messages against its
// state and simulates readings. SimMeter wraps it for concurrent use.
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "sim/MeterModels.h"
#include "sim/MeterState.h"
#include "sim/SimEndpoint.h"

namespace qm::sim {

// The answer to one program message: the query answers joined by ';'
// (without the terminator).
struct Response {
    std::string text;
    bool answered = false;
    // An answer (*OPC?, READ?, FETC?) that the meter gives only once the
    // pending trigger has fired.
    bool waitsForTrigger = false;
};

class MeterCore {
  public:
    static constexpr double kOverload = 9.9e37;
    static constexpr int kMaxReadingsPerInit = 5000;

    explicit MeterCore(const MeterConfig& config);

    void execute(std::string_view message, Response& out);
    void reset();  // *RST

    const ModelSpec& model() const { return *model_; }
    MeterState& state() { return state_; }
    const MeterState& state() const { return state_; }
    ErrorQueue& errors() { return errors_; }
    const ErrorQueue& errors() const { return errors_; }
    std::string identity() const;

    // Inputs of the simulated circuit; nullopt selects a plausible default.
    void setInput(std::optional<double> v) { value_ = v; }
    void setInput2(std::optional<double> v) { value2_ = v; }
    void setNoise(double relative) { noise_ = relative; }
    double noise() const { return noise_ < 0 ? model_->defaultNoise : noise_; }

    // The range that `owner` (a settings owner, see FunctionInfo) is on now,
    // with auto range resolved for the present input; 0 when it has none.
    double rangeInUse(Fn owner) const;
    // Switches the primary function, dropping a second function that may
    // not run beside it.
    void setPrimary(Fn f);
    // DC current shared with a second function needs a fixed range of at
    // least 1 A.
    bool dcCurrentShared() const;
    void enforceSharedCurrentRange();

    // One reading ("main" or "main,second"), appended to out.
    void appendReading(std::string& out);
    // INIT: takes the readings (immediately, or armed for the trigger).
    // False (with -213 queued) when a trigger is already awaited.
    bool initiate();
    // One trigger event; false when nothing waits for it.
    bool fireTrigger();
    void abort();
    bool operationComplete() const { return !state_.waitingForTrigger; }
    // *OPC: the OPC bit is set now, or when the awaited trigger arrives.
    void requestOpc();
    // *CLS
    void clearStatus();

    // Set by handlers while a message runs.
    bool answerWaitsForTrigger = false;

    // Messages received, oldest first, at most logLimit entries.
    std::deque<std::string> log;
    std::size_t logLimit = 1000;

  private:
    double measure(Fn f, std::optional<double> configured);
    double inputOf(Fn f, std::optional<double> configured) const;
    double primaryInputFor(Fn owner) const;

    const ModelSpec* model_;
    std::string serial_;
    std::optional<std::string> identityOverride_;
    bool emptyIdentity_;
    std::optional<double> value_;
    std::optional<double> value2_;
    double noise_;
    std::mt19937 rng_;
    MeterState state_;
    ErrorQueue errors_;
    bool opcPending_ = false;
    std::string scratch_;
};

}  // namespace qm::sim
