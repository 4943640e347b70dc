#pragma once
// The About box (dialog 100): the program's name, icon, version and maker on
// one tab, the language choice on the other. The main window creates it when
// it is opened and applies the current language after it closes.
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QTabBar;

namespace qm {
class LanguageTexts;
class Prompter;
}  // namespace qm

class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 100;
    enum : int {
        kOkButton = 1,
        kTabs = 1121,
        kProgramIcon = 1122,
        kProgramTitle = 1116,
        kVersionText = 1032,
        kNotice = 1034,
        kWebLink = 1117,
        kLanguageChoice = 1149,
    };

    // The box may change the current language of `texts`; the web link is
    // opened through `prompter`.
    CAboutDlg(qm::LanguageTexts& texts, qm::Prompter& prompter, QWidget* parent = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnShowWindow();
    void OnTabSelChange(int tab);
    void OnLanguageSelChange(int entry);

    qm::LanguageTexts& m_texts;
    qm::Prompter& m_prompter;
    QTabBar* m_tabs = nullptr;
    QLabel* m_icon = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_notice = nullptr;
    QLabel* m_link = nullptr;
    QComboBox* m_language = nullptr;
    QPushButton* m_ok = nullptr;
};
