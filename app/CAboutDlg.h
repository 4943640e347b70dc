#pragma once
// The About box (dialog 100): the program's name and icon, and the language
// choice. The main window creates it when it is opened and applies the
// current language after it closes.
#include <QDialog>

class QLabel;
class QPushButton;

namespace qm {
class LanguageTexts;
}

class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 100;
    enum : int { kOkButton = 1, kProgramIcon = 1122, kProgramTitle = 1116 };

    // The box may change the current language of `texts`.
    explicit CAboutDlg(qm::LanguageTexts& texts, QWidget* parent = nullptr);

  private:
    qm::LanguageTexts& m_texts;
    QLabel* m_title = nullptr;
    QPushButton* m_ok = nullptr;
};
