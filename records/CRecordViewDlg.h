#pragma once
// The Record View page: lists the records and shows the readings of one.
// The main window owns one instance and shows it modally from its menu; the
// page keeps its state between showings for as long as the program runs.
#include <QDialog>

class QLabel;
class QPushButton;

namespace qm {
class TextSource;
}

class CRecordViewDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 142;

    explicit CRecordViewDlg(const qm::TextSource& texts, QWidget* parent = nullptr);

  protected:
    // Texts follow the language chosen since the last showing.
    void showEvent(QShowEvent* event) override;

  private:
    void ApplyTexts();

    const qm::TextSource& m_texts;
    QLabel* m_title = nullptr;
    QPushButton* m_exit = nullptr;
};
