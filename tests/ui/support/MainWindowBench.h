#pragma once
// What the main-window tests share: simulated meters on a virtual clock, a
// private copy of the language file (the window writes LanguageID into it,
// so the shipped one is never touched), a scripted Prompter, and helpers for
// the modal pages the menu opens.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CMeterToolDlg.h"
#include "platform/Clock.h"
#include "sim/SimMeter.h"
#include "support/ScriptedPrompter.h"
#include "visa/visa_ext.h"

namespace qm::test {

// A scratch working directory with a database folder in it, for as long as
// the object lives: the record pages look into the database folder of the
// working directory when they are shown.
class ScratchWorkingFolder {
  public:
    ScratchWorkingFolder() : m_saved(QDir::currentPath()) {
        m_ok = QDir(m_folder.path()).mkdir("DB") && QDir::setCurrent(m_folder.path());
    }
    ~ScratchWorkingFolder() { QDir::setCurrent(m_saved); }
    ScratchWorkingFolder(const ScratchWorkingFolder&) = delete;
    ScratchWorkingFolder& operator=(const ScratchWorkingFolder&) = delete;
    bool ok() const { return m_ok; }

  private:
    QTemporaryDir m_folder;
    QString m_saved;
    bool m_ok = false;
};

class MainWindowBench {
  public:
    // withLanguageFile false: the Windows folder exists but holds no QM_TOOL.ini.
    explicit MainWindowBench(bool withLanguageFile = true) {
        visa::resetForTests();
        visa::setSimulationClock(clock);
        m_oldWinDir = qgetenv("QM_TOOL_WINDIR");
        m_hadWinDir = qEnvironmentVariableIsSet("QM_TOOL_WINDIR");
        if (withLanguageFile)
            QFile::copy(QStringLiteral(QM_SOURCE_DIR "/data/QM_TOOL.ini"), iniPath());
        qputenv("QM_TOOL_WINDIR", m_folder.path().toUtf8());
    }
    ~MainWindowBench() {
        window.reset();
        visa::resetForTests();
        if (m_hadWinDir)
            qputenv("QM_TOOL_WINDIR", m_oldWinDir);
        else
            qunsetenv("QM_TOOL_WINDIR");
    }
    MainWindowBench(const MainWindowBench&) = delete;
    MainWindowBench& operator=(const MainWindowBench&) = delete;

    QString iniPath() const { return m_folder.filePath("QM_TOOL.ini"); }

    bool UseBuiltin() { return visa::useBuiltinSimulatedTable().ok; }
    bool UseTable(const std::string& text) { return visa::useResourceTableText(text, "test").ok; }
    void UseNone() { visa::useEmptyResourceTable(); }

    CMeterToolDlg& Open(const CMeterToolDlg::Options& options = {}) {
        window = std::make_unique<CMeterToolDlg>(prompter, clock, options);
        return *window;
    }

    // A control of the main window itself: the pages it owns reuse some of
    // its numbers (Device Settings has its own 1015 and 1037).
    template <typename W = QWidget>
    W* Control(int id) const {
        if (!window) return nullptr;
        for (W* w : window->findChildren<W*>(QString::number(id)))
            if (w->window() == window.get()) return w;
        return nullptr;
    }
    // The text a control shows (label, edit, combo or button).
    QString Text(int id) const {
        QWidget* w = Control(id);
        if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
        if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
        return QString();
    }
    // Shown unless hidden on purpose (the window itself need not be on screen).
    bool Shown(int id) const {
        QWidget* w = Control(id);
        return w != nullptr && !w->isHidden();
    }
    bool Enabled(int id) const {
        QWidget* w = Control(id);
        return w != nullptr && w->isEnabled();
    }
    // A menu or toolbar command, as the user would choose it.
    void Trigger(int commandId) {
        QAction* a = window ? window->action(commandId) : nullptr;
        QVERIFY2(a != nullptr, "no such command");
        a->trigger();
    }

    // The simulated meter behind a device slot; nullptr when there is none.
    sim::SimMeter* Meter(int slot) const {
        if (!window) return nullptr;
        sim::SimEndpoint* endpoint =
            visa::simEndpointOf(window->tool().sessions().slotSession(slot));
        return endpoint ? &endpoint->meter() : nullptr;
    }
    // Whether the meter of a slot received `command` (line ends ignored).
    bool MeterReceived(int slot, const std::string& command) const {
        sim::SimMeter* meter = Meter(slot);
        if (meter == nullptr) return false;
        for (std::string m : meter->commandLog()) {
            while (!m.empty() && (m.back() == '\n' || m.back() == '\r')) m.pop_back();
            if (m == command) return true;
        }
        return false;
    }

    ManualClock clock;
    ScriptedPrompter prompter;
    std::unique_ptr<CMeterToolDlg> window;

  private:
    QTemporaryDir m_folder;
    QByteArray m_oldWinDir;
    bool m_hadWinDir = false;
};

// Watches for the modal dialog that an exec() shows while the watch lives:
// records it, lets `inspect` look at it, and closes it.
class ModalWatch : public QObject {
  public:
    explicit ModalWatch(std::function<void(QDialog*)> inspect = {})
        : m_inspect(std::move(inspect)) {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Poll(); });
        m_timer.start();
    }
    bool shown() const { return m_shown; }
    QString title() const { return m_title; }

  private:
    void Poll() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        m_timer.stop();
        m_shown = true;
        m_title = dialog->windowTitle();
        if (m_inspect) m_inspect(dialog);
        dialog->reject();
    }

    std::function<void(QDialog*)> m_inspect;
    QTimer m_timer;
    bool m_shown = false;
    QString m_title;
};

// The entries of a list or combo box, in order.
inline QStringList ListEntries(QListWidget* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) entries << list->item(i)->text();
    return entries;
}
inline QStringList ComboEntries(QComboBox* combo) {
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
    return entries;
}

// A resource table with one simulated meter.
inline std::string MeterSection(const std::string& descriptor, const std::string& model,
                                const std::string& serial, const std::string& extra = {}) {
    return "[" + descriptor + "]\nbackend=sim\nmodel=" + model + "\nserial=" + serial + "\n" +
           extra + "\n";
}

}  // namespace qm::test
