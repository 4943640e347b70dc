#include "config/FunctionControl.h"

#include <algorithm>
#include <utility>

#include "config/NumberText.h"

namespace qm {

namespace {

bool IsDeviceSlot(int slot) {
    return slot >= 0 && slot < kSlotCount;
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// The entry of `entries` whose leading number equals that of `text`.
template <std::size_t N>
std::optional<std::string_view> MatchingEntry(const std::array<std::string_view, N>& entries,
                                              std::string_view text) {
    const int value = LeadingInteger(text);
    for (std::string_view entry : entries) {
        if (LeadingInteger(entry) == value) return entry;
    }
    return std::nullopt;
}

const std::string kEmpty;

}  // namespace

FunctionControl::FunctionControl(SlotQueryFn query, SlotIdentityFn identity, Prompter& prompter,
                                 const TextSource& texts)
    : m_query(std::move(query)),
      m_identity(std::move(identity)),
      m_prompter(prompter),
      m_texts(texts) {}

std::string FunctionControl::QuerySlot(int slot, const std::string& command) const {
    // Slot 10 (none) and anything else outside the table has no session.
    if (!IsDeviceSlot(slot) || !m_query) return {};
    return m_query(slot, command);
}

std::string FunctionControl::IdentityOf(int slot) const {
    if (!IsDeviceSlot(slot) || !m_identity) return {};
    return m_identity(slot);
}

std::vector<int> FunctionControl::ShownSlots() const {
    std::vector<int> slots;
    if (!m_multiMode) {
        if (IsDeviceSlot(m_currentSlot)) slots.push_back(m_currentSlot);
        return slots;
    }
    for (int slot : m_activeSlots) {
        if (static_cast<int>(slots.size()) == kDeviceLineCount) break;
        if (IsDeviceSlot(slot)) slots.push_back(slot);
    }
    return slots;
}

FunctionButtonResult FunctionControl::OnFunctionButton(const FunctionButton& button) {
    FunctionButtonResult result;
    SetAutoRange(m_currentSlot, button.autoRange);
    const std::string command = std::string(button.command) + "\n";
    // Without a selected device there is nobody to send to, in either mode
    // (in multi-device mode the none marker would also index past the
    // per-slot function table).
    if (!IsDeviceSlot(m_currentSlot)) {
        m_prompter.message({m_texts.GetText("1003", "Select Device First"), std::string(),
                            PromptIcon::Warning, PromptButtons::Ok});
        return result;
    }
    m_displaySlot = m_currentSlot;
    result.sent = true;
    QuerySlot(m_displaySlot, command);  // a configure command has no answer
    m_slotFunction[static_cast<std::size_t>(m_currentSlot)] = command;
    result.display = RefreshFunctionDisplay(m_currentSlot);
    return result;
}

std::optional<FunctionButtonResult> FunctionControl::OnFunctionButtonId(int controlId) {
    const FunctionButton* button = FunctionButtonById(controlId);
    if (button == nullptr) return std::nullopt;
    return OnFunctionButton(*button);
}

std::optional<FunctionButtonResult> FunctionControl::OnFunctionButtonName(std::string_view name) {
    const FunctionButton* button = FunctionButtonByName(name);
    if (button == nullptr) return std::nullopt;
    return OnFunctionButton(*button);
}

FunctionDisplayUpdate FunctionControl::RefreshFunctionDisplay(int slot) {
    FunctionDisplayUpdate update;
    if (!IsDeviceSlot(m_displaySlot)) return update;
    const int shown = m_displaySlot;
    const QueryFn query = [this, shown](const std::string& command) {
        return QuerySlot(shown, command);
    };
    const std::string identity = IdentityOf(shown);
    const std::optional<FunctionDisplayTexts> texts =
        ComputeFunctionDisplay(query, identity, autoRange(slot));
    if (!texts) return update;

    m_functionText = texts->functionText;
    m_rangeText = texts->rangeText;
    if (texts->secondFunctionNone) m_secondFunction = std::string(kNoneLabel);
    update.changed = true;
    update.row = texts->row;
    update.lines = RefreshSlotFunctionLabels();
    if (Contains(identity, "TX42")) {
        SecondFunctionRebuild rebuild = RebuildSecondFunctionList();
        update.secondList = std::move(rebuild.list);
        update.lines = std::move(rebuild.lines);
    }
    update.functionText = m_functionText;
    update.rangeText = m_rangeText;
    return update;
}

SecondFunctionRebuild FunctionControl::RebuildSecondFunctionList() {
    SecondFunctionRebuild rebuild;
    m_secondActive = false;
    const int row = SecondFunctionRowFor(m_functionText);
    const std::string identity = IdentityOf(m_displaySlot);
    if (SecondFunctionOffered(row, identity)) {
        m_func2Answer = StripLineEndsAndQuotes(QuerySlot(m_displaySlot, "func2?\n"));
        rebuild.list =
            BuildSecondFunctionList(row, SecondFunctionLabelForKeyword(m_func2Answer), identity);
    }
    m_secondFunction = SelectedEntry(rebuild.list);
    // An empty (disabled) combo is no active second function either.
    m_secondActive = !m_secondFunction.empty() && !Contains(m_secondFunction, kNoneLabel);
    rebuild.lines = RefreshSlotFunctionLabels();
    return rebuild;
}

SecondFunctionChange FunctionControl::OnSecondFunctionSelChange(std::string_view entryText) {
    SecondFunctionChange change;
    const std::string_view keyword = SecondFunctionKeywordForLabel(entryText);
    change.resetTraceSelection = keyword == kNoneLabel;
    // The instrument's acceptance is not checked here: the rebuild below
    // shows what it reports.
    QuerySlot(m_displaySlot, "Function2 \"" + std::string(keyword) + "\"\n");
    change.rebuild = RebuildSecondFunctionList();
    return change;
}

std::vector<SecondValueLine> FunctionControl::RefreshSlotFunctionLabels() {
    std::vector<SecondValueLine> lines;
    m_secondValueFlag.fill(false);
    const std::vector<int> slots = ShownSlots();
    for (std::size_t i = 0; i < slots.size(); ++i) {
        SecondValueLine line;
        line.line = static_cast<int>(i);
        line.slot = slots[i];
        const std::string f = StripLineEndsAndQuotes(QuerySlot(line.slot, "func?\n"));
        line.functionCaption = std::string(SecondFunctionLabelForKeyword(f));
        if (Contains(IdentityOf(line.slot), "TX42")) {
            const std::string f2 = StripLineEndsAndQuotes(QuerySlot(line.slot, "func2?\n"));
            const std::string_view label2 = SecondFunctionLabelForKeyword(f2);
            if (label2 != kNoneLabel) {
                m_secondActive = true;
                m_secondValueFlag[i] = true;
                line.secondShown = true;
                line.secondCaption = std::string(label2);
            }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

bool FunctionControl::OnReadingSpeedSelChange(std::string_view entryText) {
    const std::optional<std::string_view> entry = MatchingEntry(g_readingSpeedEntries, entryText);
    if (!entry) return false;
    m_readTimerMs = LeadingInteger(*entry);
    m_triggerIntervalText = "Trigger Interval : " + std::to_string(m_readTimerMs) + "ms";
    return true;
}

bool FunctionControl::OnXMaxSelChange(std::string_view entryText) {
    const std::optional<std::string_view> entry = MatchingEntry(g_xMaxEntries, entryText);
    if (!entry) return false;
    m_xMax = LeadingInteger(*entry);
    m_xAxisLabel = std::string(*entry);
    return true;
}

void FunctionControl::ClearFunctionTexts() {
    m_functionText.clear();
    m_rangeText.clear();
}

void FunctionControl::SetCurrentSlot(int slot) {
    m_currentSlot = IsDeviceSlot(slot) ? slot : kNoSlot;
}

void FunctionControl::SetDisplaySlot(int slot) {
    m_displaySlot = IsDeviceSlot(slot) ? slot : kNoSlot;
}

bool FunctionControl::autoRange(int slot) const {
    if (slot < 0 || slot > kNoSlot) return false;
    return m_autoRange[static_cast<std::size_t>(slot)];
}

void FunctionControl::SetAutoRange(int slot, bool on) {
    if (slot < 0 || slot > kNoSlot) return;
    m_autoRange[static_cast<std::size_t>(slot)] = on;
}

void FunctionControl::SetSlotFunctionFromAnswer(int slot, std::string_view funcAnswer) {
    if (!IsDeviceSlot(slot) || funcAnswer.empty()) return;
    m_slotFunction[static_cast<std::size_t>(slot)] = "CONF:" + std::string(funcAnswer) + "\n";
}

const std::string& FunctionControl::slotFunction(int slot) const {
    if (!IsDeviceSlot(slot)) return kEmpty;
    return m_slotFunction[static_cast<std::size_t>(slot)];
}

bool FunctionControl::secondValueFlag(int line) const {
    if (line < 0 || line >= kDeviceLineCount) return false;
    return m_secondValueFlag[static_cast<std::size_t>(line)];
}

}  // namespace qm
