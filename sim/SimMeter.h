#pragma once
// One simulated meter (TX41, TX42 or QMTX42), safe to share between the
// thread that talks to it and a test thread. Tests use the accessors to
// set the simulated input and to look at what the meter was told.
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/MeterCore.h"
#include "sim/MeterModels.h"
#include "sim/MeterState.h"
#include "sim/SimEndpoint.h"

namespace qm::sim {

class SimMeter {
  public:
    explicit SimMeter(const MeterConfig& config);

    // Runs one program message (no terminator) and gives its answer.
    Response execute(std::string_view message);
    // The same, reusing the caller's response buffer.
    void execute(std::string_view message, Response& out);

    // The simulated input of the main and second function (nullopt: a
    // plausible default per function). Temperatures are in degrees Celsius.
    void setValue(std::optional<double> v);
    void setValue2(std::optional<double> v);
    void setNoise(double relative);  // < 0: the model's default

    // Queues an error as if the meter had found it (the link reports
    // discarded answers this way).
    void reportError(int code);

    // A pulse on the external trigger input.
    bool fireTrigger();
    bool operationComplete() const;

    const ModelSpec& model() const;
    std::string identity() const;
    Fn function() const;
    Fn function2() const;
    // The range `f` uses now as the meter reports it (auto range resolved,
    // 750 V AC as 1000); 0 when the function has no range.
    double range(Fn f) const;
    bool autoRange(Fn f) const;
    MeterState state() const;  // a copy of everything else

    // Pending errors, oldest first (not consumed).
    std::vector<ScpiError> errors() const;
    int eventStatus() const;  // *ESR? without clearing it

    // Messages received, oldest first; the log keeps the newest `limit`.
    std::vector<std::string> commandLog() const;
    void clearCommandLog();
    void setCommandLogLimit(std::size_t limit);

  private:
    mutable std::mutex mutex_;
    MeterCore core_;
};

}  // namespace qm::sim
