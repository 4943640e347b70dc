#pragma once
// The Reading Settings page without its widgets: whether the main window
// reads one meter or two to four at once, which meters and in which order,
// for each of them whether its readings are saved and into which record, and
// the nine chart colours. The page builds the controls, passes every click on
// to this object and shows what view() says; it decides nothing itself.
//
// Meters read at once are numbered by their position in the chosen list
// (0 to 3): position i is device line i + 1 of the main window, with its
// colours [i] and [4 + i], its save flag and its record. In single-device
// mode the selected meter uses position 0.
//
// The page edits a copy: Cancel (Esc, the close box) puts back everything
// as it was when the page opened; only OK hands the changes on.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Prompter.h"
#include "platform/TextSource.h"
#include "records/RecordLabels.h"

namespace qm {

inline constexpr int kMetersReadAtOnce = 4;
inline constexpr int kFewestMetersReadAtOnce = 2;
// Main colours of lines 1-4, second colours of lines 1-4, one spare pen.
inline constexpr int kSettingsColourCount = 9;
inline constexpr int kRecordChoiceCount = kLastRecordNumber - kFirstRecordNumber + 1;

inline constexpr std::string_view kTooManyDevicesText = "MAX. 4 Devices.";
inline constexpr std::string_view kTooFewDevicesText = "At least 2 Devices.";

// What the page works on, and what the main window takes back after OK.
struct ReadingSettingsValues {
    bool multiMode = false;
    // Device slots (positions in the window's device list) read at once, in
    // the order they are read; used in multi-device mode.
    std::vector<int> chosen;
    std::array<bool, kMetersReadAtOnce> saveFlag{};
    std::array<int, kMetersReadAtOnce> recordNo{};  // 0: no record chosen yet
    std::array<Rgb, kSettingsColourCount> colours{};

    bool operator==(const ReadingSettingsValues&) const = default;
};

// What the main window knows when it opens the page.
struct ReadingSettingsContext {
    std::vector<std::string> labels;  // the meters found, in slot order (list 1157)
    bool multiMode = false;
    std::vector<int> chosen;  // the window's slots of multi-device mode
    std::array<Rgb, kSettingsColourCount> colours{};
    bool dualMeasure = false;  // a second value is measured (shown, never changed here)
};

// Which controls the page shows, enables and fills.
struct ReadingSettingsView {
    int mode = 0;  // radio 1025 (0) / 1026 (1)
    bool singleRadioEnabled = false;
    bool multiRadioEnabled = false;
    bool dualMeasure = false;  // check box 1192, always disabled

    // Single-device mode: 1037, 1038, 1039, 1027 and 1053.
    bool singleShown = true;
    bool singleSecondShown = false;  // 1040 and 1159
    bool saveSingleEnabled = false;
    bool saveSingleChecked = false;
    bool recordSingleEnabled = false;
    int recordSingleItem = -1;  // -1: the prompt "Please select a record."

    // Multi-device mode: 1031, 1157, 1204, 1032-1036, 1029, 1030, 1028 and 1054.
    bool multiShown = false;
    bool instrumentEnabled = false;  // 1033, 1035, 1036, 1028: meters have been selected
    bool prevEnabled = false;        // "<<" 1029
    bool nextEnabled = false;        // ">>" 1030
    bool instrumentSecondShown = false;  // 1042 and 1160
    bool saveInstrumentEnabled = false;
    bool saveInstrumentChecked = false;
    bool recordInstrumentEnabled = false;
    int recordInstrumentItem = -1;
    std::string currentLabel;     // static 1033
    std::vector<int> listSelection;  // rows of list 1157 shown selected

    bool okEnabled = false;
    // Swatches 1038, 1035, 1040 and 1042.
    std::array<Rgb, 4> swatches{};
};

class ReadingSettings {
  public:
    ReadingSettings(Prompter& prompter, const TextSource& texts);

    // Before each showing: takes the window's meters, mode and colours over,
    // lists the records of the database folder and remembers everything as
    // it is, for Cancel.
    void Open(const ReadingSettingsContext& context);

    // Radio buttons 1025 and 1026.
    void OnSingleDevice();
    void OnMultiDevice();
    // "Select" (1204) with the rows selected in list 1157: two to four of
    // them become the meters read at once, in list order; false after
    // telling the user otherwise.
    bool OnSelectInstruments(std::vector<int> rows);
    // "<<" (1029) and ">>" (1030).
    void OnPrevInstrument();
    void OnNextInstrument();
    // Save boxes 1027 (single) and 1028 (the meter shown).
    void OnSaveSingle(bool checked);
    void OnSaveInstrument(bool checked);
    // Record combos 1053 and 1054: item i is record i + 1. A record that
    // another saving meter uses, or whose file cannot be read, is refused
    // (the user is told) and the choice before stays.
    void OnRecordSingle(int item);
    void OnRecordInstrument(int item);
    // Colour buttons 1039, 1159, 1036 and 1160, through the colour chooser.
    void OnChangeColor();
    void OnChange2ndColor();
    void OnChangeInstrumentColor();
    void OnChangeInstrument2ndColor();
    // OK: false (after telling the user) while a saving meter has no
    // record, or shares its record with another one.
    bool OnOK();
    // Esc and the close box: everything as it was when the page opened.
    void OnCancel();

    ReadingSettingsView view() const;
    const ReadingSettingsValues& values() const { return m_values; }
    // The ten record combo entries (the same in both combos).
    const std::array<RecordChoice, kRecordChoiceCount>& recordChoices() const { return m_choices; }
    const std::vector<std::string>& labels() const { return m_labels; }
    int currentIndex() const { return m_current; }

  private:
    void FillRecordChoices();
    bool Selected() const { return m_values.multiMode && m_selected; }
    int ChosenCount() const { return static_cast<int>(m_values.chosen.size()); }
    std::string LabelOfPosition(int position) const;
    // The record may be taken by the meter at `position`: no other saving
    // meter read at once uses it.
    bool RecordFree(int position, int recordNo) const;
    bool RecordUsable(int item);
    bool RecordMissingFor(int position) const;
    void SayRecordTaken();
    void SaySelectRecord();
    void Navigate(int step);
    void ChooseColour(int index);

    Prompter& m_prompter;
    const TextSource& m_texts;
    ReadingSettingsValues m_values;
    ReadingSettingsValues m_opened;  // for Cancel
    bool m_openedSelected = false;
    std::vector<std::string> m_labels;
    std::array<RecordChoice, kRecordChoiceCount> m_choices{};
    bool m_folderUsable = true;
    bool m_dualMeasure = false;
    bool m_selected = false;  // the meters read at once have been chosen
    int m_current = 0;        // position shown in multi-device mode
};

}  // namespace qm
