// Shaped function buttons, the program's icons and the window's Prompter.
#include <QApplication>
#include <QColorDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <functional>

#include "app/CShapeButton.h"
#include "ui/QtIcons.h"
#include "ui/QtPrompter.h"

namespace {

bool SameImage(const QPixmap& a, const QPixmap& b) {
    return a.toImage() == b.toImage();
}

// Runs `inspect` on the first visible message box once the event loop of
// its exec() is running, then lets `inspect` close it.
void WhenMessageBoxShows(std::function<void(QMessageBox*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                inspect(box);
                return;
            }
        }
        WhenMessageBoxShows(inspect);  // not up yet: look again on the next turn
    });
}

}  // namespace

class TestShapeButton : public QObject {
    Q_OBJECT

  private slots:
    void maskFollowsTheCapsule() {
        QWidget window;
        window.resize(200, 80);
        CShapeButton button("DCV", &window);
        button.setGeometry(40, 20, 120, 40);
        button.SetShape(3);
        QSignalSpy clicked(&button, &QPushButton::clicked);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QRegion mask = button.mask();
        QVERIFY(mask.contains(QPoint(60, 20)));  // centre
        QVERIFY(mask.contains(QPoint(60, 1)));   // along the straight top edge
        QVERIFY(mask.contains(QPoint(1, 20)));   // tip of the left half circle
        QVERIFY(!mask.contains(QPoint(1, 1)));   // corners outside the round ends
        QVERIFY(!mask.contains(QPoint(118, 38)));
        QVERIFY(!mask.contains(QPoint(117, 2)));

        // A click in the corner outside the capsule does not reach the button.
        QWindow* handle = window.windowHandle();
        QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(40 + 2, 20 + 2));
        QCOMPARE(clicked.count(), 0);
        QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(40 + 60, 20 + 20));
        QCOMPARE(clicked.count(), 1);
        // Pressed inside and released outside the shape (still inside the
        // rectangle): no click, as for any push button released off it.
        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(100, 40));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(40 + 118, 20 + 38));
        QCOMPARE(clicked.count(), 1);
    }

    void rectangleWhenNoShapeWasSet() {
        CShapeButton button("Rect");
        button.resize(80, 24);
        QVERIFY(!button.hasShape());
        (void)button.grab();  // the first paint
        QVERIFY(button.hasShape());
        QCOMPARE(button.shapeKind(), qm::shape::ShapeKind::Rectangle);
        QVERIFY(button.mask().contains(QPoint(0, 0)));
        QVERIFY(button.mask().contains(QPoint(79, 23)));
    }

    void threePicturesDifferAndAreRenderedOnce() {
        CShapeButton button("ACV");
        button.resize(90, 28);
        button.SetShape(3);
        const QPixmap normal = button.picture(CShapeButton::kNormalPicture);
        const QPixmap focused = button.picture(CShapeButton::kFocusedPicture);
        const QPixmap pressed = button.picture(CShapeButton::kPressedPicture);
        QCOMPARE(button.renderCount(), 1);
        QVERIFY(!SameImage(normal, focused));
        QVERIFY(!SameImage(normal, pressed));
        QVERIFY(!SameImage(focused, pressed));
        QCOMPARE(normal.deviceIndependentSize().toSize(), QSize(90, 28));
        // Outside the capsule the pictures are see-through, inside opaque.
        const QImage img = normal.toImage();
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(img.pixel(45, 14)), 255);
        // Repainting an unchanged button reuses the pictures.
        (void)button.grab();
        (void)button.grab();
        QCOMPARE(button.renderCount(), 1);
    }

    void pressedPictureIsShownWhilePressed() {
        QWidget window;
        window.resize(160, 60);
        CShapeButton button("FREQ", &window);
        button.setGeometry(10, 10, 120, 36);
        button.SetShape(3);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint inside(60, 18);

        QTest::mousePress(&button, Qt::LeftButton, {}, inside);
        QVERIFY(button.isDown());
        QCOMPARE(button.currentPicture(), CShapeButton::kPressedPicture);
        const QImage shown = button.grab().toImage();
        const QImage pressed = button.picture(CShapeButton::kPressedPicture).toImage();
        const QImage normal = button.picture(CShapeButton::kNormalPicture).toImage();
        const QPoint probe(12, 18);  // on the face, left of the caption
        QCOMPARE(shown.pixel(probe), pressed.pixel(probe));
        QVERIFY(shown.pixel(probe) != normal.pixel(probe));

        QTest::mouseRelease(&button, Qt::LeftButton, {}, inside);
        QVERIFY(!button.isDown());
        QVERIFY(button.currentPicture() != CShapeButton::kPressedPicture);
    }

    void disablingAndRelabellingRenderAgain() {
        CShapeButton button("TEMP");
        button.resize(90, 28);
        button.SetShape(3);
        const QPixmap enabled = button.picture(CShapeButton::kNormalPicture);
        QCOMPARE(button.renderCount(), 1);

        button.setEnabled(false);
        const QPixmap disabled = button.picture(CShapeButton::kNormalPicture);
        QCOMPARE(button.renderCount(), 2);
        QVERIFY(!SameImage(enabled, disabled));
        button.setEnabled(true);
        QVERIFY(SameImage(button.picture(CShapeButton::kNormalPicture), enabled));
        QCOMPARE(button.renderCount(), 3);

        // A new caption must not leave the old one on the key.
        button.setText("TCOUPL");
        QVERIFY(!SameImage(button.picture(CShapeButton::kNormalPicture), enabled));
        QCOMPARE(button.renderCount(), 4);
    }

    void resizingRebuildsTheShape() {
        CShapeButton button("CAP");
        button.resize(60, 24);
        button.SetShape(3);
        (void)button.picture(CShapeButton::kNormalPicture);
        button.resize(160, 40);
        QCOMPARE(button.picture(CShapeButton::kNormalPicture).deviceIndependentSize().toSize(),
                 QSize(160, 40));
        QVERIFY(!button.outlines()[0].empty());
        int right = 0;
        for (const auto& p : button.outlines()[0]) right = std::max(right, p.x);
        QCOMPARE(right, 160);
        QVERIFY(button.mask().contains(QPoint(140, 20)));
        QVERIFY(!button.mask().contains(QPoint(158, 2)));
        QCOMPARE(button.renderCount(), 2);
    }

    void callerGivenOutline() {
        CShapeButton button("T");
        button.resize(60, 60);
        button.SetOutline(std::vector<QPoint>{{30, 0}, {60, 60}, {0, 60}});
        QVERIFY(button.mask().contains(QPoint(30, 40)));
        QVERIFY(!button.mask().contains(QPoint(3, 3)));
        QVERIFY(!button.outlines()[3].empty());
        QVERIFY(!button.picture(CShapeButton::kNormalPicture).isNull());
        button.resize(80, 80);  // the caller's outline stays as given
        QVERIFY(!button.mask().contains(QPoint(70, 70)));
        // An outline without area leaves the plain rectangle.
        button.SetOutline(std::vector<QPoint>{{0, 0}, {10, 10}});
        QVERIFY(button.mask().isEmpty());
    }
};

class TestQtIcons : public QObject {
    Q_OBJECT

  private slots:
    void everyIconDrawsAtSmallAndLargeSizes() {
        for (const char* name :
             {"qm_tool", "start", "stop", "set_device", "arrow_up", "arrow_down", "zero_marker"}) {
            const QIcon icon = qmIcon(name);
            QVERIFY2(!icon.isNull(), name);
            for (int size : {16, 24, 256}) {
                const QImage img = icon.pixmap(size, size).toImage();
                QCOMPARE(img.size(), QSize(size, size));
                int opaque = 0;
                for (int y = 0; y < size; ++y)
                    for (int x = 0; x < size; ++x) opaque += qAlpha(img.pixel(x, y)) > 128;
                QVERIFY2(opaque > size * size / 8, name);
            }
            // Loaded once.
            QCOMPARE(qmIcon(name).cacheKey(), icon.cacheKey());
        }
        // The disabled look differs from the normal one.
        const QIcon start = qmIcon("start");
        QVERIFY(start.pixmap(24, 24).toImage() !=
                start.pixmap(QSize(24, 24), QIcon::Disabled).toImage());
        QVERIFY(qmIcon("no_such_icon").isNull());
        QVERIFY(qmIcon("").isNull());
        QVERIFY(qmIcon(nullptr).isNull());
    }
};

class TestQtPrompter : public QObject {
    Q_OBJECT

  private slots:
    void messageBoxShowsExactTextCaptionAndIcon() {
        QtPrompter prompter;
        const struct {
            qm::PromptIcon icon;
            QMessageBox::Icon expected;
        } icons[] = {{qm::PromptIcon::None, QMessageBox::NoIcon},
                     {qm::PromptIcon::Information, QMessageBox::Information},
                     {qm::PromptIcon::Warning, QMessageBox::Warning},
                     {qm::PromptIcon::Error, QMessageBox::Critical},
                     {qm::PromptIcon::Question, QMessageBox::Question}};
        for (const auto& c : icons) {
            QString text, title;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            WhenMessageBoxShows([&](QMessageBox* box) {
                text = box->text();
                title = box->windowTitle();
                icon = box->icon();
                box->button(QMessageBox::Ok)->click();
            });
            const auto answer = prompter.message({"Select Device First", "", c.icon});
            QCOMPARE(answer, qm::PromptAnswer::Ok);
            QCOMPARE(text, QString("Select Device First"));
            QCOMPARE(title, QString());
            QCOMPARE(icon, c.expected);
        }
        // Markup-looking text is shown as it is.
        QString label;
        WhenMessageBoxShows([&](QMessageBox* box) {
            QCOMPARE(box->textFormat(), Qt::PlainText);
            label = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        prompter.error("<b>VI_ERROR_TMO</b> \"read?\"", "ERROR");
        QCOMPARE(label, QString("<b>VI_ERROR_TMO</b> \"read?\""));
    }

    void yesNoQuestionsAnswerAsClickedOverTheParent() {
        QWidget owner;
        QtPrompter prompter;
        prompter.setParentWidget(&owner);
        QString title;
        QWidget* seenParent = nullptr;
        WhenMessageBoxShows([&](QMessageBox* box) {
            title = box->windowTitle();
            seenParent = box->parentWidget();
            QVERIFY(box->button(QMessageBox::Ok) == nullptr);
            box->button(QMessageBox::No)->click();
        });
        QCOMPARE(prompter.askYesNo("Delete the record?", "Record"), false);
        QCOMPARE(title, QString("Record"));
        QCOMPARE(seenParent, &owner);
        WhenMessageBoxShows([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        QCOMPARE(prompter.askYesNo("Delete the record?"), true);
    }

    void waitCursorNests() {
        QtPrompter prompter;
        QGuiApplication::setOverrideCursor(Qt::CrossCursor);  // someone else's cursor
        prompter.beginWait();
        prompter.beginWait();
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        prompter.endWait();
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        prompter.endWait();
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
        prompter.endWait();  // unmatched: leaves the other cursor alone
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
        QCOMPARE(prompter.waitDepth(), 0);
        {
            QtPrompter early;
            early.beginWait();  // never ended: the destructor restores
        }
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
        QGuiApplication::restoreOverrideCursor();
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void fileFiltersBecomeQtFilters() {
        QCOMPARE(QtPrompter::qtFileFilter("CSV Files (*.csv)|*.csv|All Files (*.*)|*.*||"),
                 QString("CSV Files (*.csv);;All Files (*.*)"));
        QCOMPARE(QtPrompter::qtFileFilter("Text|*.txt;*.log||"), QString("Text (*.txt *.log)"));
        QCOMPARE(QtPrompter::qtFileFilter("CSV Files (*.csv)"), QString("CSV Files (*.csv)"));
        QCOMPARE(QtPrompter::qtFileFilter(""), QString());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int status = 0;
    {
        TestShapeButton t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestQtIcons t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestQtPrompter t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}

#include "tst_shapebutton.moc"
