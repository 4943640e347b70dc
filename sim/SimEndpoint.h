#pragma once
// One simulated meter as a bus sees it: messages go in, answers come out,
// with the meter's timing and any injected faults. The in-process VISA
// backend and the qm_sim TCP server both drive this class.
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace qm::sim {

class SimMeter;

struct Faults {
    bool noAnswer = false;                         // queries are never answered (reads time out)
    std::chrono::milliseconds answerDelay{0};      // every answer is ready only after this delay
    int dropAfterMessages = -1;                    // link lost after this many messages written; -1 never
    bool garbage = false;                          // answers are replaced by unparseable bytes
    bool longAnswer = false;                       // answers are padded beyond 1024 bytes
    bool emptyIdentity = false;                    // *IDN? answers an empty line
    bool realTime = false;                         // delays cost real time instead of virtual time
};

struct MeterConfig {
    std::string model;                    // "TX41", "TX42" or "QMTX42"
    std::string serial;                   // "SN000001"
    std::optional<std::string> identity;  // overrides the *IDN? answer (any maker)
    Faults faults;
    std::optional<double> value;          // simulated input of the main function (else a plausible one)
    std::optional<double> value2;         // simulated input of the second function
    double noise = -1;                    // relative noise; < 0 means the model's default
    unsigned seed = 1;
    // The external trigger input pulses this long after the meter is armed.
    std::optional<std::chrono::milliseconds> triggerAfter;
};

enum class IoOutcome { Ok, Timeout, ConnectionLost };

struct ReadChunk {
    IoOutcome outcome = IoOutcome::Ok;
    std::string data;  // bytes delivered by this read
    bool end = false;  // true when data ends the answer (END / EOM)
};

class SimEndpoint {
public:
    SimEndpoint(MeterConfig config, Clock& clock);
    // Another link to a meter that several links share (qm_sim's clients):
    // commands reach the one meter, answers come back on this link only.
    SimEndpoint(std::shared_ptr<SimMeter> meter, MeterConfig config, Clock& clock);
    ~SimEndpoint();
    SimEndpoint(const SimEndpoint&) = delete;
    SimEndpoint& operator=(const SimEndpoint&) = delete;

    // One message as written by the host; a trailing line feed is optional
    // (the live loop writes "read?" without one). Several commands may be
    // joined by ';'.
    IoOutcome write(std::string_view bytes);
    // Up to maxBytes of the pending answer. With nothing pending (or not yet
    // ready) waits up to timeout on the clock, then reports Timeout.
    ReadChunk read(std::size_t maxBytes, std::chrono::milliseconds timeout);
    // Device clear: pending answers are dropped, input parsing restarts.
    void clear();
    bool connected() const;

    SimMeter& meter();
    const MeterConfig& config() const;

    // --- for the qm_sim server and for tests ---
    // Time until the first pending answer becomes readable (zero when it
    // is); nullopt when nothing is pending or it awaits a trigger.
    std::optional<std::chrono::nanoseconds> nextAnswerIn() const;
    // Appends the whole first answer to `out` (waiting up to timeout).
    IoOutcome readAnswer(std::string& out, std::chrono::milliseconds timeout);
    std::size_t pendingAnswers() const;
    // Changes the faults from now on (a meter that starts to misbehave).
    void setFaults(const Faults& faults);
    // A new link to the same meter (the server's next client): the lost
    // state and the message count of dropAfterMessages start again.
    void resetLink();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace qm::sim
