#include "link/Logging.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>

#include "config/NumberText.h"
#include "link/ChartNames.h"
#include "link/DateSerial.h"
#include "link/LinkSettings.h"
#include "link/LinkTexts.h"
#include "platform/AsciiCase.h"
#include "visa/visa.h"

namespace qm::link {
namespace {

using namespace std::chrono_literals;

constexpr ViUInt32 kLoggingTimeoutMs = 30000;
constexpr ViUInt32 kTriggerTimeoutMs = 10000;
constexpr std::size_t kAnswerBytes = 256;
constexpr auto kPollPeriod = 100ms;
// The chart's ranges move at most this often (and at most once a reading).
constexpr auto kChartMoveGap = 100ms;
constexpr auto kShortestTimerPeriod = 10ms;
constexpr int kMaxScrollReadings = 30000;
constexpr sheet::CellRef kF4{4, 6}, kF6{6, 6}, kF8{8, 6};

std::string Trimmed(std::string_view s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

// The answer without control characters (line ends, NULs), trimmed.
std::string Printable(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (char c : raw)
        if (static_cast<unsigned char>(c) >= 32) out.push_back(c);
    return Trimmed(out);
}

std::string StatusDescription(ViSession session, ViStatus status) {
    ViChar text[256] = {};
    viStatusDesc(session, status, text);
    return Trimmed(std::string_view(text, strnlen(text, sizeof text)));
}

ViStatus RawWrite(EngineState& e, std::string_view command) {
    ViUInt32 written = 0;
    e.lastStatus = viWrite(e.loggingSession, reinterpret_cast<ViConstBuf>(command.data()),
                           static_cast<ViUInt32>(command.size()), &written);
    e.byteCount = written;
    return e.lastStatus;
}

ViStatus RawRead(EngineState& e, std::string& out) {
    ViByte buf[kAnswerBytes];
    ViUInt32 got = 0;
    e.lastStatus = viRead(e.loggingSession, buf, static_cast<ViUInt32>(kAnswerBytes), &got);
    e.byteCount = got;
    out.assign(reinterpret_cast<const char*>(buf), std::min<std::size_t>(got, kAnswerBytes));
    const ViStatus status = e.lastStatus;
    // An answer longer than the buffer: the rest would pass for the answer
    // to the next command, so it is read away.
    for (int guard = 0; e.lastStatus == VI_SUCCESS_MAX_CNT && guard < 4096; ++guard)
        e.lastStatus = viRead(e.loggingSession, buf, static_cast<ViUInt32>(kAnswerBytes), &got);
    e.lastStatus = status;
    return status;
}

double NumberOf(const sheet::CellValue& v) {
    if (const double* d = std::get_if<double>(&v)) return *d;
    if (const auto* t = std::get_if<sheet::DateTime>(&v)) return t->serial;
    if (const auto* s = std::get_if<std::string>(&v)) return AsciiToDouble(*s);
    return 0;
}

std::int32_t WholeNumber(double v) {
    if (!(v > INT_MIN && v < INT_MAX)) return v > 0 ? INT_MAX : 0;
    return static_cast<std::int32_t>(std::lround(v));
}

// A reading as the meter sent it; a decimal comma counts as a point.
double ReadingNumber(std::string text) {
    const auto comma = text.find(',');
    if (comma != std::string::npos) text[comma] = '.';
    return AsciiToDouble(text);
}

void Show(EngineState& e, const char* heading, const std::string& detail,
          PromptIcon icon = PromptIcon::Error) {
    ShowMessage(e, std::string(heading) + "\n" + detail, icon);
}

// A failed write or read of logging I/O.
void IoFailed(EngineState& e, ViStatus status) {
    e.running = false;
    std::string text = StatusDescription(e.loggingSession, status);
    viClear(e.loggingSession);
    if (status != VI_ERROR_CONN_LOST) {
        std::string error;
        if (RawWrite(e, "syst:err?") >= VI_SUCCESS && RawRead(e, error) >= VI_SUCCESS)
            text += "\n" + Printable(error);
    }
    e.lastStatus = status;
    Show(e, texts::kErrorStatus, text);
    e.errorFlag = true;
    StopLogging(e);
}

void PushCommandBar(EngineState& e) {
    if (e.app) (void)e.app->SetCommandBar(kProductName, e.controls);
}

void SetButtons(EngineState& e, bool start, bool pause, bool stop) {
    e.controls[6].enabled = start;
    e.controls[7].enabled = pause;
    e.controls[8].enabled = stop;
    PushCommandBar(e);
}

void SetToolsVisible(EngineState& e, bool visible) {
    for (int i = 1; i <= 5; ++i) e.controls[static_cast<std::size_t>(i)].visible = visible;
}

// The sheet failed under a run: say so once and end the run.
void SheetFailed(EngineState& e, const std::string& description) {
    e.sheetLost = true;
    e.running = false;
    Show(e, texts::kSheetLost, description);
    StopLogging(e);
}

void MoveChart(EngineState& e, bool final) {
    if (!e.chart || e.sheetLost) return;
    if (e.wantedFirst == e.chartFirst && e.wantedLast == e.chartLast) return;
    const auto now = e.now();
    if (!final && e.chartMovedAt && now - *e.chartMovedAt < kChartMoveGap) return;
    e.chartMovedAt = now;
    if (e.chart->ShowRows(e.wantedFirst, e.wantedLast)) {
        e.chartFirst = e.wantedFirst;
        e.chartLast = e.wantedLast;
    } else {
        e.chart.reset();  // gone from the sheet (deleted by the user): the run goes on without it
    }
}

void CreateChart(EngineState& e) {
    sheet::ChartSpec spec;
    spec.name = "DmmChart";
    spec.first = {{1, 2}, 2};
    if (e.dual) spec.secondary.push_back({{1, 3}, 3});
    spec.onDataSheet = e.inSheet;
    spec.anchor = {2, 8};
    spec.firstRow = spec.lastRow = 2;
    auto created = e.sheet->AddChart(spec);
    if (!created) {
        Show(e, e.majorVersion <= 11 ? texts::kCreateChartError1 : texts::kCreateChartError2,
             created.description());
        return;
    }
    e.chart = created.value();
    e.chartFirst = e.chartLast = e.wantedFirst = e.wantedLast = 2;
    e.chartMovedAt = e.now();
}

void SetScrollBars(EngineState& e) {
    int n = std::min(e.rowCounter - 2, kMaxScrollReadings);
    if (n <= 0) n = 1;
    const auto f8 = e.sheet->ReadCell(kF8);
    if (!f8) {
        Show(e, texts::kScrollBarError, f8.description());
        return;
    }
    const int window = std::clamp(WholeNumber(NumberOf(f8.value())), 1, n);
    const sheet::ScrollBarSettings first{1, n, 1, 5, n, kF6};
    const sheet::ScrollBarSettings second{1, n, 1, 5, window, kF8};
    for (const auto& [name, settings] : {std::pair{"Scroll Bar 1", first}, {"Scroll Bar 2", second}}) {
        const sheet::SheetStatus s = e.sheet->SetScrollBar(name, settings);
        if (!s) {
            Show(e, texts::kScrollBarError, s.description());
            return;
        }
    }
}

void ReadingTick(EngineState& e) {
    const auto wall = e.clock->wallNow();
    if (!e.running) return;
    SetStatusText(e, texts::kStatusReading);
    const std::string answer = QueryCommand(e, "read?");
    if (e.errorFlag) {
        StopLogging(e);
        return;
    }
    std::vector<sheet::CellValue> row;
    row.reserve(3);
    row.emplace_back(std::in_place_type<std::string>, ReadingTimeStamp(wall));
    const LoggedReading reading = ParseLoggedAnswer(answer, e.dual);
    row.emplace_back(std::in_place_type<double>, reading.first);
    if (e.dual && reading.second)
        row.emplace_back(std::in_place_type<double>, *reading.second);
    else if (e.dual)
        row.emplace_back();
    if (const auto s = e.sheet->WriteRow(e.rowCounter, row); !s) return SheetFailed(e, s.description());

    const int count = e.rowCounter - 1;
    e.readingsLogged = count;
    const bool charted = e.addChart == kAllReadings || e.addChart == kStripChart;
    sheet::CellWrite counters[2];
    counters[0].cell = kF4;
    counters[0].value.emplace<double>(count);
    counters[1].cell = kF6;
    counters[1].value.emplace<double>(count);
    if (const auto s = e.sheet->WriteCells({counters, charted ? 2u : 1u}); !s) return SheetFailed(e, s.description());
    if (charted && e.rowCounter == 2) CreateChart(e);
    e.rowCounter += 1;

    if (e.chart) {
        const RowSpan rows = ChartRows(e.addChart, count, e.numPoints);
        e.wantedFirst = rows.first;
        e.wantedLast = rows.last;
        MoveChart(e, false);
    }

    if (e.terminating == 1 && e.readPoints < e.rowCounter - 1)
        StopLogging(e);
    else if (e.terminating == 2 && ToSerial(e.clock->wallNow()) >= e.stopDateTime)
        StopLogging(e);
}

void AtTimeTick(EngineState& e) {
    if (!e.running) return;
    if (ToSerial(e.clock->wallNow()) < e.atTime)
        SetStatusText(e, texts::kStatusWaitingTime);
    else
        StartEngineTimer(e, std::chrono::milliseconds(e.interval), TimerHandler::Reading);
}

// The meter's commands once the trigger has fired or was given up: its
// error queue and status emptied, the trigger source back to immediate.
void TriggerCleanUp(EngineState& e) {
    QueryCommand(e, "syst:err?");
    QueryCommand(e, "syst:err?");
    SendCommand(e, "*cls");
    QueryCommand(e, "*esr?");
    SendCommand(e, "trig:sour imm");
}

// One *OPC? poll: its status, and whether the answer says the operation completed.
ViStatus PollComplete(EngineState& e, bool& complete) {
    complete = false;
    ViStatus status = RawWrite(e, "*OPC?");
    std::string answer;
    if (status >= VI_SUCCESS) status = RawRead(e, answer);
    if (status >= VI_SUCCESS) complete = answer.find('1') != std::string::npos;
    return status;
}

void TriggerTick(EngineState& e) {
    if (!e.running) return;
    SetStatusText(e, texts::kStatusWaitingTrigger);
    if (e.triggered) return;
    bool complete = false;
    const ViStatus status = PollComplete(e, complete);
    if (status < VI_SUCCESS) {
        if (status == VI_ERROR_TMO) return;  // not yet: the next tick asks again
        Show(e, texts::kTriggerError, StatusDescription(e.loggingSession, status));
        StopLogging(e);
        return;
    }
    if (!complete) return;
    viSetAttribute(e.loggingSession, VI_ATTR_TMO_VALUE, kLoggingTimeoutMs);
    e.triggered = true;
    TriggerCleanUp(e);
    QueryCommand(e, "read?");  // the triggered reading itself is not logged
    if (!e.active) return;
    StartEngineTimer(e, std::chrono::milliseconds(e.interval), TimerHandler::Reading);
}

std::string TriggerQuestion() {
    std::string text = std::string(texts::kWaitingTrigger) + "\n";
    for (const char* piece : texts::kTriggerLocked) text += piece;
    return text;
}

}  // namespace

LoggedReading ParseLoggedAnswer(const std::string& answer, bool dual) {
    LoggedReading r;
    if (!dual) {
        r.first = ReadingNumber(answer);
        return r;
    }
    const auto comma = answer.find(',');
    r.first = ReadingNumber(answer.substr(0, comma));
    // A dual answer that lacks its second value leaves that cell empty
    // rather than inventing a reading of 0.
    if (comma != std::string::npos) {
        const std::string rest = answer.substr(comma + 1);
        r.second = ReadingNumber(rest.substr(0, rest.find(',')));
    }
    return r;
}

ViStatus SendCommand(EngineState& e, std::string_view command) {
    const ViStatus status = RawWrite(e, command);
    if (status < VI_SUCCESS) IoFailed(e, status);
    return status;
}

std::string ReadAnswer(EngineState& e) {
    std::string raw;
    const ViStatus status = RawRead(e, raw);
    if (status < VI_SUCCESS) {
        IoFailed(e, status);
        e.answer = "Error";
        return e.answer;
    }
    e.answer = Printable(raw);
    return e.answer;
}

std::string QueryCommand(EngineState& e, std::string_view command) {
    // A command that never left has no answer to wait for.
    if (SendCommand(e, command) < VI_SUCCESS) return "Error";
    return ReadAnswer(e);
}

void StartEngineTimer(EngineState& e, std::chrono::milliseconds period, TimerHandler handler) {
    e.timer.period = std::max(period, std::chrono::milliseconds(kShortestTimerPeriod));
    e.timer.handler = handler;
    e.timer.due = e.now() + e.timer.period;
}

void KillEngineTimer(EngineState& e) { e.timer.handler = TimerHandler::None; }

void TickEngine(EngineState& e) {
    const auto now = e.now();
    if (e.timer.handler != TimerHandler::None && now >= e.timer.due) {
        // Ticks missed while the host was busy are not made up: one runs now.
        e.timer.due += e.timer.period;
        if (e.timer.due <= now) e.timer.due = now + e.timer.period;
        switch (e.timer.handler) {
            case TimerHandler::Reading:
                ReadingTick(e);
                break;
            case TimerHandler::AtTime:
                AtTimeTick(e);
                break;
            case TimerHandler::Trigger:
                TriggerTick(e);
                break;
            case TimerHandler::None:
                break;
        }
    }
    MoveChart(e, false);
}

void SetStatusText(EngineState& e, const std::string& text) {
    if (!e.app || e.statusText == text) return;
    if (e.app->SetStatusBar(text)) e.statusText = text;
}

void SetUpCommandBar(EngineState& e) {
    static constexpr const char* kMacros[kCommandBarControls] = {
        "DmmAboutTX35XX", "DmmConnectTX35XX", "DmmFilesTX35XX",
        "DmmFuncsTX35XX", "DmmMeasTX35XX",    "DmmChartTX35XX",
        "DmmTimerStartTX35XX", "DmmTimerPauseTX35XX", "DmmTimerStopTX35XX"};
    const std::string tips[kCommandBarControls] = {
        std::string("About ") + kProductName, "Connect to Device", "File Access",
        "Set up Instrument", "Get Single Reading", "Logging Charts", "START", "PAUSE", "STOP"};
    for (int i = 0; i < kCommandBarControls; ++i) {
        auto& c = e.controls[static_cast<std::size_t>(i)];
        c.macro = kMacros[i];
        c.tip = tips[i];
        c.visible = true;
        c.enabled = i < 6;
    }
    PushCommandBar(e);
}

void StartLogging(EngineState& e, std::int32_t interval) {
    // A failure of an earlier run does not end this one at its first reading.
    e.errorFlag = false;
    e.readingsLogged = 0;
    e.active = true;
    e.sheetLost = false;
    e.timeoutSaved = false;
    e.running = true;
    SetToolsVisible(e, false);
    SetButtons(e, false, true, true);
    if (!e.sheet) {
        Show(e, texts::kToStartReading, texts::kNoSheet);
        StopLogging(e);
        return;
    }

    const std::string function = AsciiUpperCase(QueryCommand(e, "func?"));
    if (!e.active) return;  // the meter failed; its message is shown
    e.functionLabel = function.find("CONT") != std::string::npos   ? "CONT"
                      : function.find("DIOD") != std::string::npos ? "DIOD"
                                                                   : "----";

    e.interval = interval;
    e.startDateTime = ToSerial(e.clock->wallNow());
    e.waitingForTrigger = true;
    e.triggered = false;
    KillEngineTimer(e);

    const auto f8 = e.sheet->ReadCell(kF8);
    if (!f8) {
        Show(e, texts::kToStartReading, f8.description());
        StopLogging(e);
        return;
    }
    e.numPoints = WholeNumber(NumberOf(f8.value()));
    SaveLoggingSettings(e);

    e.timeoutSaved = viGetAttribute(e.loggingSession, VI_ATTR_TMO_VALUE, &e.savedTimeout) >= VI_SUCCESS;
    viSetAttribute(e.loggingSession, VI_ATTR_TMO_VALUE, kLoggingTimeoutMs);

    const auto period = std::chrono::milliseconds(interval);
    if (e.begin == 2) {
        StartEngineTimer(e, kPollPeriod, TimerHandler::AtTime);
    } else if (e.begin == 3) {
        const std::string delay = "trig:delay " + NumberText(interval / 1000.0);
        for (const std::string& command : {std::string("trig:sour ext"), std::string("trig:count 1"), delay,
                                           std::string("init")})
            if (SendCommand(e, command) < VI_SUCCESS) return;
        viSetAttribute(e.loggingSession, VI_ATTR_TMO_VALUE, kTriggerTimeoutMs);
        StartEngineTimer(e, kPollPeriod, TimerHandler::Trigger);
    } else {
        StartEngineTimer(e, period, TimerHandler::Reading);
    }
}

void PauseLogging(EngineState& e) {
    e.running = false;
    SetButtons(e, true, false, true);
}

void ResumeLogging(EngineState& e) {
    e.running = true;
    SetButtons(e, false, true, true);
}

void StopRequested(EngineState& e) {
    e.running = false;
    if (e.active && e.begin == 3 && e.waitingForTrigger && !e.triggered) {
        bool meterGone = false;
        for (;;) {
            PromptMessage question{TriggerQuestion(), kProductName, PromptIcon::Question,
                                   PromptButtons::YesNo};
            question.defaultNo = true;
            if (e.prompter->message(question) != PromptAnswer::Yes) {
                e.running = true;  // No: logging goes on waiting
                return;
            }
            bool complete = false;
            const ViStatus status = PollComplete(e, complete);
            if (complete) break;
            // A meter that is gone will never answer: asking again would never end.
            if (status < VI_SUCCESS && status != VI_ERROR_TMO) {
                meterGone = true;
                break;
            }
        }
        if (!meterGone) TriggerCleanUp(e);
    }
    StopLogging(e);
}

void StopLogging(EngineState& e) {
    e.running = false;
    if (!e.active) return;  // this run has already ended
    e.active = false;
    KillEngineTimer(e);
    SetToolsVisible(e, true);
    SetButtons(e, false, false, false);
    MoveChart(e, true);
    if (e.addChart == kStripChart && e.sheet && !e.sheetLost) SetScrollBars(e);
    if (e.timeoutSaved) viSetAttribute(e.loggingSession, VI_ATTR_TMO_VALUE, e.savedTimeout);
    e.timeoutSaved = false;
    viClear(e.loggingSession);
    if (!e.sheetLost) SetStatusText(e, texts::kStatusReady);
    e.rowCounter = 2;
    e.waitingForTrigger = false;
    e.triggered = false;
    e.dual = false;
    if (e.sheet && !e.sheetLost) {
        if (const auto s = e.sheet->Release(); !s) Show(e, texts::kSheetNotWritten, s.description());
    }
    e.sheet.reset();
    e.chart.reset();
}

void PrepareChart(EngineState& e) {
    const std::string identity = QueryCommand(e, "*idn?");
    e.dual = false;
    if (identity.find("TX42") != std::string::npos) {
        // An answer that never came ("Error") names no second function either.
        const std::string second = AsciiUpperCase(QueryCommand(e, "sens:func2?"));
        e.dual = second != "ERROR" && second.find("NONE") == std::string::npos;
    }
}

}  // namespace qm::link
