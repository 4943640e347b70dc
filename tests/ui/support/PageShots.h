#pragma once
// Pictures of pages for the documentation: with $QM_SCREENSHOT_DIR set, a
// page is laid out at its smallest size and saved there as NAME.png.
#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QWidget>

namespace qm::test {

// False when no folder was asked for.
inline bool ShotsWanted() {
    return qEnvironmentVariableIsSet("QM_SCREENSHOT_DIR");
}

inline bool SaveSmallestShot(QWidget* page, const QString& name) {
    const QString dir = qEnvironmentVariable("QM_SCREENSHOT_DIR");
    if (dir.isEmpty()) return false;
    QDir().mkpath(dir);
    page->show();
    QApplication::processEvents();
    page->resize(page->minimumSizeHint().expandedTo(page->minimumSize()));
    QApplication::processEvents();
    return page->grab().save(QDir(dir).filePath(name + ".png"));
}

}  // namespace qm::test
