#pragma once
// The command console (dialog 148): free SCPI write, read and query to one
// of the meters the main window found, with a history of the commands sent.
// The main window owns one instance and shows it modally from its menu; the
// meters are taken over from the main window each time the page opens.
#include "console/CommandConsole.h"
#include "ui/CPageFrame.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qm {
class MeterTool;
}

class CCommandConsoleDlg : public CPageFrame {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 148;
    enum : int {
        kDeviceChoice = 1033,
        kSendLabel = 1137,
        kSendEdit = 1088,
        kHistory = 1149,
        kQueryButton = 1094,
        kWriteButton = 1095,
        kReadButton = 1096,
        kReceivedLabel = 1138,
        kReceivedEdit = 1097,
        kExitButton = 1150,
    };

    CCommandConsoleDlg(const qm::TextSource& texts, qm::MeterTool& tool, QWidget* parent = nullptr);

    const qm::CommandConsole& console() const { return m_console; }

  public slots:
    void OnQuery();
    void OnWrite();
    void OnRead();

  protected:
    void showEvent(QShowEvent* event) override;
    void ApplyPageTexts() override;

  private:
    void OnInitDialog();
    void OnHistorySelChange(int index);
    void ShowReceived(const qm::ConsoleResult& result);
    void UpdateHistory();

    qm::MeterTool& m_tool;
    qm::CommandConsole m_console;

    QComboBox* m_deviceChoice = nullptr;
    QLabel* m_sendLabel = nullptr;
    QLineEdit* m_sendEdit = nullptr;
    QComboBox* m_history = nullptr;
    QPushButton* m_query = nullptr;
    QPushButton* m_write = nullptr;
    QPushButton* m_read = nullptr;
    QLabel* m_receivedLabel = nullptr;
    QPlainTextEdit* m_received = nullptr;
};
