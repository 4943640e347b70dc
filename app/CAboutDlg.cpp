#include "app/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/LanguageTexts.h"
#include "ui/QtIcons.h"

CAboutDlg::CAboutDlg(qm::LanguageTexts& texts, QWidget* parent) : QDialog(parent), m_texts(texts) {
    setObjectName(QString::number(kDialogId));
    setWindowTitle("About Vidazuvazu Zize");
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setObjectName(QString::number(kProgramIcon));
    icon->setPixmap(qmIcon("qm_tool").pixmap(48, 48));
    header->addWidget(icon);
    m_title = new QLabel("DA-VIVO", this);
    m_title->setObjectName(QString::number(kProgramTitle));
    QFont titleFont("Times New Roman");
    titleFont.setStyleHint(QFont::Serif);
    titleFont.setPixelSize(25);
    titleFont.setWeight(QFont::Black);
    m_title->setFont(titleFont);
    header->addWidget(m_title, 1);
    layout->addLayout(header);

    auto* body = new QFrame(this);
    body->setFrameShape(QFrame::StyledPanel);
    body->setFrameShadow(QFrame::Sunken);
    body->setMinimumSize(360, 160);
    layout->addWidget(body, 1);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QString::fromStdString(m_texts.GetText("07", "OK")),
                              QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QString::number(kOkButton));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
