#pragma once
// The Reading Settings page: reading mode, saving and chart colours.
// The main window owns one instance and shows it modally from its menu; the
// page keeps its state between showings for as long as the program runs.
#include <QDialog>

class QLabel;
class QPushButton;

namespace qm {
class TextSource;
}

class CReadingSettingsDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 137;

    explicit CReadingSettingsDlg(const qm::TextSource& texts, QWidget* parent = nullptr);

  protected:
    // Texts follow the language chosen since the last showing.
    void showEvent(QShowEvent* event) override;

  private:
    void ApplyTexts();

    const qm::TextSource& m_texts;
    QLabel* m_title = nullptr;
    QPushButton* m_exit = nullptr;
};
