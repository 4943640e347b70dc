// Every text of the add-in's forms and of the list control fits at the
// form's smallest size, in each language of the shipped settings file, with
// the forms showing their longest content: two meters listed and one
// connected, a logging sheet chosen, a two-value reading.
// Set QM_SHOTS to a folder to keep a picture of each form and language.
#include <QApplication>
#include <QLabel>
#include <QTreeWidget>
#include <QtTest>

#include "link/LinkSettings.h"
#include "listctl/DMMListQM.h"
#include "tests/addin/LinkHostBench.h"
#include "ui/support/TextFit.h"

using namespace qm;
using linkhost::HostCommand;

namespace {

constexpr const char* kSecondMeter = "USB0::0x1209::0x4101::SN000002::INSTR";

// The form at its smallest size, laid out.
void Shrink(QWidget& form) {
    QApplication::processEvents();
    form.resize(form.minimumSizeHint());
    QApplication::processEvents();
}

void Keep(QWidget& form, const QString& name) {
    const QString dir = qEnvironmentVariable("QM_SHOTS");
    if (!dir.isEmpty()) form.grab().save(QString("%1/qm-link-%2.png").arg(dir, name));
}

}  // namespace

class TestLinkFormsFit : public QObject {
    Q_OBJECT

  private slots:
    void everyFormFitsAtItsSmallestSize_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("en") << 0;
        QTest::newRow("zh-hant") << 1;
        QTest::newRow("zh-hans") << 2;
    }

    void everyFormFitsAtItsSmallestSize() {
        QFETCH(int, language);
        test::LinkHostBench b;
        b.docs.WriteSettings(test::ReadBytes(QM_SOURCE_DIR "/data/QM_TOOL.ini"));
        auto& core = b.host->core();
        QCOMPARE(core.Languages().size(), size_t(3));
        core.ChooseLanguage(language);
        core.Search();
        core.ConnectAddress(kSecondMeter);
        QVERIFY(core.MakeLoggingSheet({}));

        const std::pair<HostCommand, const char*> forms[] = {
            {HostCommand::About, "about"},   {HostCommand::Connect, "connect"},
            {HostCommand::Files, "files"},   {HostCommand::Funcs, "setup"},
            {HostCommand::Meas, "reading"},  {HostCommand::Chart, "charts"}};
        QStringList cuts;
        for (const auto& [command, name] : forms) {
            b.host->Handle(command);
            CLinkForm* form = nullptr;
            for (CLinkForm* f : {static_cast<CLinkForm*>(&b.host->about()),
                                 static_cast<CLinkForm*>(&b.host->connectForm()),
                                 static_cast<CLinkForm*>(&b.host->files()),
                                 static_cast<CLinkForm*>(&b.host->setup()),
                                 static_cast<CLinkForm*>(&b.host->reading()),
                                 static_cast<CLinkForm*>(&b.host->charts())})
                if (f->isVisible()) form = f;
            QVERIFY(form);
            if (command == HostCommand::Meas) {
                // The widest reading the form shows: two overloads.
                const std::string overload = link::NumberText(-9.9e37);
                form->findChild<QLabel*>("lblValue")->setText(QString::fromStdString(overload + ", " + overload));
            }
            Shrink(*form);
            for (const QString& cut : test::CutTexts(*form)) cuts << QString(name) + ": " + cut;
            Keep(*form, QString("%1-%2").arg(name, QTest::currentDataTag()));
            form->hide();
        }
        // The list control on its own, as other forms may place it.
        DMMListQM list;
        list.IDN("Varnet,TX42,SN000001,1.00", "USB0::0x1209::0x4101::SN000001::INSTR");
        list.IDN("", "GPIB0::7::INSTR");
        list.setMarkAddress("GPIB0::7::INSTR");
        list.selmark();
        list.show();
        Shrink(list);
        for (const QString& cut : test::CutTexts(list)) cuts << "DMMListQM: " + cut;
        QVERIFY2(cuts.isEmpty(), qPrintable(cuts.join("\n")));
    }
};

QTEST_MAIN(TestLinkFormsFit)
#include "tst_linkforms_fit.moc"
