#pragma once
// Text fitting for the main window and its pages: the program's own
// controls (self-fitting labels, capsule keys) beside the plain Qt ones.
#include <QWidget>

#include "app/CShapeButton.h"
#include "app/FittedLabelWidget.h"
#include "ui/support/TextFit.h"

namespace qm::test {

// Why a control's text does not fit; empty when it does.
inline QString WindowTextCut(QWidget* w) {
    const QString name = QString("%1 %2").arg(w->metaObject()->className(), w->objectName());
    auto report = [&](const QString& text, int need, int room) {
        return need <= room ? QString()
                            : QString("%1 \"%2\": %3 px in %4").arg(name, text).arg(need).arg(room);
    };
    if (auto* fitted = qobject_cast<FittedLabel*>(w)) {
        if (fitted->isElided()) return name + " \"" + fitted->text() + "\" elided";
        return report(fitted->text(), FittedLabel::TextWidth(fitted->fittedFont(), fitted->text()),
                      fitted->textRoom());
    }
    if (auto* key = qobject_cast<CShapeButton*>(w)) {
        // The capsule's round ends take half its height each side.
        return report(key->text(), key->fontMetrics().horizontalAdvance(key->text()),
                      key->width() - key->height());
    }
    return TextCut(w);
}

inline QStringList WindowCutTexts(QWidget& window) { return CutTexts(window, WindowTextCut); }

}  // namespace qm::test
