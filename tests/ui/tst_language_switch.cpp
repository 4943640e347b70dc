// The About box and the language choice: the box's tabs, link and texts,
// and a switch through every language that must relabel the main window and
// every page it owns (found by type, so pages added later are walked too),
// whether the page is hidden or shown, with no English left wherever the
// language file has a text of its own.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QTabBar>
#include <QTableView>
#include <QtTest>
#include <map>
#include <set>

#include "app/AboutInfo.h"
#include "app/CAboutDlg.h"
#include "app/LanguageTexts.h"
#include "app/MainWindowIds.h"
#include "config/FunctionTable.h"
#include "platform/Profile.h"
#include "ui/CPageFrame.h"
#include "ui/support/MainWindowBench.h"
#include "ui/support/PageShots.h"

using namespace qm;
using qm::test::MainWindowBench;
using qm::test::ModalWatch;

namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// One text a widget shows, keyed by the object and what it is (title, item 2, ...).
using TextMap = std::map<std::pair<const QObject*, QString>, QString>;

void Add(TextMap& texts, const QObject* who, const QString& what, const QString& text) {
    if (!text.isEmpty()) texts[{who, what}] = text;
}

// Every text on a window and its children that the language could change.
TextMap TextsOf(QWidget* root) {
    TextMap texts;
    Add(texts, root, "title", root->windowTitle());
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        // Pages are windows of their own: each is walked on its own, with
        // everything inside it.
        if (w->window() != root) continue;
        Add(texts, w, "tip", w->toolTip());
        if (auto* label = qobject_cast<QLabel*>(w)) Add(texts, w, "text", label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(w)) Add(texts, w, "text", button->text());
        if (auto* group = qobject_cast<QGroupBox*>(w)) Add(texts, w, "title", group->title());
        if (auto* menu = qobject_cast<QMenu*>(w)) Add(texts, w, "title", menu->title());
        if (auto* tabs = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                Add(texts, w, QString("tab %1").arg(i), tabs->tabText(i));
        if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                Add(texts, w, QString("item %1").arg(i), combo->itemText(i));
        if (auto* list = qobject_cast<QListWidget*>(w))
            for (int i = 0; i < list->count(); ++i)
                Add(texts, w, QString("row %1").arg(i), list->item(i)->text());
        if (auto* table = qobject_cast<QTableView*>(w); table && table->model())
            for (int c = 0; c < table->model()->columnCount(); ++c)
                Add(texts, w, QString("column %1").arg(c),
                    table->model()->headerData(c, Qt::Horizontal).toString());
    }
    for (QAction* a : root->findChildren<QAction*>()) {
        Add(texts, a, "text", a->text());
        if (a->toolTip() != a->text()) Add(texts, a, "tip", a->toolTip());
    }
    return texts;
}

// The English texts that `language` replaces with a text of its own.
std::set<QString> ReplacedEnglish(const QString& iniPath, std::string_view language) {
    const std::filesystem::path file = iniPath.toStdString();
    LanguageTexts english(file), other(file);
    other.SetLanguage(language);
    std::set<QString> replaced;
    auto consider = [&](std::string_view key, std::string_view builtIn) {
        const std::string translated = other.GetText(key, "");
        for (const std::string& e : {english.GetText(key, builtIn), std::string(builtIn)})
            if (!translated.empty() && translated != e && !e.empty())
                replaced.insert(QString::fromStdString(e));
    };
    for (const TextKey& k : AllTextKeys()) consider(k.key, k.englishText);
    for (const std::string& key : GetProfileKeyNames(file, kLanguageEnglish)) consider(key, "");
    return replaced;
}

// The function keys and the second-function list show the meters' own
// vocabulary (DCV, TEMP, CAP, ...) in every language.
bool FixedVocabulary(const QObject* who) {
    bool isNumber = false;
    const int id = who->objectName().toInt(&isNumber);
    if (!isNumber) return false;
    if (id == mainwindow::kSecondFunctionCombo) return true;
    for (const FunctionButton& b : g_functionButtons)
        if (b.controlId == id) return true;
    return false;
}

QString Where(const QObject* who, const QString& what) {
    const QObject* window = who;
    while (window->parent() && !(qobject_cast<const QWidget*>(window) &&
                                 static_cast<const QWidget*>(window)->isWindow()))
        window = window->parent();
    return QString("%1 in window %2 (%3)").arg(who->objectName(), window->objectName(), what);
}

}  // namespace

class TestLanguageSwitch : public QObject {
    Q_OBJECT

  private:
    // Chooses `entry` in the About box's language list and closes the box.
    static void ChooseLanguage(MainWindowBench& bench, int entry) {
        ModalWatch watch([entry](QDialog* box) {
            box->findChild<QComboBox*>(QString::number(CAboutDlg::kLanguageChoice))
                ->setCurrentIndex(entry);
            box->findChild<QPushButton*>(QString::number(CAboutDlg::kOkButton))->click();
        });
        bench.Trigger(mainwindow::kCmdAbout);
        QVERIFY(watch.shown());
    }

    // No text in `texts` is English that the language file translates.
    static void NoEnglishLeft(const TextMap& texts, const std::set<QString>& replaced) {
        for (const auto& [key, text] : texts) {
            if (FixedVocabulary(key.first)) continue;
            QVERIFY2(
                !replaced.count(text),
                qPrintable("\"" + text + "\" left in English: " + Where(key.first, key.second)));
        }
    }

    // After switching back to English every text reads as it did at the start.
    static void SameAsAtStart(const TextMap& now, const TextMap& start) {
        for (const auto& [key, text] : start) {
            const auto it = now.find(key);
            if (it == now.end()) continue;
            QVERIFY2(it->second == text, qPrintable(Where(key.first, key.second) + ": \"" +
                                                    it->second + "\" instead of \"" + text + "\""));
        }
    }

    struct Snapshot {
        TextMap window;
        std::map<const QObject*, TextMap> hidden, shown;
    };

    static Snapshot Take(CMeterToolDlg& w) {
        Snapshot s;
        s.window = TextsOf(&w);
        const QList<CPageFrame*> pages = w.findChildren<CPageFrame*>();
        for (CPageFrame* page : pages) s.hidden[page] = TextsOf(page);
        for (CPageFrame* page : pages) {
            page->show();
            s.shown[page] = TextsOf(page);
            page->hide();
        }
        return s;
    }

  private slots:
    void everyPageFollowsEveryLanguageAndBack() {
        qm::test::ScratchWorkingFolder work;
        QVERIFY(work.ok());
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        CMeterToolDlg& w = bench.Open();
        const QList<CPageFrame*> pages = w.findChildren<CPageFrame*>();
        QVERIFY(pages.size() >= 6);
        const Snapshot start = Take(w);
        for (const CPageFrame* page : pages) QVERIFY(!start.shown.at(page).empty());

        struct Step {
            int entry;
            std::string_view language;
        };
        const Step steps[] = {{1, kLanguageChineseTraditional},
                              {0, kLanguageEnglish},
                              {2, kLanguageChineseSimplified},
                              {0, kLanguageEnglish},
                              {1, kLanguageChineseTraditional},
                              {2, kLanguageChineseSimplified},
                              {0, kLanguageEnglish}};
        for (const Step& step : steps) {
            ChooseLanguage(bench, step.entry);
            QCOMPARE(w.texts().language(), std::string(step.language));
            // Hidden pages are relabelled at once, shown pages stay so.
            const Snapshot now = Take(w);
            if (step.language == kLanguageEnglish) {
                SameAsAtStart(now.window, start.window);
                for (const CPageFrame* page : pages) {
                    SameAsAtStart(now.hidden.at(page), start.shown.at(page));
                    SameAsAtStart(now.shown.at(page), start.shown.at(page));
                }
                continue;
            }
            const std::set<QString> replaced = ReplacedEnglish(bench.iniPath(), step.language);
            QVERIFY(replaced.count("Query") && replaced.count("Exit"));
            NoEnglishLeft(now.window, replaced);
            for (const CPageFrame* page : pages) {
                NoEnglishLeft(now.hidden.at(page), replaced);
                NoEnglishLeft(now.shown.at(page), replaced);
            }
        }
        for (const PromptMessage& m : bench.prompter.messages)
            QVERIFY2(false, qPrintable(QString::fromStdString("unexpected message: " + m.text)));
    }

    void aboutBoxTabsLinkAndTexts() {
        MainWindowBench bench;
        QVERIFY(bench.UseBuiltin());
        CMeterToolDlg& w = bench.Open({std::string(kLanguageChineseTraditional)});
        LanguageTexts reference(bench.iniPath().toStdString());
        reference.SetLanguage(kLanguageChineseTraditional);
        auto tc = [&](const char* key) {
            return QString::fromStdString(reference.GetText(key, ""));
        };

        QStringList tabs;
        QString okText, title, link;
        bool languageHiddenFirst = false, languageShownOnTab1 = false, aboutHiddenOnTab1 = false;
        bool hand = false;
        ModalWatch watch([&](QDialog* box) {
            auto find = [box](int id) { return box->findChild<QWidget*>(QString::number(id)); };
            auto* bar = box->findChild<QTabBar*>(QString::number(CAboutDlg::kTabs));
            for (int i = 0; i < bar->count(); ++i) tabs << bar->tabText(i);
            okText = static_cast<QPushButton*>(find(CAboutDlg::kOkButton))->text();
            title = static_cast<QLabel*>(find(CAboutDlg::kProgramTitle))->text();
            link = static_cast<QLabel*>(find(CAboutDlg::kWebLink))->text();
            languageHiddenFirst = find(CAboutDlg::kLanguageChoice)->isHidden();
            bar->setCurrentIndex(1);
            languageShownOnTab1 = !find(CAboutDlg::kLanguageChoice)->isHidden();
            aboutHiddenOnTab1 = true;
            for (int id : {CAboutDlg::kProgramIcon, CAboutDlg::kProgramTitle,
                           CAboutDlg::kVersionText, CAboutDlg::kNotice, CAboutDlg::kWebLink})
                aboutHiddenOnTab1 = aboutHiddenOnTab1 && find(id)->isHidden();
            bar->setCurrentIndex(0);
            hand = find(CAboutDlg::kWebLink)->cursor().shape() == Qt::PointingHandCursor;
            QTest::mouseClick(find(CAboutDlg::kWebLink), Qt::LeftButton);
        });
        bench.Trigger(mainwindow::kCmdAbout);
        QVERIFY(watch.shown());
        QCOMPARE(watch.title(), FromView(kAboutCaption));
        // The box speaks the language that was current when it opened.
        QCOMPARE(tabs, QStringList({tc("200"), tc("201")}));
        QCOMPARE(okText, tc("07"));
        QCOMPARE(title, QString("DA-VIVO"));
        QCOMPARE(link, FromView(kAboutWebAddress));
        QVERIFY(languageHiddenFirst);
        QVERIFY(languageShownOnTab1);
        QVERIFY(aboutHiddenOnTab1);
        QVERIFY(hand);
        // The link opens through the prompter, nowhere else.
        QCOMPARE(bench.prompter.opened, std::vector<std::string>({std::string(kAboutWebAddress)}));

        // Closed without a choice: the program is back in English.
        QCOMPARE(w.texts().language(), std::string(kLanguageEnglish));
        QCOMPARE(w.action(mainwindow::kCmdCommandControl)->text(), QString("Command Control"));
        QVERIFY(bench.prompter.messages.empty());
    }

    void screenshots() {
        if (!qm::test::ShotsWanted()) QSKIP("set QM_SCREENSHOT_DIR to save the pictures");
        const std::pair<std::string_view, const char*> languages[] = {
            {kLanguageEnglish, "en"},
            {kLanguageChineseTraditional, "zh-tw"},
            {kLanguageChineseSimplified, "zh-cn"}};
        for (const auto& [language, suffix] : languages) {
            MainWindowBench bench;
            QVERIFY(bench.UseBuiltin());
            CMeterToolDlg& w = bench.Open({std::string(language)});
            CAboutDlg box(w.texts(), bench.prompter, &w);
            QVERIFY(qm::test::SaveSmallestShot(&box, QString("about-%1").arg(suffix)));
            box.findChild<QTabBar*>(QString::number(CAboutDlg::kTabs))->setCurrentIndex(1);
            QVERIFY(qm::test::SaveSmallestShot(&box, QString("about-language-%1").arg(suffix)));
        }
    }
};

QTEST_MAIN(TestLanguageSwitch)
#include "tst_language_switch.moc"
