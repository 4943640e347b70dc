#include "app/ReadingLoop.h"

#include <algorithm>

#include "app/MeterTool.h"
#include "config/NumberText.h"
#include "records/RecordStore.h"

namespace qm {

namespace {

constexpr ViUInt32 kPipelinedTimeoutMs = 1000;

bool IsConnectionLoss(const std::string& answer, ViStatus status) {
    // An empty answer with a completion code means the meter went away; our
    // VISA layer (like a real one) also says so outright.
    return (answer.empty() && status > VI_SUCCESS) || status == VI_ERROR_CONN_LOST ||
           status == VI_ERROR_INV_OBJECT;
}

}  // namespace

bool EndsAtLineFeed(ViSession session) {
    ViBoolean termChar = VI_FALSE;
    return viGetAttribute(session, VI_ATTR_TERMCHAR_EN, &termChar) == VI_SUCCESS &&
           termChar == VI_TRUE;
}

// Where answers end at a line feed (a meter on the network), a meter that
// sends two lines for one answer leaves the second to be taken for the next
// reading, and every later reading comes one behind. Whatever waits before a
// reading is asked for was never asked for: it is dropped. (Where answers end
// with the bus's end of message, both lines come in one read and only the
// first counts.)
void DropUnaskedAnswers(ViSession session) {
    ViUInt32 timeout = kSessionTimeoutMs;
    viGetAttribute(session, VI_ATTR_TMO_VALUE, &timeout);
    if (viSetAttribute(session, VI_ATTR_TMO_VALUE, VI_TMO_IMMEDIATE) != VI_SUCCESS) return;
    unsigned char buf[kAnswerBufferSize];
    ViUInt32 got = 0;
    for (int i = 0; i < 64 && viRead(session, buf, sizeof buf, &got) >= VI_SUCCESS; ++i) {
    }
    viSetAttribute(session, VI_ATTR_TMO_VALUE, timeout);
}

ReadingLoop::ReadingLoop(MeterTool& tool) : m_tool(tool) {}

void ReadingLoop::SetMultiMode(bool multi, std::vector<int> chosenSlots) {
    m_multiMode = multi;
    if (chosenSlots.size() > static_cast<std::size_t>(kMaxActiveDevices))
        chosenSlots.resize(kMaxActiveDevices);
    m_chosenSlots = std::move(chosenSlots);
    m_tool.function().SetMultiMode(multi);
    m_tool.function().SetActiveSlots(m_chosenSlots);
}

void ReadingLoop::SetSaving(int position, bool saveFlag, int recordNo) {
    if (position < 0 || position >= kMaxActiveDevices) return;
    m_saveFlag[static_cast<std::size_t>(position)] = saveFlag;
    m_recordNo[static_cast<std::size_t>(position)] = recordNo;
}

bool ReadingLoop::SaveFlagFor(int position) const {
    return position >= 0 && position < kMaxActiveDevices &&
           m_saveFlag[static_cast<std::size_t>(position)];
}

bool ReadingLoop::OnStartReading() {
    if (m_reading) return true;
    m_endReason = EndReason::None;
    Prompter& prompter = m_tool.prompter();
    const TextSource& texts = m_tool.texts();
    FunctionControl& function = m_tool.function();

    if (m_tool.deviceCount() == 0) {
        prompter.warn(texts.GetText("1000", "No Device Connected"));
        m_endReason = EndReason::Refused;
        return false;
    }
    if (m_view) m_view->SetReadingControlsEnabled(false);
    if (m_tool.CheckConnectionChanged() == -1) {
        // Refused before anything started: the controls come back at once
        // rather than staying disabled with no run to stop.
        if (m_view) m_view->SetReadingControlsEnabled(true);
        m_endReason = EndReason::Refused;
        return false;
    }
    m_tool.chart().clearRows();
    if (!m_multiMode && function.currentSlot() == kNoSlot) {
        prompter.warn(texts.GetText("1002", "Select Device"));
        if (m_view) m_view->SetReadingControlsEnabled(true);
        m_endReason = EndReason::Refused;
        return false;
    }

    if (m_view) m_view->ShowRunState(true);
    m_reading = true;
    m_tickCount = 1;
    m_activeSlots.clear();
    if (m_multiMode) {
        for (int s : m_chosenSlots)
            if (m_tool.sessions().validSlot(s)) m_activeSlots.push_back(s);
    } else {
        m_activeSlots.push_back(function.currentSlot());
    }
    m_activeLines.clear();
    for (std::size_t i = 0; i < m_activeSlots.size(); ++i) m_activeLines.push_back(static_cast<int>(i));
    if (!m_multiMode) function.SetDisplaySlot(function.currentSlot());
    // Second values are shown and charted while a second function is chosen
    // (below, in multi-device mode: while any meter read measures one).
    m_dualDisplay = function.secondActive();
    m_slotHasSecond.fill(false);

    // Each meter's functions, as short codes for the record check.
    SessionTable& sessions = m_tool.sessions();
    std::vector<SavingRequest> requests;
    std::vector<std::string> primary(m_activeSlots.size());
    m_tool.BeginOperation();
    m_skipStatusRefresh = false;
    m_silentReadings.fill(0);
    for (std::size_t i = 0; i < m_activeSlots.size(); ++i) {
        const int s = m_activeSlots[i];
        m_lineDelimited[i] = EndsAtLineFeed(sessions.slotSession(s));
        primary[i] = m_tool.QueryInOperation(s, "func?\n");
        // Continuity and diode readings are told apart by the function; the
        // meter's own answer is the truth even when no button set it.
        function.SetSlotFunctionFromAnswer(s, primary[i]);
        // The lower-case identity query addresses the slot like any other command.
        m_identity[i] = m_tool.QueryInOperation(s, "*idn?\n");
        if (m_identity[i].empty()) m_identity[i] = m_tool.IdentityOf(s);
        m_dualAnswers[i] = DualAnswerModel(m_identity[i]);
        const std::string second = m_identity[i].find("TX42") != std::string::npos
                                       ? m_tool.QueryInOperation(s, "func2?\n")
                                       : std::string("NONE");
        m_slotHasSecond[i] = !second.empty() && second != "NONE";
        if (primary[i].empty() || second.empty()) {
            // No function answer: the meter is gone. Its record is not
            // judged on answers that never came.
            StopOnLostConnection(true);
            return false;
        }
        if (SaveFlagFor(static_cast<int>(i))) {
            requests.push_back({static_cast<int>(i), m_recordNo[i], ShortFunctionCode(primary[i]),
                                ShortFunctionCode(second)});
        }
    }
    if (m_multiMode)
        m_dualDisplay = std::any_of(m_slotHasSecond.begin(), m_slotHasSecond.end(),
                                    [](bool has) { return has; });
    if (!requests.empty()) {
        const SavingCheckOutcome outcome = m_tool.saving().StartOfSavingCheck(requests);
        if (!outcome.proceed) {
            OnStopReading();
            m_endReason = outcome.declined ? EndReason::Declined : EndReason::Refused;
            return false;
        }
    }

    // Slow AC filtering: the next reading is asked for while the timer waits.
    m_pipelined = false;
    for (std::size_t i = 0; i < m_activeSlots.size(); ++i) {
        if (primary[i] == "VOLT:AC" || primary[i] == "CURR:AC") {
            const std::string band = m_tool.QueryInOperation(m_activeSlots[i], "det:band?\n");
            m_pipelined = static_cast<int>(AsciiToDouble(band)) == 3;
        }
    }
    for (int s : m_activeSlots) sessions.Query(s, "*cls\n");

    if (m_pipelined) {
        for (int s : m_activeSlots) {
            sessions.WriteRaw(s, "read?\n", 5);
            sessions.SetTimeout(s, kPipelinedTimeoutMs);
        }
    }
    m_tool.chart().resetPointCount();
    if (m_view) {
        m_view->ChartChanged();
        m_view->StartTimer(function.readTimerMs());
    }
    return true;
}

ChartDevices ReadingLoop::chartDevices() const {
    ChartDevices devices;
    const std::size_t lines = std::max<std::size_t>(1, std::min<std::size_t>(m_activeSlots.size(), kChartSlots));
    for (std::size_t line = 0; line < lines; ++line) {
        devices.activeSlots.push_back(static_cast<int>(line));
        devices.slotHasSecond[line] = m_slotHasSecond[line];
    }
    devices.dualDisplay = m_dualDisplay;
    return devices;
}

void ReadingLoop::OnReadingSpeedChanged() {
    if (m_reading && m_view) {
        m_view->StopTimer();
        m_view->StartTimer(m_tool.function().readTimerMs());
    }
}

FetchedAnswer ReadingLoop::FetchFromMeter(int position, int slot, bool pipelined) {
    SessionTable& sessions = m_tool.sessions();
    const bool dropUnasked = m_lineDelimited[static_cast<std::size_t>(position)];
    FetchedAnswer fetched;
    if (pipelined) {
        const RawRead r = sessions.ReadRaw(slot);
        fetched.status = r.status;
        // An answer that filled the buffer was read to its end too: the
        // next reading can be asked for, or the meter would wait for ever.
        if (r.status >= VI_SUCCESS) {
            fetched.text = r.text;
            if (dropUnasked) DropUnaskedAnswers(sessions.slotSession(slot));
            sessions.WriteRaw(slot, "read?\n", 5);  // the next tick's reading
        }
    } else {
        if (dropUnasked) DropUnaskedAnswers(sessions.slotSession(slot));
        const QueryResult r = sessions.QueryEx(slot, "read?\n");
        fetched.text = r.answer;
        fetched.status = r.readStatus;
    }
    return fetched;
}

void ReadingLoop::ReadDevice(int position, int slot, bool& countedArrival) {
    ChartModel& chart = m_tool.chart();
    const auto pos = static_cast<std::size_t>(position);

    LineReading line;
    line.line = position;
    line.slot = slot;

    const FetchedAnswer fetched =
        m_source ? m_source(slot, m_pipelined) : FetchFromMeter(position, slot, m_pipelined);
    const std::string& answer = fetched.text;
    const ViStatus status = fetched.status;
    if (m_pipelined && status >= VI_SUCCESS && !countedArrival) {
        chart.countArrivedReading();
        countedArrival = true;
    }

    if (IsConnectionLoss(answer, status)) {
        StopOnLostConnection(false);
        return;
    }
    if (status < VI_SUCCESS) {
        // No answer this tick (timeout or a read error): not a measurement.
        // Nothing is shown, charted or saved; the line says it did not answer.
        // A meter that stays silent is lost: each read costs a whole timeout.
        if (++m_silentReadings[pos] >= kSilentReadingsForLoss) {
            StopOnLostConnection(true);
            return;
        }
        if (m_view) m_view->LineUpdated(line);
        return;
    }
    m_silentReadings[pos] = 0;

    line.saving = m_tool.saving().IsOpen(position);
    const ParsedAnswer parsed = ParseReadingAnswer(m_dualAnswers[pos], answer);
    if (!parsed.isReading) {
        // An answer that is not a number is no reading: shown as none,
        // neither charted nor saved.
        line.notANumber = true;
        if (m_view) m_view->LineUpdated(line);
        return;
    }
    const std::string& slotFunction = m_tool.function().slotFunction(slot);
    line.answered = true;
    line.truncated = status != VI_SUCCESS;
    line.hasSecond = parsed.hasSecond;
    line.secondText = FormatSecondField(parsed.second);

    ClassifiedValue main = ClassifyReading(parsed.main, slotFunction);
    line.mainText = std::move(main.text);
    if (main.chartable) chart.storePoint(position, main.value);
    if (m_dualDisplay && m_slotHasSecond[pos]) {
        const ClassifiedValue second = ClassifyReading(parsed.second, slotFunction);
        line.secondText = second.text;
        if (second.chartable) chart.storePoint(kChartSlots + position, second.value);
    }

    // Only saving positions that passed the start-of-saving check are open.
    // An answer cut at the buffer's end is shown but not saved.
    if (line.saving && status == VI_SUCCESS) {
        const DbStatus saved = m_tool.saving().AppendReading(position, parsed.main, parsed.second);
        if (!saved.ok()) {
            // The reading is not in the record: stop, so that nothing more is
            // shown as saved, and say why.
            if (m_view) m_view->LineUpdated(line);
            EndRun(EndReason::SaveFailed);
            m_tool.prompter().error(saved.message(), "Saving stopped");
            return;
        }
        line.saved = true;
    }
    if (m_view) m_view->LineUpdated(line);
}

void ReadingLoop::OnTimer() {
    if (!m_reading || m_inTick) return;
    m_inTick = true;
    ++m_tickCount;
    ChartModel& chart = m_tool.chart();

    chart.advance(m_activeLines, !m_pipelined);

    bool countedArrival = false;
    for (std::size_t i = 0; i < m_activeSlots.size() && m_reading; ++i)
        ReadDevice(static_cast<int>(i), m_activeSlots[i], countedArrival);

    if (m_reading) {
        const int interval = ChartModel::RedrawInterval(chart.xMax());
        if (m_tickCount % interval == 0) {
            if (m_view) m_view->ChartChanged();
            m_tickCount = 0;
        }
    }
    m_inTick = false;
}

void ReadingLoop::EndRun(EndReason reason) {
    m_endReason = reason;
    OnStopReading();
}

void ReadingLoop::StopOnLostConnection(bool silent) {
    m_skipStatusRefresh = silent;
    EndRun(EndReason::ConnectionLost);
    m_tool.prompter().error(m_tool.texts().GetText("1001", "Check Device Connection"), "ERROR");
}

void ReadingLoop::OnStopReading() {
    FunctionControl& function = m_tool.function();
    SessionTable& sessions = m_tool.sessions();
    function.ClearFunctionTexts();
    if (m_view) {
        m_view->StopTimer();
        m_view->ShowRunState(false);
    }
    const bool wasReading = m_reading;
    m_reading = false;
    m_tool.saving().StopSaving();
    if (m_view) {
        m_view->ChartChanged();
        m_view->SetReadingControlsEnabled(true);
    }
    if (wasReading) {
        for (int s : m_activeSlots) {
            sessions.Clear(s);
            sessions.WriteRaw(s, "*cls\n", 4);
            sessions.SetTimeout(s, kSessionTimeoutMs);
        }
    }
    m_pipelined = false;
    if (m_endReason == EndReason::None) m_endReason = EndReason::Stopped;
    // A meter that just failed to answer would only hold the window for
    // another whole timeout if it were asked for its function now.
    const bool refresh = !m_skipStatusRefresh;
    m_skipStatusRefresh = false;
    if (m_tool.deviceCount() > 0 && wasReading && refresh) {
        const int slot = function.currentSlot();
        if (slot != kNoSlot) {
            const SelectionView selection = m_tool.OnDeviceListSelChange(slot);
            if (m_view) m_view->SelectionChanged(selection);
        }
    }
}

}  // namespace qm
