#include "records/ReadingSettings.h"

#include <algorithm>

#include "records/RecordSaving.h"
#include "records/RecordStore.h"

namespace qm {

namespace {

bool ValidRecord(int recordNo) {
    return recordNo >= kFirstRecordNumber && recordNo <= kLastRecordNumber;
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Distinct rows that name a listed meter, in list order.
std::vector<int> ListedRows(std::vector<int> rows, int count) {
    std::erase_if(rows, [count](int r) { return r < 0 || r >= count; });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

}  // namespace

ReadingSettings::ReadingSettings(Prompter& prompter, const TextSource& texts)
    : m_prompter(prompter), m_texts(texts) {
    for (int n = kFirstRecordNumber; n <= kLastRecordNumber; ++n)
        m_choices[static_cast<std::size_t>(n - 1)].label = RecordName(n);
}

void ReadingSettings::Open(const ReadingSettingsContext& context) {
    m_labels = context.labels;
    const int count = static_cast<int>(m_labels.size());
    m_values.colours = context.colours;
    m_dualMeasure = context.dualMeasure;
    m_current = 0;

    // The chosen meters are the window's while it reads several; otherwise
    // the page's own choice from an earlier showing stays on offer, as long
    // as those meters are still listed.
    const std::vector<int> windowChosen = ListedRows(context.chosen, count);
    const bool windowMulti = context.multiMode && count >= kFewestMetersReadAtOnce &&
                             windowChosen.size() >= kFewestMetersReadAtOnce &&
                             windowChosen.size() <= kMetersReadAtOnce &&
                             windowChosen.size() == context.chosen.size();
    if (windowMulti) {
        m_values.chosen = context.chosen;  // in the window's reading order
    } else {
        std::erase_if(m_values.chosen, [count](int r) { return r < 0 || r >= count; });
    }
    m_values.multiMode = windowMulti;
    m_selected = windowMulti;

    m_opened = m_values;
    m_openedSelected = m_selected;
    FillRecordChoices();
}

void ReadingSettings::FillRecordChoices() {
    for (int n = kFirstRecordNumber; n <= kLastRecordNumber; ++n)
        m_choices[static_cast<std::size_t>(n - 1)] = RecordChoice{RecordName(n), false, false, {}};
    m_folderUsable = true;
    // No database folder yet (a new installation): every record is free, and
    // the first Start that saves makes the folder.
    if (!ExistingDatabaseFolder()) return;
    const std::optional<std::string> folder =
        ResolveDatabaseFolder(m_prompter, kSettingsFolderCaption);
    if (!folder) {
        // Saving cannot be switched on while the folder cannot be entered.
        m_folderUsable = false;
        m_values.saveFlag.fill(false);
        return;
    }
    m_choices = ReadingSettingsChoices(*folder);
}

std::string ReadingSettings::LabelOfPosition(int position) const {
    int row = -1;
    if (position >= 0 && position < ChosenCount())
        row = m_values.chosen[static_cast<std::size_t>(position)];
    else if (position == 0)
        row = 0;
    if (row < 0 || row >= static_cast<int>(m_labels.size())) return {};
    return m_labels[static_cast<std::size_t>(row)];
}

void ReadingSettings::OnSingleDevice() {
    if (m_labels.empty()) return;
    m_values.multiMode = false;
}

void ReadingSettings::OnMultiDevice() {
    if (static_cast<int>(m_labels.size()) < kFewestMetersReadAtOnce) return;
    // The meters are chosen again with Select before OK takes the mode.
    m_values.multiMode = true;
    m_selected = false;
    m_current = 0;
}

bool ReadingSettings::OnSelectInstruments(std::vector<int> rows) {
    if (!m_values.multiMode) return false;
    m_current = 0;
    const std::vector<int> listed = ListedRows(std::move(rows), static_cast<int>(m_labels.size()));
    const int n = static_cast<int>(listed.size());
    if (n > kMetersReadAtOnce || n < kFewestMetersReadAtOnce) {
        m_selected = false;
        m_prompter.message({std::string(n > kMetersReadAtOnce ? kTooManyDevicesText
                                                              : kTooFewDevicesText),
                            "", PromptIcon::None});
        return false;
    }
    m_values.chosen = listed;
    m_selected = true;
    return true;
}

bool ReadingSettings::RecordMissingFor(int position) const {
    const auto p = static_cast<std::size_t>(position);
    return m_values.saveFlag[p] && !ValidRecord(m_values.recordNo[p]);
}

bool ReadingSettings::RecordFree(int position, int recordNo) const {
    if (!m_values.multiMode || !m_values.saveFlag[static_cast<std::size_t>(position)]) return true;
    for (int j = 0; j < ChosenCount() && j < kMetersReadAtOnce; ++j) {
        const auto q = static_cast<std::size_t>(j);
        if (j != position && m_values.saveFlag[q] && m_values.recordNo[q] == recordNo) return false;
    }
    return true;
}

void ReadingSettings::SayRecordTaken() {
    m_prompter.message(
        {m_texts.GetText("1014", "The record has been selected, please select a different record."),
         "", PromptIcon::Warning});
}

void ReadingSettings::SaySelectRecord() {
    m_prompter.message(
        {m_texts.GetText("1013", "Please select a record."), "", PromptIcon::Warning});
}

void ReadingSettings::Navigate(int step) {
    if (!Selected()) return;
    if (RecordMissingFor(m_current)) {
        SaySelectRecord();
        return;
    }
    if (!RecordFree(m_current, m_values.recordNo[static_cast<std::size_t>(m_current)])) {
        SayRecordTaken();
        return;
    }
    m_current = std::clamp(m_current + step, 0, ChosenCount() - 1);
}

void ReadingSettings::OnPrevInstrument() {
    Navigate(-1);
}

void ReadingSettings::OnNextInstrument() {
    Navigate(+1);
}

void ReadingSettings::OnSaveSingle(bool checked) {
    if (m_labels.empty() || !m_folderUsable) return;
    m_values.saveFlag[0] = checked;
}

void ReadingSettings::OnSaveInstrument(bool checked) {
    if (!Selected() || !m_folderUsable) return;
    m_values.saveFlag[static_cast<std::size_t>(m_current)] = checked;
}

bool ReadingSettings::RecordUsable(int item) {
    if (item < 0 || item >= kRecordChoiceCount) return false;
    const RecordChoice& choice = m_choices[static_cast<std::size_t>(item)];
    if (!choice.unreadable) return true;
    // A file of that number that cannot be read is never written over.
    m_prompter.message({choice.problem.empty() ? choice.label : choice.problem, "",
                        PromptIcon::Warning});
    return false;
}

void ReadingSettings::OnRecordSingle(int item) {
    if (!m_values.saveFlag[0] || !RecordUsable(item)) return;
    m_values.recordNo[0] = item + 1;
}

void ReadingSettings::OnRecordInstrument(int item) {
    if (!Selected() || !m_values.saveFlag[static_cast<std::size_t>(m_current)]) return;
    if (!RecordUsable(item)) return;
    if (!RecordFree(m_current, item + 1)) {
        SayRecordTaken();
        return;
    }
    m_values.recordNo[static_cast<std::size_t>(m_current)] = item + 1;
}

void ReadingSettings::ChooseColour(int index) {
    auto& colour = m_values.colours[static_cast<std::size_t>(index)];
    if (const std::optional<Rgb> chosen = m_prompter.chooseColour(colour)) colour = *chosen;
}

void ReadingSettings::OnChangeColor() {
    ChooseColour(0);
}

void ReadingSettings::OnChange2ndColor() {
    ChooseColour(kMetersReadAtOnce);
}

void ReadingSettings::OnChangeInstrumentColor() {
    if (Selected()) ChooseColour(m_current);
}

void ReadingSettings::OnChangeInstrument2ndColor() {
    if (Selected()) ChooseColour(kMetersReadAtOnce + m_current);
}

bool ReadingSettings::OnOK() {
    if (!m_values.multiMode) {
        if (RecordMissingFor(0)) {
            SaySelectRecord();
            return false;
        }
        return true;
    }
    if (!Selected()) return false;
    // Every meter read at once that saves has a record, and a record of its own.
    std::vector<SavingRequest> saving;
    for (int i = 0; i < ChosenCount(); ++i) {
        if (RecordMissingFor(i)) {
            m_current = i;
            SaySelectRecord();
            return false;
        }
        if (m_values.saveFlag[static_cast<std::size_t>(i)])
            saving.push_back({i, m_values.recordNo[static_cast<std::size_t>(i)], {}, {}});
    }
    if (const auto shared = SharedRecordOf(saving)) {
        m_current = shared->second;
        SayRecordTaken();
        return false;
    }
    return true;
}

void ReadingSettings::OnCancel() {
    m_values = m_opened;
    m_selected = m_openedSelected;
    m_current = 0;
}

ReadingSettingsView ReadingSettings::view() const {
    ReadingSettingsView v;
    const int count = static_cast<int>(m_labels.size());
    const bool multi = m_values.multiMode;
    const bool selected = Selected();
    const auto cur = static_cast<std::size_t>(m_current);
    v.mode = multi ? 1 : 0;
    v.singleRadioEnabled = count >= 1;
    v.multiRadioEnabled = count >= kFewestMetersReadAtOnce;
    v.dualMeasure = m_dualMeasure;

    v.singleShown = !multi;
    v.singleSecondShown = !multi && m_dualMeasure;
    v.saveSingleEnabled = count >= 1 && m_folderUsable;
    v.saveSingleChecked = m_values.saveFlag[0];
    v.recordSingleEnabled = v.saveSingleEnabled && m_values.saveFlag[0];
    v.recordSingleItem = ValidRecord(m_values.recordNo[0]) ? m_values.recordNo[0] - 1 : -1;

    v.multiShown = multi;
    v.instrumentEnabled = selected;
    v.prevEnabled = selected && m_current > 0;
    v.nextEnabled = selected && m_current + 1 < ChosenCount();
    v.currentLabel = LabelOfPosition(m_current);
    // The second colour belongs to a meter that measures a second value.
    v.instrumentSecondShown = multi && m_dualMeasure && Contains(v.currentLabel, "TX42");
    v.saveInstrumentEnabled = selected && m_folderUsable;
    v.saveInstrumentChecked = selected && m_values.saveFlag[cur];
    v.recordInstrumentEnabled = v.saveInstrumentEnabled && m_values.saveFlag[cur];
    v.recordInstrumentItem =
        selected && ValidRecord(m_values.recordNo[cur]) ? m_values.recordNo[cur] - 1 : -1;
    v.listSelection = m_values.chosen;
    std::sort(v.listSelection.begin(), v.listSelection.end());

    v.okEnabled = !multi || selected;
    v.swatches = {m_values.colours[0], m_values.colours[cur], m_values.colours[kMetersReadAtOnce],
                  m_values.colours[kMetersReadAtOnce + cur]};
    return v;
}

}  // namespace qm
