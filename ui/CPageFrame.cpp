#include "ui/CPageFrame.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/TextSource.h"

CPageFrame::CPageFrame(int dialogId, PageTexts texts, const qm::TextSource& source, QWidget* parent)
    : QDialog(parent), m_texts(texts), m_source(source) {
    setObjectName(QString::number(dialogId));
    setModal(true);
    // The main window's fonts, so that Chinese texts use the face of the language.
    setAttribute(Qt::WA_WindowPropagation);
    auto* layout = new QVBoxLayout(this);
    m_title = new QLabel(this);
    QFont titleFont = m_title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    layout->addWidget(m_title);

    m_body = new QFrame(this);
    m_body->setFrameShape(QFrame::StyledPanel);
    m_body->setFrameShadow(QFrame::Sunken);
    m_body->setMinimumSize(420, 240);
    layout->addWidget(m_body, 1);

    auto* buttons = new QDialogButtonBox(this);
    m_exit = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    ApplyFrameTexts();
}

void CPageFrame::showEvent(QShowEvent* event) {
    ApplyTexts();
    QDialog::showEvent(event);
}

void CPageFrame::ApplyTexts() {
    ApplyFrameTexts();
    ApplyPageTexts();
}

void CPageFrame::ApplyFrameTexts() {
    const QString title = QString::fromStdString(m_source.GetText(m_texts.titleKey, m_texts.titleDefault));
    setWindowTitle(title);
    m_title->setText(title);
    m_exit->setText(QString::fromStdString(m_source.GetText(m_texts.exitKey, m_texts.exitDefault)));
}
