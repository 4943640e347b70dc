// The instrument list control: its children by name, its columns, and the
// rules of IDN, selmark, Connect, Disconnect and the list click.
#include <QGroupBox>
#include <QHeaderView>
#include <QPluginLoader>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include "listctl/DMMListQM.h"
#include "tests/support/FindChild.h"

namespace {

using qm::test::Child;

QImage IconImage(const QIcon& icon) { return icon.pixmap(16, 16).toImage(); }

}  // namespace

class TestListControl : public QObject {
    Q_OBJECT

  private:
    QTreeWidget* list(DMMListQM& c) { return Child<QTreeWidget>(c, "lvwDMM"); }
    QPushButton* connectButton(DMMListQM& c) { return Child<QPushButton>(c, "cmdConnect"); }
    QPushButton* disconnectButton(DMMListQM& c) { return Child<QPushButton>(c, "cmdDisconnect"); }
    void click(DMMListQM& c, int row) {
        QTreeWidget* l = list(c);
        const QRect r = l->visualItemRect(l->topLevelItem(row - 1));
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, r.center());
    }
    // Three rows as an add-in fills them from the engine's identity table.
    void fill(DMMListQM& c) {
        c.IDN("Varnet,TX42,SN000001,1.02", "USB0::0x1209::0x4101::SN000001::INSTR");
        c.IDN("Varnet, TX41, SN000002, 1.00", "USB0::0x1209::0x4101::SN000002::INSTR");
        c.IDN("", "GPIB0::7::INSTR");
    }
    QImage rowIcon(DMMListQM& c, int row) { return IconImage(list(c)->topLevelItem(row - 1)->icon(0)); }

  private slots:
    void childrenColumnsAndStartState() {
        DMMListQM c;
        c.resize(560, 240);
        c.show();
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        QCOMPARE(Child<QGroupBox>(c, "Frame1")->title(), QString("Identified Instruments on My Computer"));
        QCOMPARE(connectButton(c)->text(), QString("Connect"));
        QCOMPARE(disconnectButton(c)->text(), QString("Disconnect"));
        QVERIFY(!connectButton(c)->isEnabled());
        QVERIFY(!disconnectButton(c)->isEnabled());
        auto* images1 = c.findChild<DMMImageList*>("ImageList1");
        auto* images2 = c.findChild<DMMImageList*>("ImageList2");
        QVERIFY(images1 && images2);
        QCOMPARE(images2->images.size(), 2);
        QVERIFY(IconImage(images2->image(1)) != IconImage(images2->image(2)));
        QCOMPARE(c.lvwNow(), qint16(0));
        QCOMPARE(c.markAddress(), QString());

        QTreeWidget* l = list(c);
        QCOMPARE(l->columnCount(), 4);
        const QStringList titles = {"Instrument", "Name", "Manufacturer", "Address"};
        for (int i = 0; i < 4; ++i) QCOMPARE(l->headerItem()->text(i), titles[i]);
        QCOMPARE(l->topLevelItemCount(), 0);
        QCOMPARE(l->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(l->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!l->rootIsDecorated());

        // The last column takes what the first three leave, less 60 twips,
        // and follows the control's width.
        auto gap = [&] {
            return l->viewport()->width() - l->columnWidth(0) - l->columnWidth(1) - l->columnWidth(2) -
                   l->columnWidth(3);
        };
        const int twips60 = (60 * c.logicalDpiX() + 720) / 1440;
        QCOMPARE(gap(), twips60);
        c.resize(720, 260);
        QCoreApplication::processEvents();
        QCOMPARE(gap(), twips60);
        for (int i = 0; i < 3; ++i) QVERIFY(l->columnWidth(i) >= c.logicalDpiX());  // an inch at least

        // Every caption in the control's font: Verdana, or its stand-in.
        const QString family = QFontInfo(connectButton(c)->font()).family();
        QVERIFY2(family == "Verdana" || family == "DejaVu Sans", qPrintable(family));
        QCOMPARE(QFontInfo(l->font()).family(), family);
    }

    void identityRowsShowModelMakerAndAddress() {
        DMMListQM c;
        fill(c);
        QTreeWidget* l = list(c);
        QCOMPARE(l->topLevelItemCount(), 3);
        auto texts = [&](int row) {
            QStringList t;
            for (int i = 0; i < 4; ++i) t << l->topLevelItem(row)->text(i);
            return t;
        };
        QCOMPARE(texts(0), QStringList({"Multimeter", "TX42", "Varnet", "USB0::0x1209::0x4101::SN000001::INSTR"}));
        QCOMPARE(texts(1), QStringList({"Multimeter", "TX41", "Varnet", "USB0::0x1209::0x4101::SN000002::INSTR"}));
        QCOMPARE(texts(2), QStringList({"", "", "NA:COMMAND ERR", "GPIB0::7::INSTR"}));
        // An identity without a model field still lists its maker.
        c.IDN("Othermaker", "TCPIP0::127.0.0.1::5025::SOCKET");
        QCOMPARE(texts(3), QStringList({"Multimeter", "", "Othermaker", "TCPIP0::127.0.0.1::5025::SOCKET"}));
        QVERIFY(l->topLevelItem(0)->icon(0).isNull());  // no mark until connected

        c.ListClear();
        QCOMPARE(l->topLevelItemCount(), 0);
    }

    void connectMovesTheMarkAndDisconnectReleasesIt() {
        DMMListQM c;
        c.resize(560, 240);
        c.show();
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        fill(c);
        QVERIFY(!connectButton(c)->isEnabled());

        // Connect with no row selected does nothing.
        QTest::mouseClick(connectButton(c), Qt::LeftButton);
        QCOMPARE(c.lvwNow(), qint16(0));

        click(c, 1);
        QVERIFY(connectButton(c)->isEnabled());
        QVERIFY(!disconnectButton(c)->isEnabled());
        QTest::mouseClick(connectButton(c), Qt::LeftButton);
        QCOMPARE(c.lvwNow(), qint16(1));
        QCOMPARE(c.markAddress(), QString("USB0::0x1209::0x4101::SN000001::INSTR"));
        QVERIFY(!connectButton(c)->isEnabled());
        QVERIFY(disconnectButton(c)->isEnabled());
        const QImage connected = IconImage(DMMListQM::DrawIcon(1));
        const QImage notConnected = IconImage(DMMListQM::DrawIcon(2));
        QCOMPARE(rowIcon(c, 1), connected);
        QVERIFY(list(c)->hasFocus());

        // Clicking another row offers Connect; clicking the connected one, Disconnect.
        click(c, 2);
        QVERIFY(connectButton(c)->isEnabled());
        QVERIFY(!disconnectButton(c)->isEnabled());
        click(c, 1);
        QVERIFY(!connectButton(c)->isEnabled());
        QVERIFY(disconnectButton(c)->isEnabled());

        // Connecting a second row moves icon 1 to it; the first gets icon 2.
        click(c, 2);
        QTest::mouseClick(connectButton(c), Qt::LeftButton);
        QCOMPARE(c.lvwNow(), qint16(2));
        QCOMPARE(c.markAddress(), QString("USB0::0x1209::0x4101::SN000002::INSTR"));
        QCOMPARE(rowIcon(c, 2), connected);
        QCOMPARE(rowIcon(c, 1), notConnected);

        QTest::mouseClick(disconnectButton(c), Qt::LeftButton);
        QCOMPARE(c.lvwNow(), qint16(0));
        QCOMPARE(c.markAddress(), QString());
        QCOMPARE(rowIcon(c, 2), notConnected);
        QVERIFY(list(c)->selectedItems().isEmpty());
        QVERIFY(connectButton(c)->isEnabled());
        QVERIFY(!disconnectButton(c)->isEnabled());
    }

    void selmarkFindsTheConnectedAddressAgain() {
        DMMListQM c;
        fill(c);
        c.setMarkAddress("USB0::0x1209::0x4101::SN000002::INSTR");
        QCOMPARE(c.selmark(), qint16(2));
        QCOMPARE(c.lvwNow(), qint16(2));
        QCOMPARE(rowIcon(c, 2), IconImage(DMMListQM::DrawIcon(1)));
        QCOMPARE(list(c)->currentItem(), list(c)->topLevelItem(1));
        QVERIFY(!connectButton(c)->isEnabled());
        QVERIFY(disconnectButton(c)->isEnabled());

        // The list filled again (ListClear, IDN, selmark) keeps the mark on the same address.
        c.ListClear();
        c.IDN("Varnet,TX41,SN000002,1.00", "USB0::0x1209::0x4101::SN000002::INSTR");
        c.IDN("Varnet,TX42,SN000001,1.02", "USB0::0x1209::0x4101::SN000001::INSTR");
        QCOMPARE(c.selmark(), qint16(1));
        QCOMPARE(c.markAddress(), QString("USB0::0x1209::0x4101::SN000002::INSTR"));

        // An address that is no longer listed leaves nothing connected.
        c.setMarkAddress("USB0::0x1209::0x4101::SN000099::INSTR");
        QCOMPARE(c.selmark(), qint16(0));
        QCOMPARE(c.markAddress(), QString());
        QVERIFY(connectButton(c)->isEnabled());
        QVERIFY(!disconnectButton(c)->isEnabled());
        QVERIFY(rowIcon(c, 1) != IconImage(DMMListQM::DrawIcon(1)));

        // On an empty list selmark and Disconnect are harmless.
        DMMListQM empty;
        empty.setMarkAddress("GPIB0::7::INSTR");
        QCOMPARE(empty.selmark(), qint16(0));
        QTest::mouseClick(Child<QPushButton>(empty, "cmdDisconnect"), Qt::LeftButton);
        QCOMPARE(empty.markAddress(), QString());
    }

    void propertiesAndMethodsThroughQtMetaObject() {
        // What a host that knows the control only by name uses.
        DMMListQM c;
        QVERIFY(QMetaObject::invokeMethod(&c, "IDN", Q_ARG(QString, "Varnet,TX42,SN1,1"),
                                          Q_ARG(QString, "USB0::1::INSTR")));
        QVERIFY(c.setProperty("mark_Address", QString("USB0::1::INSTR")));
        qint16 row = -1;
        QVERIFY(QMetaObject::invokeMethod(&c, "selmark", Q_RETURN_ARG(qint16, row)));
        QCOMPARE(row, qint16(1));
        QCOMPARE(c.property("lvw_now").value<qint16>(), qint16(1));
        QVERIFY(QMetaObject::invokeMethod(&c, "ListClear"));
        QCOMPARE(list(c)->topLevelItemCount(), 0);
    }

    void designerPluginMakesTheControl() {
#ifndef QM_DESIGNER_PLUGIN
        QSKIP("built without Qt Designer");
#else
        QPluginLoader loader(QM_DESIGNER_PLUGIN);
        QObject* instance = loader.instance();
        QVERIFY2(instance, qPrintable(loader.errorString()));
        auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(instance);
        QVERIFY(plugin);
        QCOMPARE(plugin->name(), QString("DMMListQM"));
        QVERIFY(plugin->domXml().contains("class=\"DMMListQM\""));
        QWidget parent;
        QWidget* w = plugin->createWidget(&parent);
        QVERIFY(qobject_cast<DMMListQM*>(w) || w->inherits("DMMListQM"));
        QVERIFY(w->findChild<QTreeWidget*>("lvwDMM"));
#endif
    }
};

QTEST_MAIN(TestListControl)
#include "tst_listctl.moc"
