#pragma once
// The Device Settings page (dialog 133): the detailed configuration of one
// meter. The main window owns one instance and shows it modally from its
// menu; each showing lists the meters again and reads the selected one.
// The page only builds controls, forwards what the user does to the core
// (qm::DeviceSettingsPage) and shows the view it returns.
#include <array>

#include "config/DeviceSettingsPage.h"
#include "ui/CPageFrame.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class CDeviceSettingsDlg : public CPageFrame {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 133;

    CDeviceSettingsDlg(const qm::TextSource& texts, qm::DeviceSettingsLink link,
                       qm::Prompter& prompter, QWidget* parent = nullptr);

    qm::DeviceSettingsPage& page() { return m_page; }

    // Runs at every showing: texts, the device list, the first meter's settings.
    void OnInitDialog();

  protected:
    void showEvent(QShowEvent* event) override;
    // A language change relabels the fixed texts and the captions the core
    // chooses for the present function.
    void ApplyPageTexts() override;
    void changeEvent(QEvent* event) override;

  private:
    void BuildControls();
    void ApplyFixedTexts();
    void ShowView();
    // Room that depends on the page's font, which follows the language.
    void ReserveRoom();
    // Brings the page's size constraints up to date at once.
    void SettleLayout();
    void OnSet();
    void OnGetSettings();
    // Each handler forwards to the core, then shows the new view.
    template <typename F>
    void Forward(F&& handler);

    qm::DeviceSettingsPage m_page;
    qm::Prompter& m_prompter;

    QLabel* m_deviceListCaption = nullptr;
    QListWidget* m_deviceList = nullptr;
    QPushButton* m_getSettings = nullptr;
    QGroupBox* m_settingsGroup = nullptr;
    QLabel* m_functionCaption = nullptr;
    QListWidget* m_functionList = nullptr;
    QLabel* m_rangeCaption = nullptr;
    QComboBox* m_range = nullptr;
    QLabel* m_columnCaption = nullptr;
    QComboBox* m_column = nullptr;
    QLabel* m_transducerCaption = nullptr;
    QComboBox* m_transducer = nullptr;
    QLabel* m_function2Caption = nullptr;
    QComboBox* m_function2 = nullptr;
    QLabel* m_range2Caption = nullptr;
    QComboBox* m_range2 = nullptr;
    QLabel* m_setting2Caption = nullptr;
    QComboBox* m_setting2 = nullptr;
    QLabel* m_transducer2Caption = nullptr;
    QComboBox* m_transducer2 = nullptr;
    std::array<QLabel*, qm::kCoefficientCount> m_coefCaptions{};
    std::array<QLineEdit*, qm::kCoefficientCount> m_coefEdits{};
    QPushButton* m_set = nullptr;
};
