#pragma once
// What the pages share when they build their controls: a widget named by
// its control number (tests find controls that way), texts from the core,
// labels filled from the language file by key, and the frame's exit button
// under the page's own number.
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/TextSource.h"

template <typename W>
W* Named(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

inline QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

// A label kept in `labels` for ApplyLabelTexts.
inline QLabel* AddLabel(QWidget* parent, int id, std::vector<std::pair<int, QLabel*>>& labels) {
    auto* label = Named(new QLabel(parent), id);
    labels.emplace_back(id, label);
    return label;
}

// A page button; Enter never presses it.
inline QPushButton* AddButton(QWidget* parent, int id) {
    auto* button = Named(new QPushButton(parent), id);
    button->setAutoDefault(false);
    return button;
}

// A control's text: its language-file key and English default.
struct PageControlText {
    int id;
    std::string_view key;
    std::string_view englishDefault;
};

// Sets the text of every label that has an entry in `texts`.
inline void ApplyLabelTexts(const std::vector<std::pair<int, QLabel*>>& labels,
                            std::span<const PageControlText> texts, const qm::TextSource& source) {
    for (const auto& [id, label] : labels)
        for (const PageControlText& t : texts)
            if (t.id == id) label->setText(FromStd(source.GetText(t.key, t.englishDefault)));
}

// The frame's exit button gets the page's number for it; Enter never
// presses it.
inline QPushButton* NameExitButton(QDialog* page, int id) {
    auto* box = page->findChild<QDialogButtonBox*>();
    auto* exit = box ? qobject_cast<QPushButton*>(box->buttons().value(0)) : nullptr;
    if (exit) {
        exit->setObjectName(QString::number(id));
        exit->setAutoDefault(false);
    }
    return exit;
}
