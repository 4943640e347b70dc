#include "app/CAboutDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/AboutInfo.h"
#include "app/LanguageTexts.h"
#include "platform/Prompter.h"
#include "ui/QtIcons.h"

namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename W>
W* Named(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

}  // namespace

CAboutDlg::CAboutDlg(qm::LanguageTexts& texts, qm::Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_texts(texts), m_prompter(prompter) {
    setObjectName(QString::number(kDialogId));
    setWindowTitle(FromView(qm::kAboutCaption));
    setModal(true);
    // The main window's fonts, so that Chinese texts use the face of the language.
    setAttribute(Qt::WA_WindowPropagation);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    m_tabs = Named(new QTabBar(this), kTabs);
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    connect(m_tabs, &QTabBar::currentChanged, this, &CAboutDlg::OnTabSelChange);
    layout->addWidget(m_tabs);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setMinimumSize(380, 170);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(16, 14, 16, 14);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(6);

    m_icon = Named(new QLabel(panel), kProgramIcon);
    m_icon->setPixmap(qmIcon("qm_tool").pixmap(48, 48));
    m_icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    grid->addWidget(m_icon, 0, 0, 4, 1);

    m_title = Named(new QLabel(panel), kProgramTitle);
    m_version = Named(new QLabel(FromView(qm::kAboutVersionText), panel), kVersionText);
    m_notice = Named(new QLabel(FromView(qm::kAboutNotice), panel), kNotice);
    m_link = Named(new QLabel(FromView(qm::kAboutWebAddress), panel), kWebLink);
    for (QLabel* label : {m_version, m_notice, m_link}) label->setTextFormat(Qt::PlainText);
    m_link->setStyleSheet("color: #1a5fb4; text-decoration: underline;");
    m_link->setCursor(Qt::PointingHandCursor);
    m_link->installEventFilter(this);
    grid->addWidget(m_title, 0, 1);
    grid->addWidget(m_version, 1, 1);
    grid->addWidget(m_notice, 2, 1);
    grid->addWidget(m_link, 3, 1);

    m_language = Named(new QComboBox(panel), kLanguageChoice);
    for (std::string_view entry : qm::kLanguageChoiceTexts) m_language->addItem(FromView(entry));
    connect(m_language, &QComboBox::currentIndexChanged, this, &CAboutDlg::OnLanguageSelChange);
    grid->addWidget(m_language, 4, 0, 1, 2, Qt::AlignLeft | Qt::AlignTop);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(panel, 1);
    layout->addSpacing(10);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = Named(buttons->addButton(QString(), QDialogButtonBox::AcceptRole), kOkButton);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);

    // OnInitDialog: the title in its heavy serif face, the OK text.
    QFont titleFont("Times New Roman");
    titleFont.setStyleHint(QFont::Serif);
    titleFont.setPixelSize(25);
    titleFont.setWeight(QFont::Black);
    m_title->setFont(titleFont);
    m_title->setText(FromView(qm::kAboutProgramTitle));
    m_ok->setText(QString::fromStdString(m_texts.GetText("07", "OK")));
}

void CAboutDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) OnShowWindow();
    QDialog::showEvent(event);
}

void CAboutDlg::OnShowWindow() {
    {
        const QSignalBlocker block(m_tabs);
        while (m_tabs->count() > 0) m_tabs->removeTab(0);
        m_tabs->addTab(
            QString::fromStdString(m_texts.GetText(qm::kAboutTabKey, qm::kAboutTabDefault)));
        m_tabs->addTab(
            QString::fromStdString(m_texts.GetText(qm::kLanguageTabKey, qm::kLanguageTabDefault)));
        m_tabs->setCurrentIndex(0);
    }
    OnTabSelChange(0);
    // The box always offers English first; closing it without a choice
    // brings the program back to English.
    {
        const QSignalBlocker block(m_language);
        m_language->setCurrentIndex(0);
    }
    m_texts.SetLanguage(qm::kLanguageEnglish);
}

void CAboutDlg::OnTabSelChange(int tab) {
    const bool about = tab == 0;
    for (QWidget* w : {static_cast<QWidget*>(m_icon), static_cast<QWidget*>(m_title),
                       static_cast<QWidget*>(m_version), static_cast<QWidget*>(m_notice),
                       static_cast<QWidget*>(m_link)})
        w->setVisible(about);
    m_language->setVisible(!about);
}

void CAboutDlg::OnLanguageSelChange(int entry) {
    m_texts.SetLanguage(qm::LanguageForChoice(entry));
}

bool CAboutDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_link && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_prompter.openExternal(std::string(qm::kAboutWebAddress));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
