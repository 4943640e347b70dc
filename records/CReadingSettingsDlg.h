#pragma once
// The Reading Settings page (dialog 137): one meter or two to four read at
// once, per meter whether and where its readings are saved, and the chart
// colours. The main window owns one instance, opens it modally from its
// menu and takes the values back after OK; the page keeps its state between
// showings for as long as the program runs. Every rule is qm::ReadingSettings';
// the page builds the controls, passes clicks on and shows the view.
#include <array>
#include <vector>

#include "platform/Prompter.h"
#include "records/ReadingSettings.h"
#include "ui/CPageFrame.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

class CReadingSettingsDlg : public CPageFrame {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 137;
    enum : int {
        kOk = 1,
        kSingleDevice = 1025,
        kMultiDevice = 1026,
        kSaveSingle = 1027,
        kSaveInstrument = 1028,
        kPrevInstrument = 1029,
        kNextInstrument = 1030,
        kSettingsGroup = 1031,
        kInstrumentLabel = 1032,
        kCurrentLabel = 1033,
        kInstrumentColourLabel = 1034,
        kInstrumentSwatch = 1035,
        kChangeInstrumentColour = 1036,
        kColourLabel = 1037,
        kSwatch = 1038,
        kChangeColour = 1039,
        kSecondSwatch = 1040,
        kInstrumentSecondSwatch = 1042,
        kRecordSingle = 1053,
        kRecordInstrument = 1054,
        kModeGroup = 1130,
        kInstrumentList = 1157,
        kChangeSecondColour = 1159,
        kChangeInstrumentSecondColour = 1160,
        kDualMeasure = 1192,
        kSelect = 1204,
    };

    CReadingSettingsDlg(const qm::TextSource& texts, qm::Prompter& prompter,
                        QWidget* parent = nullptr);

    // Before each showing: the window's meters, mode, colours and whether a
    // second value is measured.
    void Open(const qm::ReadingSettingsContext& context);
    // What the window takes back after OK.
    const qm::ReadingSettingsValues& values() const { return m_settings.values(); }
    qm::ReadingSettings& settings() { return m_settings; }

  public slots:
    // OK: closes only when the settings are complete.
    void accept() override;
    // Esc and the close box: everything as it was when the page opened.
    void reject() override;

  protected:
    void ApplyPageTexts() override;

  private:
    QFrame* Swatch(QWidget* parent, int id);
    void FillRecordCombos();
    void FitRecordCombos();
    void OnSelectInstruments();
    // Shows what the settings say; refused choices fall back to what holds.
    void ShowView();
    // Runs a handler of the settings, then shows the outcome.
    template <typename F>
    void Forward(F handler);

    qm::ReadingSettings m_settings;

    QGroupBox* m_modeGroup = nullptr;
    QButtonGroup* m_modeButtons = nullptr;
    QRadioButton* m_single = nullptr;
    QRadioButton* m_multi = nullptr;
    QCheckBox* m_dualMeasure = nullptr;

    QWidget* m_singlePanel = nullptr;
    QLabel* m_colourLabel = nullptr;
    QFrame* m_swatch = nullptr;
    QPushButton* m_changeColour = nullptr;
    QFrame* m_secondSwatch = nullptr;
    QPushButton* m_changeSecondColour = nullptr;
    QCheckBox* m_saveSingle = nullptr;
    QComboBox* m_recordSingle = nullptr;

    QGroupBox* m_settingsGroup = nullptr;
    QListWidget* m_instruments = nullptr;
    QPushButton* m_select = nullptr;
    QLabel* m_instrumentLabel = nullptr;
    QLabel* m_currentLabel = nullptr;
    QPushButton* m_prev = nullptr;
    QPushButton* m_next = nullptr;
    QLabel* m_instrumentColourLabel = nullptr;
    QFrame* m_instrumentSwatch = nullptr;
    QPushButton* m_changeInstrumentColour = nullptr;
    QFrame* m_instrumentSecondSwatch = nullptr;
    QPushButton* m_changeInstrumentSecondColour = nullptr;
    QCheckBox* m_saveInstrument = nullptr;
    QComboBox* m_recordInstrument = nullptr;

    QPushButton* m_ok = nullptr;
};
