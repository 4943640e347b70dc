#pragma once
// Whether each visible text fits its control as laid out now: labels,
// buttons (push, check and radio, by their size hint), group titles, every
// entry and the prompt of a combo box, every row of a list.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QStyleOptionComboBox>

#include "app/FittedLabelWidget.h"

namespace qm::test {

// The texts of visible controls below `root` that their control cannot
// show whole, each as "name "text": need > room".
inline QStringList TextsThatDoNotFit(QWidget* root) {
    QStringList problems;
    auto check = [&](QWidget* w, const QString& text, int need, int room) {
        if (need > room)
            problems << QString("%1 %2 \"%3\": %4 > %5")
                            .arg(w->metaObject()->className(), w->objectName(), text)
                            .arg(need)
                            .arg(room);
    };
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(root)) continue;
        if (auto* fitted = qobject_cast<FittedLabel*>(w)) {
            if (fitted->isElided()) check(w, fitted->text(), 1, 0);
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            check(label, label->text(), label->fontMetrics().horizontalAdvance(label->text()),
                  label->contentsRect().width() - 2 * label->margin());
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.rect = combo->rect();
            const int room = combo->style()
                                 ->subControlRect(QStyle::CC_ComboBox, &option,
                                                  QStyle::SC_ComboBoxEditField, combo)
                                 .width();
            QStringList entries{combo->placeholderText()};
            for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
            for (const QString& entry : entries)
                check(combo, entry, combo->fontMetrics().horizontalAdvance(entry), room);
        } else if (auto* list = qobject_cast<QListWidget*>(w)) {
            for (int i = 0; i < list->count(); ++i)
                check(list, list->item(i)->text(),
                      list->fontMetrics().horizontalAdvance(list->item(i)->text()),
                      list->viewport()->width() - 8);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (!button->text().isEmpty())
                check(button, button->text(), button->sizeHint().width(), button->width());
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            // The title sits inside the frame, a margin in from either side.
            check(group, group->title(), group->fontMetrics().horizontalAdvance(group->title()),
                  group->width() - 16);
        }
    }
    return problems;
}

}  // namespace qm::test
