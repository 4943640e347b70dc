#pragma once
// The Device Settings page: the detailed configuration of one meter.
// The main window owns one instance and shows it modally from its menu; the
// page keeps its state between showings for as long as the program runs.
#include <QDialog>

class QLabel;
class QPushButton;

namespace qm {
class TextSource;
}

class CDeviceSettingsDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 133;

    explicit CDeviceSettingsDlg(const qm::TextSource& texts, QWidget* parent = nullptr);

  protected:
    // Texts follow the language chosen since the last showing.
    void showEvent(QShowEvent* event) override;

  private:
    void ApplyTexts();

    const qm::TextSource& m_texts;
    QLabel* m_title = nullptr;
    QPushButton* m_exit = nullptr;
};
