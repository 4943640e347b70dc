#include "records/CMultipleReadingsDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/TextSource.h"
#include "ui/PageControls.h"

CMultipleReadingsDlg::CMultipleReadingsDlg(qm::SessionTable& sessions, LabelSource labels,
                                           qm::Prompter& prompter, const qm::Clock& clock,
                                           const qm::TextSource& texts, QWidget* parent)
    : CPageFrame(kDialogId, {"21", "Multiple Readings", "95", "Exit"}, texts, parent),
      m_sessions(sessions),
      m_labels(std::move(labels)),
      m_prompter(prompter),
      m_burst(sessions, prompter, texts, clock) {
    m_worker.setMaxThreadCount(1);
    auto* grid = new QGridLayout(body());
    m_countLabel = Named(new QLabel(body()), kCountLabel);
    m_count = Named(new QLineEdit(body()), kCount);
    m_count->setMaxLength(9);
    m_recordLabel = Named(new QLabel(body()), kRecordLabel);
    m_records = Named(new QComboBox(body()), kRecordCombo);
    m_records->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_instruments = Named(new QListWidget(body()), kInstrumentList);
    m_start = Named(new QPushButton(body()), kStartReading);
    m_stop = Named(new QPushButton(body()), kStopReading);
    m_progress = Named(new QProgressBar(body()), kProgress);
    m_progress->setTextVisible(true);
    for (QPushButton* b : {m_start, m_stop}) b->setAutoDefault(false);

    grid->addWidget(m_instruments, 0, 0, 1, 3);
    grid->addWidget(m_countLabel, 1, 0);
    grid->addWidget(m_count, 1, 1, 1, 2);
    grid->addWidget(m_recordLabel, 2, 0);
    grid->addWidget(m_records, 2, 1, 1, 2);
    grid->addWidget(m_progress, 3, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    grid->addLayout(buttons, 4, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(0, 1);

    // The page is as small as its controls allow, no smaller.
    body()->setMinimumSize(0, 0);

    m_exit = NameExitButton(this, kExit);
    connect(m_start, &QPushButton::clicked, this, &CMultipleReadingsDlg::OnStartReading);
    connect(m_stop, &QPushButton::clicked, this, &CMultipleReadingsDlg::OnStopReading);
    connect(m_count, &QLineEdit::textEdited, this, &CMultipleReadingsDlg::OnCountChange);
    ApplyPageTexts();
}

CMultipleReadingsDlg::~CMultipleReadingsDlg() {
    m_stopRequested = true;
    m_worker.waitForDone();
}

void CMultipleReadingsDlg::showEvent(QShowEvent* event) {
    CPageFrame::showEvent(event);
    if (!m_running) OnInitDialog();
}

void CMultipleReadingsDlg::ApplyPageTexts() {
    const qm::TextSource& t = texts();
    m_countLabel->setText(FromStd(t.GetText("170", "Number of Readings")));
    m_recordLabel->setText(FromStd(t.GetText("130", "Record List")));
    m_start->setText(FromStd(t.GetText("22", "Start Reading")));
    m_stop->setText(FromStd(t.GetText("23", "Stop Reading")));
    if (m_noDevice && m_instruments->count() == 1)
        m_instruments->item(0)->setText(FromStd(t.GetText("1000", "No Device Connected")));
}

void CMultipleReadingsDlg::OnInitDialog() {
    m_instruments->clear();
    const std::vector<std::string> labels = m_labels ? m_labels() : std::vector<std::string>{};
    const bool none = labels.empty();
    m_noDevice = none;
    if (none)
        m_instruments->addItem(QString());
    else
        for (const std::string& label : labels) m_instruments->addItem(FromStd(label));
    ApplyPageTexts();
    m_start->setEnabled(!none);
    m_count->setEnabled(!none);
    m_records->setEnabled(!none);
    m_stop->setEnabled(false);
    if (m_exit) m_exit->setEnabled(true);
    m_instruments->setCurrentRow(0);
    m_count->setText("1");
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    FillRecordCombo();
    m_records->setCurrentIndex(m_records->count() > 0 ? 0 : -1);
}

void CMultipleReadingsDlg::FillRecordCombo() {
    m_records->clear();
    if (!m_burst.FillRecordChoices()) return;
    for (const qm::RecordChoice& c : m_burst.choices()) m_records->addItem(FromStd(c.label));
    // A dated label is long: the combo is never narrower than its widest entry.
    m_records->setMinimumWidth(m_records->sizeHint().width());
}

void CMultipleReadingsDlg::OnCountChange(const QString& text) {
    if (auto message = qm::CheckBurstCountText(text.toStdString())) m_prompter.message(*message);
}

void CMultipleReadingsDlg::ShowIdle() {
    m_start->setEnabled(true);
    m_stop->setEnabled(false);
    if (m_exit) m_exit->setEnabled(true);
    m_records->setEnabled(true);
}

void CMultipleReadingsDlg::OnStartReading() {
    if (m_running) return;
    m_records->setEnabled(false);
    if (m_records->currentIndex() < 0) {
        m_prompter.message({texts().GetText("1013", "Please select a record."), "",
                            qm::PromptIcon::Warning});
        m_records->setCurrentIndex(0);
        m_records->setEnabled(true);
        return;
    }
    const qm::BurstStartCount check = qm::CheckBurstCountAtStart(m_count->text().toStdString());
    if (!check.count) {
        if (check.message) m_prompter.message(*check.message);
        m_records->setEnabled(true);
        return;
    }
    const long count = *check.count;
    m_start->setEnabled(false);
    if (m_exit) m_exit->setEnabled(false);
    m_stop->setEnabled(true);
    const int slot = std::max(0, m_instruments->currentRow());
    const int recordNo = m_records->currentIndex() + 1;
    if (!m_burst.Start(slot, recordNo, count)) {
        ShowIdle();
        return;
    }
    m_progress->setRange(0, static_cast<int>(count));
    m_progress->setValue(0);
    m_running = true;
    m_stopRequested = false;
    ScheduleStep();
}

void CMultipleReadingsDlg::ScheduleStep() {
    m_stepInFlight = true;
    if (!m_stepsOnWorker) {
        QTimer::singleShot(0, this, [this] { OnStepDone(!m_stopRequested && m_burst.Step()); });
        return;
    }
    // The worker only reads the meter and writes the record; every widget
    // change happens back on this thread.
    m_worker.start([this] {
        const bool more = !m_stopRequested && m_burst.Step();
        QMetaObject::invokeMethod(this, [this, more] { OnStepDone(more); }, Qt::QueuedConnection);
    });
}

void CMultipleReadingsDlg::OnStepDone(bool more) {
    m_stepInFlight = false;
    m_progress->setValue(static_cast<int>(m_burst.attempts()));
    if (m_stopRequested) {
        m_burst.Stop();
        EndBurst(false);
    } else if (more) {
        ScheduleStep();
    } else {
        EndBurst(true);
    }
}

void CMultipleReadingsDlg::OnStopReading() {
    if (!m_running) {
        ShowIdle();
        return;
    }
    m_stopRequested = true;
    m_stop->setEnabled(false);
    if (m_stepInFlight) return;  // ends when the reading under way is stored
    m_burst.Stop();
    EndBurst(false);
}

void CMultipleReadingsDlg::EndBurst(bool byCount) {
    m_running = false;
    m_stopRequested = false;
    ShowIdle();
    m_burst.Finish();
    const int recordNo = m_burst.recordNo();
    FillRecordCombo();
    // After Stop the record combo shows no selection.
    m_records->setCurrentIndex(byCount ? recordNo - 1 : -1);
    m_records->setEnabled(true);
}

void CMultipleReadingsDlg::keyPressEvent(QKeyEvent* event) {
    // Enter never closes the page.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    CPageFrame::keyPressEvent(event);
}

void CMultipleReadingsDlg::reject() {
    // Exit is disabled while a burst runs; Esc and the close box wait too.
    if (m_running) return;
    CPageFrame::reject();
}
