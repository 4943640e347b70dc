#include "ui/QtPrompter.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

namespace {

QMessageBox::Icon BoxIcon(qm::PromptIcon icon) {
    switch (icon) {
        case qm::PromptIcon::Information:
            return QMessageBox::Information;
        case qm::PromptIcon::Warning:
            return QMessageBox::Warning;
        case qm::PromptIcon::Error:
            return QMessageBox::Critical;
        case qm::PromptIcon::Question:
            return QMessageBox::Question;
        case qm::PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QtPrompter::QtPrompter(QWidget* parent) : m_parent(parent) {}

QtPrompter::~QtPrompter() {
    // A wait left open by an early return must not keep the cursor busy.
    if (m_waitDepth > 0) QGuiApplication::restoreOverrideCursor();
}

qm::PromptAnswer QtPrompter::message(const qm::PromptMessage& m) {
    const bool yesNo = m.buttons == qm::PromptButtons::YesNo;
    QMessageBox box(BoxIcon(m.icon), QString::fromStdString(m.caption),
                    QString::fromStdString(m.text),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, m_parent);
    // Messages carry instrument answers and file names: show them as they are,
    // never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(!yesNo ? QMessageBox::Ok : m.defaultNo ? QMessageBox::No : QMessageBox::Yes);
    if (yesNo) box.setEscapeButton(QMessageBox::No);
    const int result = box.exec();
    if (!yesNo) return qm::PromptAnswer::Ok;
    return result == QMessageBox::Yes ? qm::PromptAnswer::Yes : qm::PromptAnswer::No;
}

std::optional<qm::Rgb> QtPrompter::chooseColour(qm::Rgb initial) {
    const QColor chosen = QColorDialog::getColor(QColor(initial.r, initial.g, initial.b), m_parent);
    if (!chosen.isValid()) return std::nullopt;
    return qm::Rgb{static_cast<std::uint8_t>(chosen.red()),
                   static_cast<std::uint8_t>(chosen.green()),
                   static_cast<std::uint8_t>(chosen.blue())};
}

std::optional<std::string> QtPrompter::chooseSaveFile(const std::string& suggestedName,
                                                      const std::string& filter) {
    const QString file = QFileDialog::getSaveFileName(
        m_parent, QString(), QString::fromStdString(suggestedName), qtFileFilter(filter));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

void QtPrompter::beginWait() {
    if (m_waitDepth++ == 0) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtPrompter::endWait() {
    if (m_waitDepth == 0) return;
    if (--m_waitDepth == 0) QGuiApplication::restoreOverrideCursor();
}

void QtPrompter::openExternal(const std::string& address) {
    const QString text = QString::fromStdString(address).trimmed();
    if (text.isEmpty()) return;
    QDesktopServices::openUrl(QUrl::fromUserInput(text));
}

QString QtPrompter::qtFileFilter(const std::string& filter) {
    const QString text = QString::fromStdString(filter);
    if (!text.contains(QLatin1Char('|'))) return text;
    const QStringList parts = text.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        if (description.isEmpty() && patterns.isEmpty()) break;  // the closing "||"
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (description.contains(QLatin1Char('(')) || patterns.isEmpty())
            out << description;
        else
            out << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return out.join(QStringLiteral(";;"));
}
