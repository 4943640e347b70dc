#include "config/DeviceSettingsPage.h"

#include <algorithm>
#include <utility>

#include "config/SecondFunction.h"

namespace qm {

namespace {

bool InList(int index, std::size_t count) {
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

int IndexOfText(const std::vector<std::string>& entries, std::string_view text) {
    const auto it = std::find(entries.begin(), entries.end(), text);
    return it == entries.end() ? -1 : static_cast<int>(it - entries.begin());
}

template <typename Span>
std::vector<std::string> Texts(const Span& entries) {
    std::vector<std::string> texts;
    for (const auto& e : entries) texts.emplace_back(e);
    return texts;
}

std::vector<std::string> RangeLabels(std::span<const RangeChoice> entries) {
    std::vector<std::string> labels;
    for (const RangeChoice& e : entries) labels.emplace_back(e.label);
    return labels;
}

std::vector<std::string> TransducerLabels() {
    std::vector<std::string> labels;
    for (const ChoiceEntry& e : g_transducerChoices) labels.emplace_back(e.label);
    return labels;
}

int Selected(int index, std::size_t count) {
    return InList(index, count) ? index : -1;
}

}  // namespace

DeviceSettingsPage::DeviceSettingsPage(DeviceSettingsLink link, Prompter& prompter,
                                       const TextSource& texts)
    : m_link(std::move(link)), m_prompter(prompter), m_texts(texts) {}

PageChannel DeviceSettingsPage::Channel() const {
    return PageChannel(m_link.exchange, m_selDevice);
}

std::string DeviceSettingsPage::IdentityOf(int device) const {
    if (!InList(device, m_devices.size())) return {};
    return m_devices[static_cast<std::size_t>(device)].identity;
}

void DeviceSettingsPage::OnInitDialog() {
    m_devices = m_link.devices ? m_link.devices() : std::vector<PageDevice>{};
    m_model = SettingsModel::None;
    if (m_devices.empty()) return;
    OnDeviceSelChange(0);
}

void DeviceSettingsPage::OnDeviceSelChange(int index) {
    if (!InList(index, m_devices.size())) return;
    m_selDevice = index;
    m_rangeIndex = 0;
    m_extendedCapRange = false;
    m_readBackFunction = -1;
    m_model = SettingsModelFor(IdentityOf(index));
    m_second = SecondFunctionChoice{};
    PageChannel channel = Channel();
    ReadBack(channel);
    KeepSelectionsInLists();
    if (m_model == SettingsModel::Dual) ReadSecondFunction(channel);
}

void DeviceSettingsPage::OnFunctionSelChange(int index) {
    if (!InList(index, static_cast<std::size_t>(OfferedFunctionCount(m_model)))) return;
    m_selFunction = index;
    KeepSelectionsInLists();
    if (m_model != SettingsModel::Dual) return;
    if (index == m_readBackFunction) {
        PageChannel channel = Channel();
        ReadSecondFunction(channel);
    } else {
        // Only the second functions the chosen primary allows are offered.
        RebuildSecondFunctionList();
    }
}

void DeviceSettingsPage::OnRangeSelChange(int index) {
    const auto entries = RangeEntriesFor(m_selFunction, m_model, m_extendedCapRange);
    if (!InList(index, entries.size())) return;
    m_rangeIndex = index;
    if (m_selFunction != kRowTemperature) return;
    PageChannel channel = Channel();
    const CoefficientTexts read = ReadCoefficients(channel, selectedSensor());
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (read[i]) m_coef[i] = *read[i];
    }
}

void DeviceSettingsPage::OnColumnSelChange(int index) {
    if (InList(index, ColumnEntriesFor(ColumnKindFor(m_selFunction), m_model).size()))
        m_columnIndex = index;
}

void DeviceSettingsPage::OnTransducerSelChange(int index) {
    if (InList(index, g_transducerChoices.size())) m_transducer = index;
}

void DeviceSettingsPage::OnSecondFunctionSelChangePage(int index) {
    const std::vector<std::string> entries = SecondFunctionEntries();
    if (!InList(index, entries.size())) return;
    m_second = SecondFunctionChoice{};
    m_second.label = entries[static_cast<std::size_t>(index)];
    // The lists start at what the meter has for that function.
    PageChannel channel = Channel();
    TakeSecondSettings(ReadSecondFunctionSettings(channel, m_second.label, m_extendedCapRange));
}

void DeviceSettingsPage::OnRange2SelChange(int index) {
    if (InList(index, SecondFunctionRangeEntries(m_second.label, m_extendedCapRange).size()))
        m_second.rangeIndex = index;
}

void DeviceSettingsPage::OnSetting2SelChange(int index) {
    if (InList(index, SecondFunctionSettingFor(m_second.label).entries.size()))
        m_second.settingIndex = index;
}

void DeviceSettingsPage::OnTransducer2SelChange(int index) {
    if (InList(index, g_transducerChoices.size())) m_second.transducer = index;
}

void DeviceSettingsPage::OnCoefficientEdit(int position, std::string text) {
    if (InList(position, m_coef.size())) m_coef[static_cast<std::size_t>(position)] = std::move(text);
}

void DeviceSettingsPage::OnGetSettings() {
    if (m_devices.empty()) return;
    PageChannel channel = Channel();
    ReadBack(channel);
    KeepSelectionsInLists();
    if (m_model == SettingsModel::Dual) ReadSecondFunction(channel);
}

bool DeviceSettingsPage::OnSet() {
    if (m_devices.empty() || m_model == SettingsModel::None) return false;
    ApplyRequest request;
    request.model = m_model;
    request.slot = m_selDevice;
    request.row = m_selFunction;
    request.rangeIndex = m_rangeIndex;
    request.columnIndex = m_columnIndex;
    request.transducer = m_transducer;
    request.extendedCapRange = m_extendedCapRange;
    request.coefficientTexts = m_coef;
    request.second = m_second;
    PageChannel channel = Channel();
    const ApplyOutcome outcome =
        ApplySettings(channel, request, m_prompter, m_texts, m_link.setAutoRange);
    if (outcome.forcedRangeIndex) m_rangeIndex = *outcome.forcedRangeIndex;
    if (!outcome.completed) return false;
    // The controls show what the meter really uses.
    OnGetSettings();
    return true;
}

void DeviceSettingsPage::ReadBack(PageChannel& channel) {
    const PrimaryReadBack rb =
        ReadInstrumentSettings(channel, m_model, m_selFunction, m_extendedCapRange);
    if (rb.row) m_selFunction = m_readBackFunction = *rb.row;
    if (rb.columnIndex) m_columnIndex = *rb.columnIndex;
    if (rb.extendedCapRange) m_extendedCapRange = *rb.extendedCapRange;
    if (rb.rangeIndex) m_rangeIndex = *rb.rangeIndex;
    if (rb.transducer) m_transducer = *rb.transducer;
    for (std::size_t i = 0; i < rb.coefficients.size(); ++i) {
        if (rb.coefficients[i]) m_coef[i] = *rb.coefficients[i];
    }
}

// A remembered index that the present list does not have falls back to its
// first entry, so that Set never reaches past a list.
void DeviceSettingsPage::KeepSelectionsInLists() {
    const int offered = OfferedFunctionCount(m_model);
    if (!InList(m_selFunction, static_cast<std::size_t>(offered))) m_selFunction = 0;
    if (!InList(m_rangeIndex, RangeEntriesFor(m_selFunction, m_model, m_extendedCapRange).size()))
        m_rangeIndex = 0;
    if (!InList(m_columnIndex, ColumnEntriesFor(ColumnKindFor(m_selFunction), m_model).size()))
        m_columnIndex = 0;
}

void DeviceSettingsPage::ReadSecondFunction(PageChannel& channel) {
    const std::optional<std::string> label = ReadSecondFunctionLabel(channel);
    if (!label) return;
    m_second = SecondFunctionChoice{};
    m_second.label = *label;
    RebuildSecondFunctionList();
    if (m_second.label == kNoneLabel) return;
    TakeSecondSettings(ReadSecondFunctionSettings(channel, m_second.label, m_extendedCapRange));
}

void DeviceSettingsPage::TakeSecondSettings(const SecondSettingsReadBack& rb) {
    if (rb.rangeIndex) m_second.rangeIndex = *rb.rangeIndex;
    if (rb.settingIndex) m_second.settingIndex = *rb.settingIndex;
    if (rb.transducer) m_second.transducer = *rb.transducer;
}

void DeviceSettingsPage::RebuildSecondFunctionList() {
    const std::vector<std::string> entries = SecondFunctionEntries();
    if (IndexOfText(entries, m_second.label) < 0) m_second = SecondFunctionChoice{};
}

std::vector<std::string> DeviceSettingsPage::SecondFunctionEntries() const {
    if (m_model != SettingsModel::Dual) return {};
    return BuildSecondFunctionList(SecondFunctionRowOf(m_selFunction), m_second.label,
                                   IdentityOf(m_selDevice))
        .entries;
}

std::string_view DeviceSettingsPage::selectedSensor() const {
    if (m_selFunction != kRowTemperature) return {};
    const auto entries = RangeEntriesFor(m_selFunction, m_model, m_extendedCapRange);
    if (!InList(m_rangeIndex, entries.size())) return {};
    return entries[static_cast<std::size_t>(m_rangeIndex)].label;
}

DeviceSettingsView DeviceSettingsPage::View() const {
    DeviceSettingsView view;
    view.noDevice = m_devices.empty();
    view.rangeCaption = m_texts.GetText("87", "Range");
    if (view.noDevice) {
        view.devices.entries.push_back(m_texts.GetText("1000", "No Device Connected"));
        return view;
    }
    for (const PageDevice& d : m_devices) view.devices.entries.push_back(d.label);
    view.devices.selected = m_selDevice;

    view.functions.entries = FunctionNames(m_model, m_texts);
    view.functions.selected = Selected(m_selFunction, view.functions.entries.size());
    if (m_model == SettingsModel::None) return view;

    const int row = m_selFunction;
    const CaptionText rangeCaption = RangeCaptionFor(row);
    view.rangeCaption = m_texts.GetText(rangeCaption.key, rangeCaption.fallback);
    view.range.entries = RangeLabels(RangeEntriesFor(row, m_model, m_extendedCapRange));
    view.range.selected = Selected(m_rangeIndex, view.range.entries.size());

    const ColumnKind kind = ColumnKindFor(row);
    view.columnShown = kind != ColumnKind::None;
    if (view.columnShown) {
        const CaptionText caption = ColumnCaptionFor(kind);
        view.columnCaption = m_texts.GetText(caption.key, caption.fallback);
        view.column.entries = ColumnLabels(kind, m_model, m_texts);
        view.column.selected = Selected(m_columnIndex, view.column.entries.size());
    }

    view.transducerShown = row == kRowTemperature;
    view.transducer.entries = TransducerLabels();
    view.transducer.selected = m_transducer;

    view.secondShown = m_model == SettingsModel::Dual;
    if (view.secondShown) {
        view.function2.entries = SecondFunctionEntries();
        view.function2Enabled = !view.function2.entries.empty();
        view.function2.selected = IndexOfText(view.function2.entries, m_second.label);
        // "Range" is the same word as the first function's caption, so it
        // follows the language as that one does; "UNIT" stays as it is.
        const std::string_view range2 = SecondFunctionRangeCaption(m_second.label);
        view.range2Caption = range2 == "Range" ? m_texts.GetText("87", "Range") : std::string(range2);
        view.setting2Caption = "NPLC";
        if (m_second.label != kNoneLabel) {
            view.range2.entries =
                Texts(SecondFunctionRangeEntries(m_second.label, m_extendedCapRange));
            view.range2.selected = Selected(m_second.rangeIndex, view.range2.entries.size());
            const SecondFunctionSetting setting = SecondFunctionSettingFor(m_second.label);
            view.setting2Caption = std::string(setting.caption);
            view.setting2.entries = Texts(setting.entries);
            view.setting2.selected = Selected(m_second.settingIndex, view.setting2.entries.size());
        }
        view.transducer2Shown = m_second.label == "TEMP";
        view.transducer2.entries = TransducerLabels();
        view.transducer2.selected = m_second.transducer;
    }

    const std::string_view sensor = selectedSensor();
    for (int pos = 0; pos < kCoefficientCount; ++pos) {
        const SensorCoefficient* c = CoefficientAt(sensor, pos);
        if (c == nullptr) continue;
        CoefficientView& v = view.coefficients[static_cast<std::size_t>(pos)];
        v.shown = true;
        v.caption = std::string(c->caption);
        v.text = m_coef[static_cast<std::size_t>(pos)];
    }
    return view;
}

}  // namespace qm
