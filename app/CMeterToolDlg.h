#pragma once
// The main window (dialog 102, "DA-VIVO"): device list, status lines, the
// reading pace and chart width, the second function, the live chart with its
// line controls, the four device lines and the 13 function keys, with the
// menu and the toolbar. It only builds controls, forwards what the user does
// to the core (MeterTool and the objects it owns) and shows what comes back.
#include <QDialog>
#include <QTimer>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/LanguageTexts.h"
#include "app/MeterTool.h"
#include "app/ReadingLoop.h"
#include "config/ModelCapabilities.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QToolBar;
class CShapeButton;
class CAboutDlg;
class CRecordChartDlg;
class CRecordViewDlg;
class CMultipleReadingsDlg;
class CReadingSettingsDlg;
class CDeviceSettingsDlg;
class CCommandConsoleDlg;

namespace qm {
class FittedLabel;
class LiveChartWidget;
}

class CMeterToolDlg : public QDialog, public qm::ReadingView {
    Q_OBJECT

  public:
    struct Options {
        // Section name of the language shown after start-up; empty: English.
        std::string language;
    };

    // Runs the window initialisation (language file check, toolbar, texts,
    // discovery) before returning. Messages go through `prompter`.
    CMeterToolDlg(qm::Prompter& prompter, qm::Clock& clock, const Options& options,
                  QWidget* parent = nullptr);
    CMeterToolDlg(qm::Prompter& prompter, qm::Clock& clock, QWidget* parent = nullptr);
    ~CMeterToolDlg() override;

    qm::MeterTool& tool() { return m_tool; }
    qm::LanguageTexts& texts() { return m_texts; }
    // The reading timer (timer 1); its timeout runs OnTimer().
    QTimer& readTimer() { return m_readTimer; }
    // A menu or toolbar action by command identifier; nullptr when unknown.
    QAction* action(int commandId) const;

    // The pages the menu opens (owned by the window, kept between showings).
    CRecordChartDlg* recordChartPage() const { return m_recordChartDlg; }
    CRecordViewDlg* recordViewPage() const { return m_recordViewDlg; }
    CMultipleReadingsDlg* multipleReadingsPage() const { return m_multipleReadingsDlg; }
    CReadingSettingsDlg* readingSettingsPage() const { return m_readingSettingsDlg; }
    CDeviceSettingsDlg* deviceSettingsPage() const { return m_deviceSettingsDlg; }
    CCommandConsoleDlg* commandConsolePage() const { return m_commandConsoleDlg; }

    // Writes the language as the one in use and relabels menus, toolbar
    // tips and the chart labels.
    void ApplyLanguage(const std::string& language);

  public slots:
    // Timer 1.
    void OnTimer();
    // Menu and toolbar commands.
    void OnDeviceSettings();
    void OnReadingSettings();
    void OnRefresh();
    void OnExit();
    void OnViewRecord();
    void OnChartRecord();
    void OnMultipleReadings();
    void OnStartReading();
    void OnStopReading();
    void OnCommandControl();
    void OnAbout();

  protected:
    // qm::ReadingView: what the reading loop changes on the window.
    void SetReadingControlsEnabled(bool enabled) override;
    void ShowRunState(bool reading) override;
    void StartTimer(int periodMs) override;
    void StopTimer() override;
    void LineUpdated(const qm::LineReading& line) override;
    void ChartChanged() override;
    void FunctionDisplayChanged(const qm::FunctionDisplayUpdate& update) override;
    void SelectionChanged(const qm::SelectionView& selection) override;

    // Enter never closes the window: in the Data Offset edit it applies the
    // offset, elsewhere it does nothing.
    void keyPressEvent(QKeyEvent* event) override;
    // Esc, Exit and the close box: every session is closed first.
    void reject() override;
    void accept() override {}

  private:
    // One device line of the display panel.
    struct DeviceLine {
        qm::FittedLabel* caption = nullptr;       // 1037 + line
        QFrame* lamp = nullptr;                   // 1044 + line
        qm::FittedLabel* functionName = nullptr;  // 1104 + line
        qm::FittedLabel* value = nullptr;         // 901 + line
        QLabel* secondMarker = nullptr;           // 1219 + line
        QFrame* secondLamp = nullptr;
        qm::FittedLabel* secondName = nullptr;
        qm::FittedLabel* secondValue = nullptr;  // 905 + line
    };

    // --- construction (CMeterToolDlgLayout.cpp) ---
    void BuildMenu();
    void BuildToolBar();
    QWidget* BuildStatusColumn();
    QWidget* BuildDisplayPanel();
    QWidget* BuildChartControls();
    QWidget* BuildFunctionKeys();
    void ApplyFonts();
    QAction* AddCommand(QMenu* menu, int commandId, const char* slot);

    // --- initialisation, menu, language (CMeterToolDlg.cpp) ---
    void OnInitDialog(const Options& options);
    bool GuardConnection();
    void FillDeviceList(const std::vector<std::string>& entries, int selected);
    void ApplyRefreshView(const qm::RefreshView& view);
    // After Reading Settings: the device lines of the mode chosen.
    void ApplyReadingMode();
    void ApplySelection(const qm::SelectionView& view);
    void ApplyDisplayUpdate(const qm::FunctionDisplayUpdate& update);
    void ApplySecondFunctionList(const qm::SecondFunctionList& list);
    void ApplySecondValueLines(const std::vector<qm::SecondValueLine>& lines);
    void ShowStatusTexts();
    void ShowDeviceLine(int line, bool shown);
    void HideSecondValue(int line);
    void ApplyControlStates();
    void OnDeviceListSelChange(int row);
    void OnFunctionButton(int controlId);
    void OnSecondFunctionSelChange(int index);
    void OnCancel();

    // --- chart controls (CMeterToolDlgChart.cpp) ---
    void OnYScaleUp();
    void OnYScaleDown();
    void OnLineRadio(int line);
    void ResetTraceSelection();
    void OnShiftGraphUp();
    void OnShiftGraphDown();
    void OnDataOffsetSet();
    void OnDataOffsetEnter();
    void OnReadingSpeedSelChange(int index);
    void OnXMaxSelChange(int index);
    void ShowChartLineFields(const std::string& offsetText);
    void RedrawChart();
    void DrawColourLamps();

    qm::Prompter& m_prompter;
    qm::LanguageTexts m_texts;
    qm::MeterTool m_tool;

    // Pages, in the order the window creates them.
    CRecordChartDlg* m_recordChartDlg = nullptr;
    CRecordViewDlg* m_recordViewDlg = nullptr;
    CMultipleReadingsDlg* m_multipleReadingsDlg = nullptr;
    CReadingSettingsDlg* m_readingSettingsDlg = nullptr;
    CDeviceSettingsDlg* m_deviceSettingsDlg = nullptr;
    CCommandConsoleDlg* m_commandConsoleDlg = nullptr;

    // Menu and toolbar.
    QMenuBar* m_menuBar = nullptr;
    std::vector<QMenu*> m_menus;
    std::map<int, QAction*> m_actions;
    QToolBar* m_toolBar = nullptr;

    // Status column.
    QListWidget* m_deviceList = nullptr;
    QLabel* m_deviceListTitle = nullptr;
    qm::FittedLabel* m_functionStatus = nullptr;
    qm::FittedLabel* m_rangeStatus = nullptr;
    QComboBox* m_readingSpeed = nullptr;
    QLabel* m_triggerInterval = nullptr;
    QComboBox* m_xMax = nullptr;
    QLabel* m_secondFunctionLabel = nullptr;
    QFrame* m_secondMarkerA = nullptr;
    QFrame* m_secondMarkerB = nullptr;
    QComboBox* m_secondFunction = nullptr;

    // Display panel and chart.
    std::array<DeviceLine, 4> m_lines{};
    qm::LiveChartWidget* m_chart = nullptr;
    QLabel* m_xAxisLabel = nullptr;

    // Chart controls.
    QWidget* m_chartControls = nullptr;
    std::array<QRadioButton*, 8> m_lineRadios{};
    std::map<int, QLabel*> m_labels;  // 1125-1129
    QPushButton* m_yScaleUp = nullptr;
    QPushButton* m_yScaleDown = nullptr;
    QLineEdit* m_yScaleEdit = nullptr;
    QLineEdit* m_dataOffsetEdit = nullptr;
    QPushButton* m_dataOffsetSet = nullptr;
    QPushButton* m_shiftUp = nullptr;
    QPushButton* m_shiftDown = nullptr;

    // The 13 function keys by control identifier.
    std::map<int, CShapeButton*> m_functionKeys;

    QTimer m_readTimer;

    // What the window last showed, so that enabling the controls again after
    // a run restores the selected model's limits.
    qm::ModelCapabilities m_capabilities;
    bool m_readingControlsEnabled = true;
    bool m_listEnabled = false;
    bool m_secondListEnabled = false;
};
