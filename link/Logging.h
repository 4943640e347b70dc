#pragma once
// The logging half of the engine, on the engine-wide state: meter I/O with
// its error boxes, the timer and its three handlers, starting, pausing and
// stopping a run, and the command bar's buttons.
#include <optional>
#include <string>
#include <string_view>

#include "link/EngineState.h"

namespace qm::link {

// One answer to "read?": the reading and, for a dual-function meter, the
// second reading (missing when the answer has no second value). A decimal
// comma counts as a point in a single reading.
struct LoggedReading {
    double first = 0;
    std::optional<double> second;
};
LoggedReading ParseLoggedAnswer(const std::string& answer, bool dual);

// The instrument commands of logging: written without a line feed.
ViStatus SendCommand(EngineState& e, std::string_view command);
// Up to 256 bytes; control characters removed, trimmed; "Error" on failure.
std::string ReadAnswer(EngineState& e);
// Send, then read (no read when the send failed: "Error").
std::string QueryCommand(EngineState& e, std::string_view command);

void StartEngineTimer(EngineState& e, std::chrono::milliseconds period, TimerHandler handler);
void KillEngineTimer(EngineState& e);
// Runs the timer's handler when it is due, and moves the chart if it waits.
void TickEngine(EngineState& e);

void StartLogging(EngineState& e, std::int32_t interval);
void PauseLogging(EngineState& e);
void ResumeLogging(EngineState& e);
void StopRequested(EngineState& e);
// Ends the run (once): timer, buttons, scroll bars, meter time-out, sheet.
void StopLogging(EngineState& e);

// AddChart: the logging session, the dual flag and the sheet's names.
void PrepareChart(EngineState& e);

// The command bar as SetApp leaves it: every macro and tip, START, PAUSE and
// STOP disabled.
void SetUpCommandBar(EngineState& e);

// The status bar, set only when the text changes.
void SetStatusText(EngineState& e, const std::string& text);

}  // namespace qm::link
