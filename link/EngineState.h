#pragma once
// The engine-wide state: one copy per loaded engine, shared by every
// Application object and by the timer's callbacks.
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "sheet/Spreadsheet.h"
#include "visa/visatype.h"

namespace qm::link {

inline constexpr const char* kProductName = "Varnet QM-Link";
inline constexpr const char* kDefaultLanguage = "English(U.S)";
inline constexpr int kCommandBarControls = 9;

// The engine's one timer: a period and a handler, due at a moment of the
// clock. Every start replaces the previous timer.
enum class TimerHandler { None, Reading, AtTime, Trigger };

struct EngineTimer {
    TimerHandler handler = TimerHandler::None;
    std::chrono::milliseconds period{0};
    Clock::SteadyPoint due{};
};

struct EngineState {
    Prompter* prompter = nullptr;
    Clock* clock = nullptr;

    std::shared_ptr<sheet::SpreadsheetApp> app;
    std::shared_ptr<sheet::Worksheet> sheet;
    std::string workbookName;
    std::vector<std::string> languages;
    std::string language = kDefaultLanguage;
    std::int16_t majorVersion = 0;
    bool running = false;

    // Logging parameters and their settings keys.
    std::int32_t numPoints = 0;    // "NumPoints"
    std::int32_t readPoints = 0;   // "ReadPoints"
    std::int32_t begin = 0;        // "Begin"
    std::int32_t terminating = 0;  // "Terminating"
    std::int16_t addChart = 0;     // "Add_Chart"
    bool inSheet = false;          // "In_Sheet"
    std::int32_t interval = 0;     // "Interval"
    double stopHours = 0;          // "StopTime_HH"
    double stopMinutes = 0;        // "StopTime_NN"
    double stopSeconds = 0;        // "StopTime_SS"

    // Logging state.
    int rowCounter = 2;
    ViSession loggingSession = 0;
    ViUInt32 savedTimeout = 0;
    bool timeoutSaved = false;  // savedTimeout belongs to this run
    bool dual = false;
    bool waitingForTrigger = false;
    bool triggered = false;
    bool errorFlag = false;
    double atTime = 0;        // date serials
    double stopDateTime = 0;
    double startDateTime = 0;
    double triggerDelay = 0;  // stored only
    std::string functionLabel;  // "CONT", "DIOD" or "----"
    EngineTimer timer;
    ViStatus lastStatus = 0;
    std::string answer;
    ViUInt32 byteCount = 0;

    int readingsLogged = 0;  // readings written by the current or last run
    // A run is in progress from StartTimer until logging stops.
    bool active = false;
    // The sheet failed under a run: no more sheet work in this run.
    bool sheetLost = false;
    std::array<sheet::CommandBarControl, kCommandBarControls> controls{};
    std::optional<std::string> statusText;  // last text put on the status bar

    // The chart of this run and the rows its series show.
    std::shared_ptr<sheet::Chart> chart;
    int chartFirst = 0, chartLast = 0;        // shown by the chart now
    int wantedFirst = 0, wantedLast = 0;      // to be shown
    std::optional<Clock::SteadyPoint> chartMovedAt;

    Clock::SteadyPoint now() const { return clock->now(); }
};

// Messages of the engine: all carry the product name as their title.
void ShowMessage(EngineState& e, const std::string& text, PromptIcon icon);

// The engine shared by every Application object alive now (a new one when none is).
std::shared_ptr<EngineState> AcquireEngine();

}  // namespace qm::link
