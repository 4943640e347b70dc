#include "app/MeterTool.h"

#include "instrument/UsbAccess.h"

namespace qm {

MeterTool::MeterTool(Prompter& prompter, const TextSource& texts, Clock& clock)
    : m_prompter(prompter),
      m_texts(texts),
      m_clock(clock),
      m_function([this](int slot, const std::string& cmd) { return QueryInOperation(slot, cmd); },
                 [this](int slot) { return IdentityOf(slot); }, prompter, texts),
      m_saving(prompter, clock),
      m_loop(std::make_unique<ReadingLoop>(*this)) {
    m_chart.setXMax(m_function.xMax());
}

MeterTool::~MeterTool() {
    // The window that watched the loop is going (or gone) too.
    if (m_loop) m_loop->SetView(nullptr);
    CloseAll();
}

std::string MeterTool::IdentityOf(int slot) const {
    if (slot < 0 || slot >= static_cast<int>(m_slots.size())) return {};
    return m_slots[static_cast<std::size_t>(slot)].identity;
}

std::string MeterTool::LabelOf(int slot) const {
    if (slot < 0 || slot >= static_cast<int>(m_slots.size())) return {};
    return m_slots[static_cast<std::size_t>(slot)].label;
}

std::string MeterTool::QueryInOperation(int slot, const std::string& command) {
    if (slot < 0 || slot >= kMaxSessions) return {};
    auto& silent = m_silent[static_cast<std::size_t>(slot)];
    // A meter that did not answer once in this operation is not asked again
    // in it: each further query would hold the window for another timeout.
    if (silent) return {};
    const QueryResult r = m_sessions.QueryEx(slot, command);
    if (r.readAttempted && r.readStatus < VI_SUCCESS) silent = true;
    return r.answer;
}

void MeterTool::CloseAll() {
    if (m_loop && m_loop->reading()) m_loop->OnStopReading();
    m_sessions.CloseAll();
}

RefreshView MeterTool::Refresh(bool selectFirst) {
    WaitCursor wait(m_prompter);
    BeginOperation();
    if (m_loop->reading()) m_loop->OnStopReading();
    m_sessions.CloseAll();
    const DiscoveryResult found = DiscoverInstruments(m_sessions);
    // A meter plugged in but not openable would otherwise just be missing.
    if (const std::string problems = UsbAccessProblems(); !problems.empty()) m_prompter.warn(problems);
    m_slots = found.devices;
    m_deviceCount = static_cast<int>(m_slots.size());
    m_startedEmpty = m_slots.empty();
    m_refused = std::set<std::string>(found.refused.begin(), found.refused.end());
    // A new list: readings go back to the single-device layout.
    m_loop->SetMultiMode(false, {});

    RefreshView view;
    view.noDevice = m_slots.empty();
    m_chart.selectLine(0);
    if (view.noDevice) {
        const std::string none = m_texts.GetText("1000", "No Device Connected");
        view.list.entries.push_back(none);
        view.list.enabled = false;
        m_currentIdentity = none;
        m_function.ClearFunctionTexts();
        m_function.SetCurrentSlot(kNoSlot);
        m_function.SetDisplaySlot(kNoSlot);
        return view;
    }
    for (const auto& s : m_slots) view.list.entries.push_back(s.label);
    view.list.enabled = true;
    if (selectFirst) {
        view.list.selected = 0;
        view.selection = OnDeviceListSelChange(0);
    }
    return view;
}

SelectionView MeterTool::OnDeviceListSelChange(int index) {
    SelectionView view;
    if (index < 0 || index >= static_cast<int>(m_slots.size())) return view;
    BeginOperation();
    view.slot = index;
    m_function.SetCurrentSlot(index);
    m_function.SetDisplaySlot(index);
    view.display = m_function.RefreshFunctionDisplay(index);
    view.displayText = DisplayTextFor(m_slots[static_cast<std::size_t>(index)].label);
    if (!m_function.multiMode()) m_currentIdentity = IdentityOf(index);
    view.identity = m_currentIdentity;
    view.capabilities = CapabilitiesFor(view.displayText, m_function.multiMode());
    return view;
}

int MeterTool::CheckConnectionChanged() {
    if (!m_startedEmpty) return 1;
    // The program found no meter when it last looked. If a meter it would
    // accept is there now, the list no longer tells the truth: ask for a
    // Refresh first. Another maker's instrument changes nothing, so a
    // Refresh that finds none leaves the commands usable.
    bool appeared = false;
    {
        WaitCursor wait(m_prompter);  // a resource not seen before is asked who it is
        appeared = AcceptableMeterAppeared(m_refused);
    }
    if (!appeared) return 1;
    m_prompter.warn(m_texts.GetText(
        "1031", "Connection status has changed.Please select \"Refresh\"."));
    return -1;
}

std::optional<FunctionButtonResult> MeterTool::PressFunctionButton(int controlId) {
    BeginOperation();
    return m_function.OnFunctionButtonId(controlId);
}

std::optional<FunctionButtonResult> MeterTool::PressFunctionButton(std::string_view name) {
    BeginOperation();
    return m_function.OnFunctionButtonName(name);
}

bool MeterTool::OnXMaxSelChange(std::string_view entryText) {
    if (!m_function.OnXMaxSelChange(entryText)) return false;
    m_chart.setXMax(m_function.xMax());
    return true;
}

static_assert(kSettingsColourCount == kChartColours);

ReadingSettingsContext MeterTool::ReadingSettingsContextFor() const {
    ReadingSettingsContext context;
    for (const DeviceSlot& s : m_slots) context.labels.push_back(s.label);
    context.multiMode = m_loop->multiMode();
    context.chosen = m_loop->chosenSlots();
    context.colours = m_chart.colours();
    context.dualMeasure = m_function.secondActive();
    return context;
}

void MeterTool::ApplyReadingSettings(const ReadingSettingsValues& values) {
    m_chart.setColours(values.colours);
    const bool multi =
        values.multiMode && values.chosen.size() >= static_cast<std::size_t>(kFewestMetersReadAtOnce);
    m_loop->SetMultiMode(multi, multi ? values.chosen : std::vector<int>{});
    for (int i = 0; i < kMetersReadAtOnce; ++i)
        m_loop->SetSaving(i, values.saveFlag[static_cast<std::size_t>(i)],
                          values.recordNo[static_cast<std::size_t>(i)]);
    m_saving.ClearNames();
}

FunctionDisplayUpdate MeterTool::RefreshFunctionDisplay() {
    BeginOperation();
    return m_function.RefreshFunctionDisplay(m_function.currentSlot());
}

}  // namespace qm
