#pragma once
// Whether each text of a window fits its control as laid out now: labels,
// edits, combo boxes (every item), lists, buttons, group-box titles and the
// columns of report lists (titles and cells). Tests call it at a window's
// smallest size, in each language.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTreeWidget>
#include <functional>

namespace qm::test {

// The room a line edit gives its text, as the edit itself lays it out.
inline int EditTextRoom(const QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->hasFrame()
                           ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                           : 0;
    const QRect r = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const QMargins m = edit->textMargins();
    return r.width() - m.left() - m.right() - 2 * 2;
}

inline int ComboTextRoom(const QComboBox* combo) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.rect = combo->rect();
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    return combo->style()
        ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
        .width();
}

// Why a control's text does not fit; empty when it does.
inline QString TextCut(QWidget* w) {
    const QString name = QString("%1 %2").arg(w->metaObject()->className(), w->objectName());
    auto report = [&](const QString& text, int need, int room) {
        return need <= room ? QString()
                            : QString("%1 \"%2\": %3 px in %4").arg(name, text).arg(need).arg(room);
    };
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->wordWrap())  // its lines must fit its height
            return report(label->text(), label->heightForWidth(label->width()), label->height());
        return report(label->text(), label->fontMetrics().horizontalAdvance(label->text()),
                      label->contentsRect().width() - 2 * label->margin());
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        return report(edit->text(), edit->fontMetrics().horizontalAdvance(edit->text()),
                      EditTextRoom(edit));
    }
    // Several texts of one control: the cuts one after the other.
    QString cuts;
    auto add = [&](const QString& cut) {
        if (!cut.isEmpty()) cuts += (cuts.isEmpty() ? "" : "; ") + cut;
    };
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        // The prompt shown while nothing is chosen must fit as an item does.
        if (!combo->placeholderText().isEmpty())
            add(report(combo->placeholderText(),
                       combo->fontMetrics().horizontalAdvance(combo->placeholderText()),
                       ComboTextRoom(combo)));
        for (int i = 0; i < combo->count(); ++i)
            add(report(combo->itemText(i), combo->fontMetrics().horizontalAdvance(combo->itemText(i)),
                       ComboTextRoom(combo)));
        return cuts;
    }
    if (auto* list = qobject_cast<QListWidget*>(w)) {
        for (int i = 0; i < list->count(); ++i)
            add(report(list->item(i)->text(), list->visualItemRect(list->item(i)).width(),
                       list->viewport()->width()));
        return cuts;
    }
    if (auto* box = qobject_cast<QGroupBox*>(w)) {
        // The title sits inside the frame, a few pixels in from each side.
        return report(box->title(), box->fontMetrics().horizontalAdvance(box->title()) + 16,
                      box->width());
    }
    if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
        const QHeaderView* header = tree->header();
        const int margin = tree->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) * 2;
        for (int c = 0; c < tree->columnCount(); ++c) {
            const QString title = tree->headerItem()->text(c);
            add(report(title, header->fontMetrics().horizontalAdvance(title) + margin,
                       header->sectionSize(c)));
            for (int i = 0; i < tree->topLevelItemCount(); ++i) {
                QTreeWidgetItem* item = tree->topLevelItem(i);
                const QString text = item->text(c);
                const int icon = item->icon(c).isNull() ? 0 : tree->iconSize().width() + 4;
                add(report(text, tree->fontMetrics().horizontalAdvance(text) + icon + margin,
                           tree->columnWidth(c)));
            }
        }
        // A column that runs past the visible list is cut off too.
        int used = 0;
        for (int c = 0; c < tree->columnCount(); ++c) used += tree->columnWidth(c);
        add(report("all columns", used, tree->viewport()->width()));
        return cuts;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        // A button's size hint is what it needs for its text and icon.
        return report(button->text(), button->sizeHint().width(), button->width());
    }
    return {};
}

// Every shown control of the window whose text does not fit, by `cut`.
inline QStringList CutTexts(QWidget& window, const std::function<QString(QWidget*)>& cut = TextCut) {
    QStringList cuts;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        const QString why = cut(w);
        if (!why.isEmpty()) cuts << why;
    }
    return cuts;
}

}  // namespace qm::test
