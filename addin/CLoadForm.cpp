#include "addin/CLoadForm.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

#include "addin/Launcher.h"
#include "ui/QtIcons.h"

CLoadForm::CLoadForm(QWidget* parent) : QWidget(parent) {
    setObjectName("Form1");
    setWindowTitle(QString::fromUtf8(qm::addin::launcher_texts::kDesignCaption));
    setWindowIcon(qmIcon("qm_tool"));
    image_ = new QLabel(this);
    image_->setObjectName("Image1");
    image_->setPixmap(qmIcon("qm_tool").pixmap(64, 64));
    label_ = new QLabel(this);
    label_->setObjectName("Label2");
    label_->setWordWrap(true);
    label_->setMinimumWidth(320);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(image_);
    layout->addWidget(label_, 1);
}

void CLoadForm::setLabel(const QString& text) { label_->setText(text); }

void CLoadForm::showAndClose() {
    show();
    QCoreApplication::processEvents();
    QTimer::singleShot(kShownMs, qApp, &QCoreApplication::quit);
}
