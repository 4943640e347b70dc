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
    // Second values are shown and charted while a second function is chosen.
    m_dualDisplay = function.secondActive();

    // Each meter's functions, as short codes for the record check.
    SessionTable& sessions = m_tool.sessions();
    std::vector<SavingRequest> requests;
    std::vector<std::string> primary(m_activeSlots.size());
    m_tool.BeginOperation();
    for (std::size_t i = 0; i < m_activeSlots.size(); ++i) {
        const int s = m_activeSlots[i];
        primary[i] = m_tool.QueryInOperation(s, "func?\n");
        // Continuity and diode readings are told apart by the function; the
        // meter's own answer is the truth even when no button set it.
        function.SetSlotFunctionFromAnswer(s, primary[i]);
        // The lower-case identity query addresses the slot like any other command.
        m_identity[i] = m_tool.QueryInOperation(s, "*idn?\n");
        if (m_identity[i].empty()) m_identity[i] = m_tool.IdentityOf(s);
        const std::string second = m_identity[i].find("TX42") != std::string::npos
                                       ? m_tool.QueryInOperation(s, "func2?\n")
                                       : std::string("NONE");
        m_slotHasSecond[i] = !second.empty() && second != "NONE";
        if (SaveFlagFor(static_cast<int>(i))) {
            requests.push_back({static_cast<int>(i), m_recordNo[i], ShortFunctionCode(primary[i]),
                                ShortFunctionCode(second)});
        }
    }
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

FetchedAnswer ReadingLoop::FetchFromMeter(int slot, bool pipelined) {
    SessionTable& sessions = m_tool.sessions();
    FetchedAnswer fetched;
    if (pipelined) {
        const RawRead r = sessions.ReadRaw(slot);
        fetched.status = r.status;
        if (r.ok()) {
            fetched.text = r.text;
            sessions.WriteRaw(slot, "read?\n", 5);  // the next tick's reading
        }
    } else {
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
        m_source ? m_source(slot, m_pipelined) : FetchFromMeter(slot, m_pipelined);
    const std::string& answer = fetched.text;
    const ViStatus status = fetched.status;
    if (m_pipelined && status == VI_SUCCESS && !countedArrival) {
        chart.countArrivedReading();
        countedArrival = true;
    }

    if (IsConnectionLoss(answer, status)) {
        EndRun(EndReason::ConnectionLost);
        m_tool.prompter().error(m_tool.texts().GetText("1001", "Check Device Connection"), "ERROR");
        return;
    }
    if (status < VI_SUCCESS) {
        // No answer this tick (timeout or a read error): not a measurement.
        // Nothing is shown, charted or saved; the line says it did not answer.
        if (m_view) m_view->LineUpdated(line);
        return;
    }

    const ParsedAnswer parsed = ParseReadingAnswer(m_identity[pos], answer);
    const std::string& slotFunction = m_tool.function().slotFunction(slot);
    line.answered = true;
    line.hasSecond = parsed.hasSecond;
    line.secondText = FormatSecondField(parsed.second);

    const ClassifiedValue main = ClassifyReading(parsed.main, slotFunction);
    line.mainText = main.text;
    if (main.chartable) chart.storePoint(position, main.value);
    if (m_dualDisplay && m_slotHasSecond[pos]) {
        const ClassifiedValue second = ClassifyReading(parsed.second, slotFunction);
        line.secondText = second.text;
        if (second.chartable) chart.storePoint(kChartSlots + position, second.value);
    }

    // Only saving positions that passed the start-of-saving check are open.
    if (m_tool.saving().IsOpen(position) && status == VI_SUCCESS) {
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
    OnStopReading();
    m_endReason = reason;
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
    if (m_tool.deviceCount() > 0 && wasReading) {
        const int slot = function.currentSlot();
        if (slot != kNoSlot) {
            const SelectionView selection = m_tool.OnDeviceListSelChange(slot);
            if (m_view) m_view->SelectionChanged(selection);
        }
    }
}

}  // namespace qm
