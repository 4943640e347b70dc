#pragma once
// The Record Chart page: plots the stored readings of one record.
// The main window owns one instance and shows it modally from its menu; the
// page keeps its state between showings for as long as the program runs.
#include <QDialog>

class QLabel;
class QPushButton;

namespace qm {
class TextSource;
}

class CRecordChartDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 146;

    explicit CRecordChartDlg(const qm::TextSource& texts, QWidget* parent = nullptr);

  protected:
    // Texts follow the language chosen since the last showing.
    void showEvent(QShowEvent* event) override;

  private:
    void ApplyTexts();

    const qm::TextSource& m_texts;
    QLabel* m_title = nullptr;
    QPushButton* m_exit = nullptr;
};
