// The logging members of the engine's interface and the host's tick.
#include <cmath>
#include <cstdlib>

#include "config/NumberText.h"
#include "link/Application.h"
#include "link/ChartNames.h"
#include "link/DateSerial.h"
#include "link/EngineState.h"
#include "link/Logging.h"

namespace qm::link {

namespace {

constexpr sheet::CellRef kF1{1, 6}, kF3{3, 6};

// Whole text is a number (blanks around it allowed), as IsNumeric sees it.
bool IsNumeric(std::string_view text) {
    const auto b = text.find_first_not_of(' ');
    if (b == std::string_view::npos) return false;
    const std::string t(text.substr(b, text.find_last_not_of(' ') - b + 1));
    char* end = nullptr;
    std::strtod(t.c_str(), &end);
    return end == t.c_str() + t.size() && t.find_first_of("xXnN") == std::string::npos;
}

Variant SheetError(const sheet::SheetStatus& s) {
    return {AutomationError{1004, s.description()}};
}

}  // namespace

Variant Application::StartTimer(std::int32_t& m_Interval) {
    StartLogging(*engine_, m_Interval);
    return {};
}

Variant Application::PauseTimer() {
    PauseLogging(*engine_);
    return {};
}

Variant Application::Stop_Pause() {
    ResumeLogging(*engine_);
    return {};
}

Variant Application::Settrigdelay(double trigsec) {
    engine_->triggerDelay = trigsec;
    return {};
}

Variant Application::StopTimer() {
    StopRequested(*engine_);
    return {};
}

Variant Application::SetNumberOfReading(std::int32_t m_count) {
    engine_->readPoints = m_count;
    return {};
}

Variant Application::AddChart(std::int16_t& val1, bool& val2) {
    EngineState& e = *engine_;
    e.addChart = val1;
    e.inSheet = val2;
    e.loggingSession = wkSesn;
    PrepareChart(e);
    const auto names = ChartNameFormulas(val1, e.sheet ? e.sheet->Name() : std::string(), e.dual);
    if (names.empty()) return {};
    if (!e.sheet) return {AutomationError{kObjectNotSet, "Object variable not set"}};
    for (const auto& [name, formula] : names)
        if (const auto s = e.sheet->DefineName(name, formula); !s) return SheetError(s);
    return {};
}

Variant Application::SetAtTime(const std::string& var) {
    const auto when = ParseDateTime(var);
    if (!when) return {AutomationError{kTypeMismatch, "Type mismatch"}};
    engine_->atTime = *when;
    return {};
}

Variant Application::SetBegin(std::int32_t iVal) {
    EngineState& e = *engine_;
    e.begin = iVal;
    if (iVal == 2) {
        if (!e.sheet) return {AutomationError{kObjectNotSet, "Object variable not set"}};
        const sheet::CellWrite f1{kF1, sheet::DateTime{e.atTime}};
        if (const auto s = e.sheet->WriteCells({&f1, 1}); !s) return SheetError(s);
    }
    return {};
}

Variant Application::SetTerimnatingUpon(std::int32_t iVal) {
    engine_->terminating = iVal;
    return {};
}

Variant Application::SetStopTime(const std::string& StopHour, const std::string& StopMin,
                                 const std::string& StopSec) {
    EngineState& e = *engine_;
    e.stopHours = AsciiToDouble(StopHour);
    e.stopMinutes = AsciiToDouble(StopMin);
    e.stopSeconds = AsciiToDouble(StopSec);
    if (!e.sheet) return {AutomationError{kObjectNotSet, "Object variable not set"}};
    const auto f1 = e.sheet->ReadCell(kF1);
    if (!f1) return SheetError(f1.status());
    double start = 0;
    if (const double* d = std::get_if<double>(&f1.value()))
        start = *d;
    else if (const auto* t = std::get_if<sheet::DateTime>(&f1.value()))
        start = t->serial;
    else if (const auto* text = std::get_if<std::string>(&f1.value()))
        start = ParseDateTime(*text).value_or(0);
    e.stopDateTime = AddTime(start, IsNumeric(StopHour) ? e.stopHours : 0,
                             IsNumeric(StopMin) ? e.stopMinutes : 0,
                             IsNumeric(StopSec) ? e.stopSeconds : 0);
    const sheet::CellWrite f3{kF3, sheet::DateTime{e.stopDateTime}};
    if (const auto s = e.sheet->WriteCells({&f3, 1}); !s) return SheetError(s);
    return {};
}

void Application::Tick() { TickEngine(*engine_); }

std::optional<std::chrono::milliseconds> Application::NextTickIn() const {
    const EngineState& e = *engine_;
    if (e.timer.handler == TimerHandler::None) {
        // A chart move held back waits for a tick too.
        if (e.chart && (e.wantedFirst != e.chartFirst || e.wantedLast != e.chartLast))
            return std::chrono::milliseconds(100);
        return std::nullopt;
    }
    const auto left = e.timer.due - e.now();
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::ceil<std::chrono::milliseconds>(left));
}

bool Application::LoggingActive() const { return engine_->active; }
bool Application::Running() const { return engine_->running; }
int Application::RowCounter() const { return engine_->rowCounter; }
int Application::ReadingsLogged() const { return engine_->readingsLogged; }
std::vector<sheet::CommandBarControl> Application::CommandBarControls() const {
    return {engine_->controls.begin(), engine_->controls.end()};
}

}  // namespace qm::link
