// The Device Settings page against in-process simulated meters: its
// controls by number for each model, the sensor panel, Set with the main
// window's status lines after the page closes, failures that leave the page
// usable, and every text fitting at the page's smallest size in each
// language. With QM_SCREENSHOT_DIR set it also saves each layout as PNG.
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QListWidget>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QtTest>

#include "app/LanguageTexts.h"
#include "app/MainWindowIds.h"
#include "config/CDeviceSettingsDlg.h"
#include "config/DeviceSettingsApply.h"
#include "ui/support/MainWindowBench.h"

using namespace qm;
using qm::test::MainWindowBench;
using qm::test::ComboEntries;
using qm::test::ListEntries;
using qm::test::ModalWatch;

namespace {

// The texts of visible controls that their control cannot show whole.
QStringList TextsThatDoNotFit(QWidget* root) {
    QStringList problems;
    auto check = [&](QWidget* w, const QString& text, int room) {
        const int need = w->fontMetrics().horizontalAdvance(text);
        if (need > room) problems << QString("%1 \"%2\": %3 > %4").arg(w->objectName(), text).arg(need).arg(room);
    };
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(root)) continue;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            check(label, label->text(), label->contentsRect().width());
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            const int room = combo->style()
                                 ->subControlRect(QStyle::CC_ComboBox, &option,
                                                  QStyle::SC_ComboBoxEditField, combo)
                                 .width();
            for (const QString& entry : ComboEntries(combo)) check(combo, entry, room);
        } else if (auto* list = qobject_cast<QListWidget*>(w)) {
            for (const QString& entry : ListEntries(list)) check(list, entry, list->viewport()->width() - 8);
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            check(button, button->text(), button->width() - 12);
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            check(group, group->title(), group->width() - 16);
        }
    }
    return problems;
}

class PageBench {
  public:
    explicit PageBench(const std::string& table = {}) {
        if (table.empty())
            QVERIFY(bench.UseBuiltin());
        else
            QVERIFY(bench.UseTable(table));
        bench.Open();
        page = bench.window->deviceSettingsPage();
        page->show();  // each showing runs the initialisation
    }
    template <typename W = QWidget>
    W* Control(int id) const {
        return page->findChild<W*>(QString::number(id));
    }
    bool Shown(int id) const { return Control(id) && !Control(id)->isHidden(); }
    QString Text(int id) const {
        QWidget* w = Control(id);
        if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
        if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
        if (auto* group = qobject_cast<QGroupBox*>(w)) return group->title();
        return {};
    }
    void Choose(int id, const QString& entry) {
        if (auto* list = Control<QListWidget>(id)) {
            const auto items = list->findItems(entry, Qt::MatchExactly);
            QVERIFY2(!items.isEmpty(), qPrintable(entry));
            list->setCurrentItem(items.first());
        } else {
            auto* combo = Control<QComboBox>(id);
            QVERIFY(combo);
            const int index = combo->findText(entry);
            QVERIFY2(index >= 0, qPrintable(entry));
            combo->setCurrentIndex(index);
        }
    }
    void Type(int id, const QString& text) {
        auto* edit = Control<QLineEdit>(id);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    sim::SimMeter* Meter(int slot) const { return bench.Meter(slot); }

    MainWindowBench bench;
    CDeviceSettingsDlg* page = nullptr;
};

const int kSecondControls[] = {1015, 1016, 1017, 1199, 1200, 1201};

}  // namespace

class TestDeviceSettings : public QObject {
    Q_OBJECT

  private slots:
    void controlsAndTextsForEachModel() {
        PageBench b;
        QCOMPARE(b.page->objectName(), QString("133"));
        QCOMPARE(b.page->windowTitle(), QString("Device Settings"));
        QCOMPARE(b.Text(1129), QString("Device List"));
        QCOMPARE(b.Text(1011), QString("Settings"));
        QCOMPARE(b.Text(1012), QString("Function"));
        QCOMPARE(b.Text(1014), QString("Submit"));
        QCOMPARE(b.Text(2), QString("Exit"));
        QVERIFY(!b.Shown(1111));
        QVERIFY(!b.Shown(1087) && !b.Control(1087)->isEnabled());
        QCOMPARE(b.Control<QListWidget>(1007)->count(), 4);
        QCOMPARE(b.Control<QListWidget>(1007)->currentRow(), 0);

        // The dual-function model: 14 functions and the second-function panel.
        auto* functions = b.Control<QListWidget>(1110);
        QCOMPARE(functions->count(), 14);
        QCOMPARE(functions->currentItem()->text(), QString("DC Voltage"));
        QCOMPARE(b.Text(1013), QString("Range"));
        QCOMPARE(ComboEntries(b.Control<QComboBox>(1010)),
                 QStringList({"AUTO", "100m Vdc", "1 Vdc", "10 Vdc", "100 Vdc", "1000 Vdc"}));
        QCOMPARE(b.Text(1085), QString("Resolution"));
        QCOMPARE(b.Control<QComboBox>(1086)->count(), 10);
        QCOMPARE(b.Text(1086), QString("1 PLC"));
        for (int id : kSecondControls) QVERIFY2(b.Shown(id), qPrintable(QString::number(id)));
        QCOMPARE(ComboEntries(b.Control<QComboBox>(1015)),
                 QStringList({"DCI", "ACV", "FREQ", "PERIOD", "TCOUPL", "NONE"}));
        QCOMPARE(b.Text(1015), QString("NONE"));
        QVERIFY(!b.Shown(1210) && !b.Shown(1208) && !b.Shown(1118));

        // The single-function model: 12 functions, resolutions, no second function.
        b.Choose(1007, b.Control<QListWidget>(1007)->item(1)->text());
        QCOMPARE(functions->count(), 12);
        QCOMPARE(ComboEntries(b.Control<QComboBox>(1086)),
                 QStringList({"Fast 4 Digits", "Fast 5 Digits", "Fast 6 Digits", "Slow 6 Digits"}));
        for (int id : kSecondControls) QVERIFY2(!b.Shown(id), qPrintable(QString::number(id)));
        b.Choose(1110, "AC Voltage");
        QCOMPARE(b.Text(1085), QString("Bandwidth"));
        QCOMPARE(ComboEntries(b.Control<QComboBox>(1086)), QStringList({"3 HZ", "20 HZ", "200 HZ"}));
        b.Choose(1110, "Frequency");
        QCOMPARE(b.Text(1085), QString("Aperture (s)"));
        QCOMPARE(b.Text(1013), QString("Range"));
        b.Choose(1110, "Continuity");
        QVERIFY(!b.Shown(1086) && !b.Shown(1085));
        QVERIFY(b.bench.prompter.messages.empty());
    }

    void withoutMetersNothingCanBeSet() {
        MainWindowBench bench;
        bench.UseNone();
        bench.Open();
        CDeviceSettingsDlg* page = bench.window->deviceSettingsPage();
        page->show();
        auto* list = page->findChild<QListWidget*>("1007");
        QCOMPARE(ListEntries(list), QStringList({"No Device Connected"}));
        for (int id : {1011, 1012, 1013, 1110, 1010, 1014, 1015, 1016, 1017, 1085, 1086})
            QVERIFY2(!page->findChild<QWidget*>(QString::number(id))->isEnabled(),
                     qPrintable(QString::number(id)));
        page->findChild<QPushButton*>("1014")->click();
        QVERIFY(bench.prompter.messages.empty());
    }

    void sensorPanelFollowsTheSensor() {
        PageBench b;
        b.Choose(1110, "TEMP");
        QCOMPARE(b.Text(1013), QString("TYPE"));  // key 89 of the shipped file
        QCOMPARE(ComboEntries(b.Control<QComboBox>(1010)),
                 QStringList({"PT100", "D100", "F100", "PT385", "PT3916", "NTCT", "SPRTD", "USER"}));
        QVERIFY(b.Shown(1210));
        QCOMPARE(ComboEntries(b.Control<QComboBox>(1210)), QStringList({"2W RTD", "4W RTD"}));
        QCOMPARE(b.Text(1085), QString("Unit"));

        b.Choose(1010, "USER");
        const QList<int> userEdits{1118, 1120, 1119, 1121};
        const QStringList userCaptions{"Alpha", "Beta", "Delta", "R-zero"};
        for (int i = 0; i < 4; ++i) {
            QVERIFY(b.Shown(userEdits[i]));
            QCOMPARE(b.Text(QList<int>{1032, 1034, 1037, 1035}[i]), userCaptions[i]);
        }
        QCOMPARE(b.Text(1118), QString("0.00385"));  // read from the meter
        QVERIFY(!b.Shown(1122) && !b.Shown(1123));
        b.Choose(1010, "SPRTD");
        for (int id : {1118, 1120, 1119, 1121, 1122, 1123}) QVERIFY(b.Shown(id));
        QCOMPARE(b.Text(1038), QString("B7"));
        b.Choose(1010, "NTCT");
        QVERIFY(b.Shown(1118) && !b.Shown(1120) && b.Shown(1119) && b.Shown(1122));
        b.Choose(1010, "PT100");
        for (int id : {1118, 1120, 1119, 1121, 1122, 1123}) QVERIFY(!b.Shown(id));
    }

    void setAppliesAndTheWindowShowsTheNewState() {
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        CMeterToolDlg& w = bench.Open();
        QCOMPARE(bench.Text(mainwindow::kFunctionStatus), QString("Function : DCV"));
        auto setOnPage = [&](const QString& function, const QString& range) {
            ModalWatch watch([&](QDialog* dialog) {
                auto* list = dialog->findChild<QListWidget*>("1110");
                list->setCurrentItem(list->findItems(function, Qt::MatchExactly).first());
                auto* combo = dialog->findChild<QComboBox*>("1010");
                combo->setCurrentIndex(combo->findText(range));
                dialog->findChild<QPushButton*>("1014")->click();
                // The page shows what the meter reports after Set.
                QCOMPARE(combo->currentText(), range);
            });
            bench.Trigger(mainwindow::kCmdDeviceSettings);
            QVERIFY(watch.shown());
        };
        setOnPage("AC Voltage", "10 Vac");
        QCOMPARE(bench.Text(mainwindow::kFunctionStatus), QString("Function : ACV"));
        QCOMPARE(bench.Text(mainwindow::kRangeStatus), QString("Range : 10  VAC"));
        QVERIFY(!w.tool().function().autoRange(0));
        setOnPage("Resistance(2W)", "AUTO");
        QCOMPARE(bench.Text(mainwindow::kFunctionStatus), QString("Function : 2W"));
        QCOMPARE(bench.Text(mainwindow::kRangeStatus), QString("Range : AUTO"));
        QVERIFY(w.tool().function().autoRange(0));
        QVERIFY(bench.prompter.messages.empty());
    }

    void failuresLeaveThePageUsable() {
        PageBench b;
        b.Choose(1110, "TEMP");
        b.Choose(1010, "USER");
        b.Meter(0)->clearCommandLog();
        b.Type(1118, "0.0101");
        b.Control<QPushButton>(1014)->click();
        QCOMPARE(b.bench.prompter.texts(),
                 std::vector<std::string>{"ALPHA range is 0 - 0.01，please re-enter."});
        QVERIFY(b.Meter(0)->commandLog().empty());  // checked before anything is sent
        b.Type(1118, "abc");
        b.Control<QPushButton>(1014)->click();
        QCOMPARE(b.bench.prompter.last().text, std::string("Alpha: Please input a valid value."));
        QVERIFY(b.Meter(0)->commandLog().empty());

        b.Type(1118, "0.01");
        b.Control<QPushButton>(1014)->click();
        QCOMPARE(b.bench.prompter.messages.size(), size_t(2));
        QCOMPARE(b.Meter(0)->state().rtd.alpha, 0.01);
        QCOMPARE(b.Text(1118), QString("0.01"));

        // A meter that stops answering part way: one message, the page still works.
        sim::SimEndpoint* endpoint =
            visa::simEndpointOf(b.bench.window->tool().sessions().slotSession(0));
        sim::Faults faults;
        faults.noAnswer = true;
        endpoint->setFaults(faults);
        b.Control<QPushButton>(1014)->click();
        QCOMPARE(b.bench.prompter.last().text, std::string(apply_messages::kNoAnswer));
        endpoint->setFaults(sim::Faults{});
        b.Choose(1110, "DC Voltage");
        b.Choose(1010, "10 Vdc");
        b.Control<QPushButton>(1014)->click();
        QCOMPARE(b.bench.prompter.messages.size(), size_t(3));
        QCOMPARE(b.Meter(0)->range(sim::Fn::VoltDc), 10.0);
    }

    // Every text fits at the smallest size in each language; each layout
    // is saved as a picture when QM_SCREENSHOT_DIR names a folder.
    void textsFitInEveryLanguage() {
        PageBench b;
        const QString shots = qEnvironmentVariable("QM_SCREENSHOT_DIR");
        const std::vector<std::pair<std::string, QString>> languages{
            {std::string(kLanguageEnglish), "en"},
            {std::string(kLanguageChineseTraditional), "zh-tw"},
            {std::string(kLanguageChineseSimplified), "zh-cn"}};
        struct Layout {
            QString name;
            int device;
            int functionRow;
            QString range;
        };
        const std::vector<Layout> layouts{{"dcv-dual", 0, 0, "100m Vdc"},
                                          {"temp-sprtd", 0, 10, "SPRTD"},
                                          {"temp-user", 0, 10, "USER"},
                                          {"tcouple-dual", 0, 12, "K"},
                                          {"acv-single", 1, 2, "10 Vac"}};
        for (const auto& [language, tag] : languages) {
            b.bench.window->ApplyLanguage(language);
            b.page->hide();
            b.page->show();
            for (const Layout& layout : layouts) {
                b.Control<QListWidget>(1007)->setCurrentRow(layout.device);
                b.Control<QListWidget>(1110)->setCurrentRow(layout.functionRow);
                b.Choose(1010, layout.range);
                if (layout.functionRow == 12) b.Choose(1015, "TEMP");
                // The smallest size is known as soon as the layout is shown,
                // and stays what it is once the page has it.
                const QSize smallest = b.page->minimumSizeHint();
                b.page->resize(smallest);
                QCoreApplication::processEvents();
                QCOMPARE(b.page->minimumSizeHint(), smallest);
                QCOMPARE(b.page->size(), smallest);
                const QStringList problems = TextsThatDoNotFit(b.page);
                QVERIFY2(problems.isEmpty(), qPrintable(tag + " " + layout.name + ": " +
                                                        problems.join("; ")));
                if (!shots.isEmpty())
                    b.page->grab().save(shots + "/device-settings-" + layout.name + "-" + tag +
                                        ".png");
            }
        }
        MainWindowBench empty;
        empty.UseNone();
        empty.Open({std::string(kLanguageChineseTraditional)});
        CDeviceSettingsDlg* page = empty.window->deviceSettingsPage();
        page->show();
        page->resize(page->minimumSizeHint());
        QCoreApplication::processEvents();
        QVERIFY(TextsThatDoNotFit(page).isEmpty());
        if (!shots.isEmpty()) page->grab().save(shots + "/device-settings-no-device-zh-tw.png");
    }
};

QTEST_MAIN(TestDeviceSettings)
#include "tst_devicesettings.moc"
