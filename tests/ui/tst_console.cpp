// The Command Control page: its controls, what the buttons send and show,
// the history drop-down, and a page that stays usable whatever the meter does.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/MainWindowIds.h"
#include "console/CCommandConsoleDlg.h"
#include "sim/SimMeter.h"
#include "ui/support/MainWindowBench.h"
#include "ui/support/PageShots.h"

using qm::test::MainWindowBench;
using qm::test::ModalWatch;
using Dlg = CCommandConsoleDlg;

namespace {

// The console page of an opened main window, shown as the menu shows it.
struct ConsolePage {
    explicit ConsolePage(MainWindowBench& bench) : page(bench.window->commandConsolePage()) {
        page->show();
    }
    ~ConsolePage() { page->hide(); }

    template <typename W = QWidget>
    W* Control(int id) const {
        return page->findChild<W*>(QString::number(id));
    }
    QString Received() const { return Control<QPlainTextEdit>(Dlg::kReceivedEdit)->toPlainText(); }
    QStringList History() const {
        QStringList entries;
        auto* history = Control<QComboBox>(Dlg::kHistory);
        for (int i = 0; i < history->count(); ++i) entries << history->itemText(i);
        return entries;
    }
    void Send(const QString& text, int button) {
        Control<QLineEdit>(Dlg::kSendEdit)->setText(text);
        Control<QPushButton>(button)->click();
    }

    CCommandConsoleDlg* page;
};

}  // namespace

class TestConsole : public QObject {
    Q_OBJECT

  private slots:
    void opensFromTheMenuWithTheMeters() {
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        bench.Open();
        QStringList entries;
        ModalWatch watch([&](QDialog* dialog) {
            auto* choice = dialog->findChild<QComboBox*>(QString::number(Dlg::kDeviceChoice));
            for (int i = 0; i < choice->count(); ++i) entries << choice->itemText(i);
        });
        bench.Trigger(qm::mainwindow::kCmdCommandControl);
        QVERIFY(watch.shown());
        QCOMPARE(entries.size(), 4);
        QVERIFY(entries[0].contains("TX42-USBTMC-SN000001"));
    }

    void buttonsSendShowAndKeepTheHistory() {
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        bench.Open();
        ConsolePage c(bench);
        auto* edit = c.Control<QLineEdit>(Dlg::kSendEdit);
        QCOMPARE(edit->text(), QString("*IDN?"));
        QVERIFY(c.Control(Dlg::kHistory)->isHidden());

        // Enter in the send edit queries.
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(c.Received(), QString("Varnet, TX42, SN000001, V1.00"));
        QCOMPARE(c.History(), QStringList({"*IDN?"}));
        QVERIFY(!c.Control(Dlg::kHistory)->isHidden());

        c.Send("conf:volt:ac", Dlg::kWriteButton);
        QCOMPARE(c.Received(), QString());
        c.Send("func?", Dlg::kWriteButton);
        c.Control<QPushButton>(Dlg::kReadButton)->click();
        QCOMPARE(c.Received(), QString("\"VOLT:AC\""));
        QCOMPARE(c.History(), QStringList({"func?", "conf:volt:ac", "*IDN?"}));

        // Choosing a history entry puts it back into the send edit.
        emit c.Control<QComboBox>(Dlg::kHistory)->activated(1);
        QCOMPARE(edit->text(), QString("conf:volt:ac"));

        // Typed text that looks like a format goes out as typed.
        c.Send("%s%n%%", Dlg::kWriteButton);
        QVERIFY(bench.MeterReceived(0, "%s%n%%"));

        // Opening the page again starts afresh: no history, the initial command.
        c.page->hide();
        c.page->show();
        QVERIFY(c.Control(Dlg::kHistory)->isHidden());
        QCOMPARE(edit->text(), QString("*IDN?"));
        QCOMPARE(c.Received(), QString());
        QVERIFY(bench.prompter.messages.empty());
    }

    void failuresAreShownAndThePageStaysUsable() {
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        bench.Open();
        ConsolePage c(bench);
        auto* endpoint = qm::visa::simEndpointOf(bench.window->tool().sessions().slotSession(0));
        QVERIFY(endpoint);

        c.Send(QString(99, 'x'), Dlg::kQueryButton);
        QCOMPARE(c.Received(),
                 QString("The command is longer than 98 characters; nothing was sent."));

        qm::sim::Faults silent;
        silent.noAnswer = true;
        endpoint->setFaults(silent);
        c.Send("meas:volt:dc?", Dlg::kQueryButton);
        QCOMPARE(c.Received(), QString("Couldn't return a value."));
        QCOMPARE(bench.prompter.waitDepth, 0);
        QVERIFY(bench.prompter.waitCount > 0);  // the wait showed the busy cursor

        qm::sim::Faults unplugged;
        unplugged.dropAfterMessages = 0;
        endpoint->setFaults(unplugged);
        c.Send("*RST", Dlg::kWriteButton);
        QCOMPARE(c.Received(), QString("FAIL."));
        for (int id : {Dlg::kSendEdit, Dlg::kQueryButton, Dlg::kWriteButton, Dlg::kReadButton})
            QVERIFY(c.Control(id)->isEnabled());
        QVERIFY(bench.prompter.messages.empty());
    }

    void longAndOddAnswersAreShownWhole() {
        MainWindowBench bench;
        const std::string head = "Varnet,TX42,SN7,";
        const std::string longId = head + std::string(3000, 'x') + "-end";
        QVERIFY(bench.UseTable(qm::test::MeterSection("USB0::0x1209::0x4101::SN7::INSTR", "TX42",
                                                      "SN7", "identity=" + longId)));
        bench.Open();
        ConsolePage c(bench);
        c.Send("*IDN?", Dlg::kQueryButton);
        QCOMPARE(c.Received(), QString::fromStdString(longId));

        // Bytes that are no text at all still show, and the next answer is its own.
        auto* endpoint = qm::visa::simEndpointOf(bench.window->tool().sessions().slotSession(0));
        qm::sim::Faults garbage;
        garbage.garbage = true;
        endpoint->setFaults(garbage);
        c.Send("func?", Dlg::kQueryButton);
        QVERIFY(!c.Received().isEmpty());
        endpoint->setFaults({});
        c.Send("func?", Dlg::kQueryButton);
        QCOMPARE(c.Received(), QString("\"VOLT\""));
    }

    void withoutMetersTheActionsAreOff() {
        MainWindowBench bench;
        bench.UseNone();
        bench.Open();
        ConsolePage c(bench);
        auto* choice = c.Control<QComboBox>(Dlg::kDeviceChoice);
        QCOMPARE(choice->count(), 1);
        QCOMPARE(choice->currentText(), QString("No Device Connected"));
        for (int id : {Dlg::kSendEdit, Dlg::kReceivedEdit, Dlg::kQueryButton, Dlg::kWriteButton,
                       Dlg::kReadButton})
            QVERIFY2(!c.Control(id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(c.Control(Dlg::kExitButton)->isEnabled());
    }

    void screenshots() {
        if (!qm::test::ShotsWanted()) QSKIP("set QM_SCREENSHOT_DIR to save the pictures");
        const std::pair<std::string_view, const char*> languages[] = {
            {qm::kLanguageEnglish, "en"},
            {qm::kLanguageChineseTraditional, "zh-tw"},
            {qm::kLanguageChineseSimplified, "zh-cn"}};
        for (const auto& [language, suffix] : languages) {
            MainWindowBench bench;
            QVERIFY(bench.UseBuiltin());
            bench.Open({std::string(language)});
            ConsolePage c(bench);
            c.Send("conf:volt:dc", Dlg::kWriteButton);
            c.Send("*IDN?", Dlg::kQueryButton);
            QVERIFY(qm::test::SaveSmallestShot(c.page, QString("console-%1").arg(suffix)));
        }
        {
            MainWindowBench empty;
            empty.UseNone();
            empty.Open({std::string(qm::kLanguageChineseTraditional)});
            ConsolePage c(empty);
            QVERIFY(qm::test::SaveSmallestShot(c.page, "console-no-meter-zh-tw"));
        }
        // The history list as it opens under the send edit.
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        bench.Open();
        ConsolePage c(bench);
        for (const char* command : {"*IDN?", "conf:volt:dc", "meas:volt:dc?", "syst:err?"})
            c.Send(command, Dlg::kQueryButton);
        qm::test::SaveSmallestShot(c.page, "console-history-en");
        auto* history = c.Control<QComboBox>(Dlg::kHistory);
        history->showPopup();
        QApplication::processEvents();
        QWidget* popup = history->view()->window();
        QPixmap shot = c.page->grab();
        {
            QPainter painter(&shot);
            const QPoint at = c.page->mapFromGlobal(popup->pos());
            painter.drawPixmap(at, popup->grab());
        }
        QVERIFY(shot.save(qEnvironmentVariable("QM_SCREENSHOT_DIR") + "/console-history-en.png"));
        history->hidePopup();
    }
};

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
