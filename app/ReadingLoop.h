#pragma once
// The live reading loop: Start, one tick per timer period, Stop. It reads
// every active meter, shows each value in its device line, stores it in the
// live chart and appends it to the meter's record. The window's timer only
// calls OnTimer(); time stamps come from the injected clock.
//
// Device lines in multi-device mode: the i-th chosen meter uses device line
// i + 1 for everything — value fields, chart rows, save flag and record —
// the same position the Reading Settings page gives it. In single-device
// mode the selected meter uses line 1 and saving position 0.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/ChartModel.h"
#include "app/ReadingValues.h"
#include "visa/visa.h"

namespace qm {

class MeterTool;
struct FunctionDisplayUpdate;
struct SelectionView;

inline constexpr int kMaxActiveDevices = 4;
// A meter that lets this many readings in a row go unanswered is taken for
// lost: each costs a whole session timeout, and the run would never end.
inline constexpr int kSilentReadingsForLoss = 3;

// What one device line shows after a tick.
struct LineReading {
    int line = 0;             // 0..3: main value 901 + line, second value 905 + line
    int slot = 0;             // device slot read
    bool answered = false;    // false: the meter did not answer this tick; the fields keep their text
    std::string mainText;
    std::string secondText;   // second value field text
    bool hasSecond = false;   // the meter sent a second value
    bool notANumber = false;  // the meter answered, but not with a number: no reading (answered is false)
    bool truncated = false;   // the answer filled the 1024-byte buffer: shown, never saved
    bool saving = false;      // the line saves its readings in this run
    bool saved = false;       // the reading was committed to the record
};

// The window side of the loop: the page implements it, qmcli prints.
class ReadingView {
public:
    virtual ~ReadingView() = default;
    // Function buttons, second-function combo and device list, around a run.
    virtual void SetReadingControlsEnabled(bool enabled) { (void)enabled; }
    // Menu, toolbar and list states of a run (true) or of idle (false).
    virtual void ShowRunState(bool reading) { (void)reading; }
    virtual void StartTimer(int periodMs) { (void)periodMs; }
    virtual void StopTimer() {}
    virtual void LineUpdated(const LineReading& line) { (void)line; }
    virtual void ChartChanged() {}  // redraw the chart from the model
    virtual void FunctionDisplayChanged(const FunctionDisplayUpdate& update) { (void)update; }
    virtual void SelectionChanged(const SelectionView& selection) { (void)selection; }
};

// True when a session's answers end at a line feed (a meter on the network)
// rather than at the bus's end of message.
bool EndsAtLineFeed(ViSession session);
// On such a session, drops whatever waits unasked (a stray line of the last
// answer) without waiting for anything.
void DropUnaskedAnswers(ViSession session);

// One meter's answer in a tick, as the bus delivered it.
struct FetchedAnswer {
    std::string text;
    ViStatus status = VI_SUCCESS;
};

class ReadingLoop {
public:
    explicit ReadingLoop(MeterTool& tool);

    // Where a tick's answers come from: the meters (default), or captured
    // answers replayed by tests and benchmarks. `pipelined` says whether the
    // reading was asked for in the previous tick.
    using AnswerSource = std::function<FetchedAnswer(int slot, bool pipelined)>;
    void SetAnswerSource(AnswerSource source) { m_source = std::move(source); }
    // The meters' own answer for device line `position` (the default source);
    // a source that wraps it, such as a benchmark timing the instrument I/O,
    // calls it itself.
    FetchedAnswer FetchFromMeter(int position, int slot, bool pipelined);

    void SetView(ReadingView* view) { m_view = view; }

    // Start Reading. true when the timer runs; false when Start was refused
    // (the window is back to idle and the user has been told why).
    bool OnStartReading();
    // One timer period.
    void OnTimer();
    // Stop Reading; also run on refusal and on a lost connection.
    void OnStopReading();
    // Reading Speed changed while reading: the timer restarts with the new period.
    void OnReadingSpeedChanged();

    // Reading settings: the mode, the meters read at once (in line order) and
    // each line's saving.
    void SetMultiMode(bool multi, std::vector<int> chosenSlots);
    void SetSaving(int position, bool saveFlag, int recordNo);
    // The chart rows of the device lines read in the last run (line 1 alone
    // before any run), with the second rows where the lines show them.
    ChartDevices chartDevices() const;

    bool reading() const { return m_reading; }
    bool pipelined() const { return m_pipelined; }
    bool multiMode() const { return m_multiMode; }
    int tickCount() const { return m_tickCount; }
    const std::vector<int>& activeSlots() const { return m_activeSlots; }
    // The slots chosen for multi-device mode, in line order.
    const std::vector<int>& chosenSlots() const { return m_chosenSlots; }
    // Why the last run ended, for callers that report it (qmcli).
    enum class EndReason { None, Stopped, Refused, Declined, ConnectionLost, SaveFailed };
    EndReason endReason() const { return m_endReason; }

private:
    void ReadDevice(int position, int slot, bool& countedArrival);
    bool SaveFlagFor(int position) const;
    void EndRun(EndReason reason);
    // Stop, then "Check Device Connection". `silent`: the meter did not
    // answer, so Stop does not ask it for its function once more.
    void StopOnLostConnection(bool silent);

    MeterTool& m_tool;
    ReadingView* m_view = nullptr;
    AnswerSource m_source;

    bool m_reading = false;
    bool m_inTick = false;
    bool m_multiMode = false;
    std::vector<int> m_chosenSlots;   // multi-device mode, in line order
    std::vector<int> m_activeSlots;   // the meters read in this run
    std::vector<int> m_activeLines;   // their device lines (0, 1, ...), for the chart
    bool m_dualDisplay = false;
    std::array<bool, kMaxActiveDevices> m_slotHasSecond{};
    std::array<std::string, kMaxActiveDevices> m_identity;  // per line, asked at Start
    std::array<bool, kMaxActiveDevices> m_dualAnswers{};     // DualAnswerModel of m_identity
    std::array<bool, kMaxActiveDevices> m_lineDelimited{};  // per line: answers end at a line feed
    std::array<int, kMaxActiveDevices> m_silentReadings{};  // per line: unanswered readings in a row
    bool m_skipStatusRefresh = false;  // Stop after a meter fell silent
    bool m_pipelined = false;
    int m_tickCount = 0;
    std::array<bool, kMaxActiveDevices> m_saveFlag{};
    std::array<int, kMaxActiveDevices> m_recordNo{};
    EndReason m_endReason = EndReason::None;
};

}  // namespace qm
