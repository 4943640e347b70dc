#include "config/CDeviceSettingsDlg.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/TextSource.h"

CDeviceSettingsDlg::CDeviceSettingsDlg(const qm::TextSource& texts, QWidget* parent)
    : QDialog(parent), m_texts(texts) {
    setObjectName(QString::number(kDialogId));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_title = new QLabel(this);
    QFont titleFont = m_title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    layout->addWidget(m_title);

    auto* body = new QFrame(this);
    body->setFrameShape(QFrame::StyledPanel);
    body->setFrameShadow(QFrame::Sunken);
    body->setMinimumSize(420, 240);
    layout->addWidget(body, 1);

    auto* buttons = new QDialogButtonBox(this);
    m_exit = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    ApplyTexts();
}

void CDeviceSettingsDlg::showEvent(QShowEvent* event) {
    ApplyTexts();
    QDialog::showEvent(event);
}

void CDeviceSettingsDlg::ApplyTexts() {
    const QString title = QString::fromStdString(m_texts.GetText("01", "Device Settings"));
    setWindowTitle(title);
    m_title->setText(title);
    m_exit->setText(QString::fromStdString(m_texts.GetText("95", "Exit")));
}
