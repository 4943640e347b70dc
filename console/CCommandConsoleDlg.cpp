#include "console/CCommandConsoleDlg.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include "app/MeterTool.h"
#include "platform/Prompter.h"
#include "platform/TextSource.h"

namespace {

template <typename W>
W* Named(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

QString Text(const qm::TextSource& texts, const char* key, const char* english) {
    return QString::fromStdString(texts.GetText(key, english));
}

// The history shows only its arrow beside the send edit; its list opens
// under the edit, as wide as the edit and the arrow together.
class HistoryDropDown final : public QComboBox {
  public:
    HistoryDropDown(QWidget* anchor, QWidget* parent) : QComboBox(parent), m_anchor(anchor) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        option.currentText.clear();
        option.currentIcon = QIcon();
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
    }
    void showPopup() override {
        view()->setMinimumWidth(m_anchor->width() + width());
        QComboBox::showPopup();
        QWidget* popup = view()->window();
        popup->move(m_anchor->mapToGlobal(QPoint(0, 0)).x(), popup->y());
    }

  private:
    QWidget* m_anchor;
};

// Answers go into a plain-text view: every line end a meter sends becomes a line break.
QString DisplayText(const std::string& received) {
    QString text = QString::fromStdString(received);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace

CCommandConsoleDlg::CCommandConsoleDlg(const qm::TextSource& texts, qm::MeterTool& tool,
                                       QWidget* parent)
    : CPageFrame(kDialogId, {"31", "Command Control", "09", "Exit"}, texts, parent),
      m_tool(tool),
      m_console(texts) {
    exitButton()->setObjectName(QString::number(kExitButton));
    exitButton()->setAutoDefault(false);

    // The controls below set the page's height, so none of them is squeezed.
    body()->setMinimumHeight(0);
    auto* grid = new QGridLayout(body());
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);

    m_deviceChoice = Named(new QComboBox(body()), kDeviceChoice);
    m_deviceChoice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_deviceChoice->setMinimumContentsLength(24);
    grid->addWidget(m_deviceChoice, 0, 0);

    m_sendLabel = Named(new QLabel(body()), kSendLabel);
    grid->addWidget(m_sendLabel, 1, 0);
    auto* sendRow = new QHBoxLayout;
    sendRow->setSpacing(0);
    m_sendEdit = Named(new QLineEdit(body()), kSendEdit);
    m_history = Named(new HistoryDropDown(m_sendEdit, body()), kHistory);
    m_history->setFixedWidth(28);
    m_history->setMaxVisibleItems(int(qm::kConsoleHistorySize));
    m_history->hide();
    connect(m_history, &QComboBox::activated, this, &CCommandConsoleDlg::OnHistorySelChange);
    sendRow->addWidget(m_sendEdit, 1);
    sendRow->addWidget(m_history);
    grid->addLayout(sendRow, 2, 0);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(8);
    m_query = Named(new QPushButton(body()), kQueryButton);
    m_write = Named(new QPushButton(body()), kWriteButton);
    m_read = Named(new QPushButton(body()), kReadButton);
    for (QPushButton* button : {m_query, m_write, m_read}) {
        button->setMinimumWidth(88);
        button->setAutoDefault(false);
        buttonRow->addWidget(button);
    }
    // Enter in the send edit queries, as users of a console expect.
    m_query->setDefault(true);
    buttonRow->addStretch(1);
    connect(m_query, &QPushButton::clicked, this, &CCommandConsoleDlg::OnQuery);
    connect(m_write, &QPushButton::clicked, this, &CCommandConsoleDlg::OnWrite);
    connect(m_read, &QPushButton::clicked, this, &CCommandConsoleDlg::OnRead);
    grid->addLayout(buttonRow, 3, 0);

    m_receivedLabel = Named(new QLabel(body()), kReceivedLabel);
    grid->addWidget(m_receivedLabel, 4, 0);
    m_received = Named(new QPlainTextEdit(body()), kReceivedEdit);
    m_received->setReadOnly(true);
    m_received->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_received->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Lines break between words only: breaking a long unbroken answer
    // anywhere costs time that grows with the square of its length (minutes
    // for a megabyte), while one long line is laid out at once.
    m_received->setWordWrapMode(QTextOption::WordWrap);
    m_received->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_received->setMinimumHeight(96);
    grid->addWidget(m_received, 5, 0);
    grid->setRowStretch(5, 1);

    ApplyPageTexts();
}

void CCommandConsoleDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) OnInitDialog();
    CPageFrame::showEvent(event);
}

void CCommandConsoleDlg::OnInitDialog() {
    m_console.SetDevices(m_tool.devices());
    const qm::ConsoleOpening view = m_console.Open();
    {
        const QSignalBlocker block(m_deviceChoice);
        m_deviceChoice->clear();
        for (const std::string& entry : view.entries)
            m_deviceChoice->addItem(QString::fromStdString(entry));
        m_deviceChoice->setCurrentIndex(0);
    }
    for (QWidget* w : {static_cast<QWidget*>(m_sendEdit), static_cast<QWidget*>(m_received),
                       static_cast<QWidget*>(m_query), static_cast<QWidget*>(m_write),
                       static_cast<QWidget*>(m_read)})
        w->setEnabled(view.enabled);
    m_sendEdit->setText(QString::fromStdString(view.sendText));
    m_received->setPlainText(QString::fromStdString(view.receivedText));
    UpdateHistory();
    if (view.enabled) m_sendEdit->setFocus();
}

void CCommandConsoleDlg::ApplyPageTexts() {
    const qm::TextSource& source = texts();
    m_sendLabel->setText(Text(source, "180", "Send String"));
    m_receivedLabel->setText(Text(source, "181", "String Received"));
    m_query->setText(Text(source, "182", "Query"));
    m_write->setText(Text(source, "183", "Write"));
    m_read->setText(Text(source, "184", "Read"));
    if (m_console.deviceCount() == 0 && m_deviceChoice->count() == 1)
        m_deviceChoice->setItemText(0, Text(source, "1000", "No Device Connected"));
}

void CCommandConsoleDlg::OnQuery() {
    {
        qm::WaitCursor wait(m_tool.prompter());
        ShowReceived(
            m_console.Query(m_deviceChoice->currentIndex(), m_sendEdit->text().toStdString()));
    }
    UpdateHistory();
    m_sendEdit->setFocus();
}

void CCommandConsoleDlg::OnWrite() {
    const qm::ConsoleResult result =
        m_console.Write(m_deviceChoice->currentIndex(), m_sendEdit->text().toStdString());
    ShowReceived(result);
    UpdateHistory();
    m_sendEdit->setFocus();
}

void CCommandConsoleDlg::OnRead() {
    qm::WaitCursor wait(m_tool.prompter());
    ShowReceived(m_console.Read(m_deviceChoice->currentIndex()));
}

void CCommandConsoleDlg::OnHistorySelChange(int index) {
    if (const std::string* entry = m_console.history().At(index))
        m_sendEdit->setText(QString::fromStdString(*entry));
}

void CCommandConsoleDlg::ShowReceived(const qm::ConsoleResult& result) {
    m_received->setPlainText(DisplayText(result.received));
}

void CCommandConsoleDlg::UpdateHistory() {
    const QSignalBlocker block(m_history);
    m_history->clear();
    for (const std::string& entry : m_console.history().entries())
        m_history->addItem(QString::fromStdString(entry));
    m_history->setCurrentIndex(m_history->count() > 0 ? 0 : -1);
    m_history->setVisible(m_history->count() > 0);
}
