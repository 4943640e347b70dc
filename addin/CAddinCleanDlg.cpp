#include "addin/CAddinCleanDlg.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QTimer>

CAddinCleanDlg::CAddinCleanDlg(qm::Prompter& prompter, qm::addin::Remover::Connect connect,
                               QWidget* parent)
    : QDialog(parent), remover_(prompter, std::move(connect)) {
    setObjectName(QString::number(kDialogId));
    setWindowTitle(QString::fromUtf8(qm::addin::remover_texts::kCaption));
    // Arial 10, or its metric twin Liberation Sans, or the desktop's sans.
    QFont font;
    font.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans"});
    font.setPointSize(10);
    setFont(font);
    // 243 x 82 dialog units of that font.
    const QFontMetrics fm(font);
    const int baseX = fm.horizontalAdvance(
                          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52;
    setFixedSize((243 * baseX + 2) / 4, (82 * fm.height() + 4) / 8);
}

void CAddinCleanDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (ran_) return;
    ran_ = true;
    // After the paint: the work talks to the office and may show a message.
    QTimer::singleShot(0, this, &CAddinCleanDlg::RunOnce);
}

void CAddinCleanDlg::RunOnce() {
    if (remover_.Run() == qm::addin::RemoveOutcome::Done) accept();
}
