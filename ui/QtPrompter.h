#pragma once
// The window's Prompter: message boxes, the colour chooser, the file-save
// chooser, the wait cursor and the desktop's handler for web addresses.
#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/Prompter.h"

class QtPrompter : public qm::Prompter {
  public:
    explicit QtPrompter(QWidget* parent = nullptr);
    ~QtPrompter() override;
    QtPrompter(const QtPrompter&) = delete;
    QtPrompter& operator=(const QtPrompter&) = delete;

    // The window the boxes and dialogs are modal to (none: application modal).
    void setParentWidget(QWidget* parent) { m_parent = parent; }
    QWidget* parentWidget() const { return m_parent; }

    qm::PromptAnswer message(const qm::PromptMessage& m) override;
    std::optional<qm::Rgb> chooseColour(qm::Rgb initial) override;
    std::optional<std::string> chooseSaveFile(const std::string& suggestedName,
                                              const std::string& filter) override;
    // Nested begin/end pairs show one wait cursor; an unmatched end does nothing.
    void beginWait() override;
    void endWait() override;
    void openExternal(const std::string& address) override;

    int waitDepth() const { return m_waitDepth; }

    // A file-type filter for the Qt file dialog. Filters written as
    // "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*||" become
    // "CSV Files (*.csv);;All Files (*.*)"; a filter without '|' is kept.
    static QString qtFileFilter(const std::string& filter);

  private:
    QPointer<QWidget> m_parent;
    int m_waitDepth = 0;
};
