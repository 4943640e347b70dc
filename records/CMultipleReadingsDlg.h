#pragma once
// The Multiple Readings page (dialog 147): a counted burst of readings from
// one meter into a record. The main window owns one instance and shows it
// modally from its menu; the meters and their labels are the window's.
//
// The page only builds controls and forwards to qm::Burst. Readings are
// taken one per step on a worker thread, one step at a time, so the window
// stays live however slowly the meter answers; Stop takes effect before the
// next reading.
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "records/Burst.h"
#include "ui/CPageFrame.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

class CMultipleReadingsDlg : public CPageFrame {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 147;
    enum : int {
        kExit = 2,
        kStartReading = 1001,
        kStopReading = 1004,
        kInstrumentList = 1007,
        kRecordCombo = 1053,
        kProgress = 1079,
        kCount = 1154,
        kCountLabel = 1155,
        kRecordLabel = 1156,
    };

    // `labels` gives the labels of the meters found by the window's last
    // discovery, in slot order.
    using LabelSource = std::function<std::vector<std::string>()>;
    CMultipleReadingsDlg(qm::SessionTable& sessions, LabelSource labels, qm::Prompter& prompter,
                         const qm::Clock& clock, const qm::TextSource& texts,
                         QWidget* parent = nullptr);
    ~CMultipleReadingsDlg() override;

    qm::Burst& burst() { return m_burst; }
    bool running() const { return m_running; }
    // Steps run on the page's own thread, one per pass of the event loop
    // (tests drive them with processEvents).
    void setStepsOnWorker(bool onWorker) { m_stepsOnWorker = onWorker; }

  public slots:
    void OnStartReading();
    void OnStopReading();

  protected:
    void showEvent(QShowEvent* event) override;
    // Labels, buttons and the "no device" row, again whenever the language changes.
    void ApplyPageTexts() override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

  private:
    void OnInitDialog();
    void FillRecordCombo();
    void OnCountChange(const QString& text);
    void ShowIdle();
    void ScheduleStep();
    void OnStepDone(bool more);
    void EndBurst(bool byCount);

    qm::SessionTable& m_sessions;
    LabelSource m_labels;
    qm::Prompter& m_prompter;
    qm::Burst m_burst;

    QListWidget* m_instruments = nullptr;
    QLineEdit* m_count = nullptr;
    QComboBox* m_records = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_exit = nullptr;
    QLabel* m_countLabel = nullptr;
    QLabel* m_recordLabel = nullptr;
    QProgressBar* m_progress = nullptr;

    bool m_noDevice = false;
    bool m_running = false;
    bool m_stepInFlight = false;
    std::atomic<bool> m_stopRequested{false};
    bool m_stepsOnWorker = true;
    QThreadPool m_worker;
};
