// Pointer interaction on the offscreen platform: move and resize tracking, resize mode, the
// size guard, the menu's position, and the strip kept on a screen.
#include "StripFixture.h"
#include "faces/qt/StripMenu.h"
#include "texts/Texts.h"
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <QWindow>

Q_DECLARE_METATYPE(zrm58::Language)

using namespace zrm58;
using namespace zrm58::testing;

namespace {

// Delivers one pointer event the way the window system would: the window-relative position is
// the global one less the window's position at that moment.
void mouse(TForm1& form, QEvent::Type type, QPointF global,
           Qt::MouseButton button = Qt::LeftButton) {
    const QPointF local = global - QPointF(form.pos());
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, local, local, global, type == QEvent::MouseMove ? Qt::NoButton : button,
                  held, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &e);
}

QPointF at(const TForm1& form, QPointF local) {
    return QPointF(form.pos()) + local;
}

void drag(TForm1& form, QPointF fromLocal, QPointF delta, Qt::MouseButton button = Qt::LeftButton) {
    const QPointF start = at(form, fromLocal);
    mouse(form, QEvent::MouseButtonPress, start, button);
    mouse(form, QEvent::MouseMove, start + delta, button);
    mouse(form, QEvent::MouseButtonRelease, start + delta, button);
}

// Every size the window takes while it lives, as its resize events tell them.
class SizeLog : public QObject {
public:
    explicit SizeLog(QWidget& w) { w.installEventFilter(this); }
    QList<QSize> sizes;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Resize) sizes << static_cast<QResizeEvent*>(e)->size();
        return false;
    }
};

} // namespace

class InteractionTest : public QObject {
    Q_OBJECT
private slots:
    // The menu's items in the strip's language: the design's Japanese, or English.
    void menuInTheStripsLanguage_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("Japanese") << Language::Japanese
                                  << QStringList{QStringLiteral("リサイズ"), QStringLiteral("設定"),
                                                 QStringLiteral("終了")};
        QTest::newRow("English") << Language::English
                                 << QStringList{QStringLiteral("Resize"),
                                                QStringLiteral("Settings"), QStringLiteral("Exit")};
    }
    void menuInTheStripsLanguage() {
        QFETCH(Language, language);
        QFETCH(QStringList, items);
        useLanguage(language);
        const auto restore = qScopeGuard([] { useLanguage(Language::Japanese); });
        StripFixture f;
        TForm1& form = f.create();
        StripMenu* menu = form.menu();
        QCOMPARE(
            (QStringList{menu->ResizeMenu->text(), menu->SetMenu->text(), menu->CloseMenu->text()}),
            items);
    }

    void moveKeepsThePressPointUnderThePointer_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPointF>("delta");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("left") << Qt::LeftButton << QPointF(30, 15) << QPoint(230, 215);
        QTest::newRow("right button moves too")
            << Qt::RightButton << QPointF(-40, 7) << QPoint(160, 207);
        QTest::newRow("middle button moves too")
            << Qt::MiddleButton << QPointF(5, -9) << QPoint(205, 191);
    }
    void moveKeepsThePressPointUnderThePointer() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPointF, delta);
        QFETCH(QPoint, expected);
        StripFixture f;
        TForm1& form = f.create();
        QCOMPARE(form.pos(), QPoint(200, 200));
        drag(form, QPointF(100, 20), delta, button);
        QCOMPARE(form.pos(), expected);
        QCOMPARE(form.size(), QSize(523, 40));
    }

    void resizeFollowsThePointerAndStopsAtTheMinimum() {
        StripFixture f;
        TForm1& form = f.create();
        form.menu()->ResizeMenu->trigger();
        QVERIFY(form.strip().resizeMode());
        const QPointF start = at(form, QPointF(300, 20));
        mouse(form, QEvent::MouseButtonPress, start);
        mouse(form, QEvent::MouseMove, start + QPointF(40, 10));
        QCOMPARE(form.geometry(), QRect(200, 200, 563, 50));        // top-left corner stays
        mouse(form, QEvent::MouseMove, start + QPointF(-453, -15)); // working size 70 x 25
        QCOMPARE(form.size(), QSize(80, 30));
        mouse(form, QEvent::MouseMove,
              start + QPointF(-444, -11)); // working 79 x 29: still minimum
        QCOMPARE(form.size(), QSize(80, 30));
        mouse(form, QEvent::MouseMove, start + QPointF(-433, -5)); // working 90 x 35: grows again
        QCOMPARE(form.size(), QSize(90, 35));
        QCOMPARE(form.pos(), QPoint(200, 200));
        // Released over the strip: resize mode ends.
        mouse(form, QEvent::MouseButtonRelease, at(form, QPointF(40, 15)));
        QVERIFY(!form.strip().resizeMode());
    }

    // Resize tracking from the size at the press along a pointer path (travel from the press
    // point, which lies at window point (300, 20) unless the row says otherwise): the window's
    // geometry after the release, and whether resize mode is still on.
    void resizeTrackingRows_data() {
        QTest::addColumn<QSize>("atPress");
        QTest::addColumn<QPointF>("press");
        QTest::addColumn<QList<QPointF>>("path");
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<bool>("modeAfter");
        const QPointF p(300, 20);
        using L = QList<QPointF>;
        QTest::newRow("grow down-right")
            << QSize(523, 40) << p << L{{60, 20}} << QRect(200, 200, 583, 60) << false;
        QTest::newRow("shrink up-left")
            << QSize(523, 40) << p << L{{-100, -8}} << QRect(200, 200, 423, 32) << false;
        QTest::newRow("down-left")
            << QSize(523, 40) << p << L{{-200, 40}} << QRect(200, 200, 323, 80) << false;
        QTest::newRow("up-right") << QSize(523, 40) << p << L{{150, -8}} << QRect(200, 200, 673, 32)
                                  << false;
        QTest::newRow("width below the minimum")
            << QSize(523, 40) << p << L{{-450, 0}} << QRect(200, 200, 80, 40) << true;
        QTest::newRow("height below the minimum")
            << QSize(523, 40) << p << L{{0, -15}} << QRect(200, 200, 523, 30) << false;
        QTest::newRow("back to just the minimum: no growth yet")
            << QSize(523, 40) << p << L{{-480, -20}, {-443, -10}} << QRect(200, 200, 80, 30)
            << true;
        QTest::newRow("back past the minimum: grows again")
            << QSize(523, 40) << p << L{{-480, -20}, {-400, 5}} << QRect(200, 200, 123, 45) << true;
        QTest::newRow("height to exactly zero and back")
            << QSize(523, 40) << p << L{{0, -40}, {0, 10}} << QRect(200, 200, 523, 50) << false;
        QTest::newRow("far past the top-left corner")
            << QSize(523, 40) << p << L{{-1500, -900}} << QRect(200, 200, 80, 30) << true;
        QTest::newRow("far past the top-left corner and back")
            << QSize(523, 40) << p << L{{-1500, -900}, {100, 30}} << QRect(200, 200, 623, 70)
            << false;
        QTest::newRow("press near the left end, drag left: released left of the strip")
            << QSize(523, 40) << QPointF(45, 20) << L{{-100, 0}} << QRect(200, 200, 423, 40)
            << true;
        QTest::newRow("from the minimum, grow")
            << QSize(80, 30) << QPointF(60, 15) << L{{40, 25}} << QRect(200, 200, 120, 55) << false;
        QTest::newRow("from the minimum, shrink: released on the strip")
            << QSize(80, 30) << QPointF(60, 15) << L{{-10, -5}} << QRect(200, 200, 80, 30) << false;
    }
    void resizeTrackingRows() {
        QFETCH(QSize, atPress);
        QFETCH(QPointF, press);
        QFETCH(QList<QPointF>, path);
        QFETCH(QRect, expected);
        QFETCH(bool, modeAfter);
        StripFixture f;
        TForm1& form = f.create();
        form.strip().resizeGuarded(atPress.width(), atPress.height());
        form.show();
        form.menu()->ResizeMenu->trigger();
        SizeLog log(form);
        const QPointF start = at(form, press);
        mouse(form, QEvent::MouseButtonPress, start);
        for (const QPointF& travel : path)
            mouse(form, QEvent::MouseMove, start + travel);
        mouse(form, QEvent::MouseButtonRelease, start + path.last());
        QCOMPARE(form.geometry(), expected);
        QCOMPARE(form.strip().resizeMode(), modeAfter);
        // The window never takes a size below the minimum, not even for a moment: a window of
        // no size is unmapped by X, and the drag with it.
        for (const QSize& s : log.sizes)
            QVERIFY2(s.width() >= 80 && s.height() >= 30,
                     qPrintable(QStringLiteral("took %1 x %2").arg(s.width()).arg(s.height())));
    }

    void plainClickInResizeModeEndsItWithoutResizing() {
        StripFixture f;
        TForm1& form = f.create();
        form.menu()->ResizeMenu->trigger();
        drag(form, QPointF(200, 20), QPointF(0, 0));
        QVERIFY(!form.strip().resizeMode());
        QCOMPARE(form.geometry(), QRect(200, 200, 523, 40));
    }

    void releaseOutsideTheStripLeavesResizeModeOn() {
        StripFixture f;
        TForm1& form = f.create();
        form.menu()->ResizeMenu->trigger();
        // Pressed near the left end and dragged left: the pointer ends up left of the strip.
        drag(form, QPointF(60, 20), QPointF(-100, 0));
        QCOMPARE(form.width(), 423);
        QVERIFY(form.strip().resizeMode());
        drag(form, QPointF(60, 20), QPointF(-10, 0)); // the next press resizes again
        QCOMPARE(form.width(), 413);
    }

    void theCheckMarkShowsTheModeAClickEnded() {
        StripFixture f;
        TForm1& form = f.create();
        form.menu()->ResizeMenu->trigger();
        QVERIFY(form.menu()->ResizeMenu->isChecked());
        drag(form, QPointF(200, 20), QPointF(0, 0)); // a plain click ends resize mode
        QVERIFY(!form.menu()->ResizeMenu->isChecked());
        form.menu()->ResizeMenu->trigger(); // and choosing the item turns it on again
        QVERIFY(form.strip().resizeMode());
        QVERIFY(form.menu()->ResizeMenu->isChecked());
    }

    void choosingTheResizeItemTwiceSwitchesItOff() {
        StripFixture f;
        TForm1& form = f.create();
        form.menu()->ResizeMenu->trigger();
        form.menu()->ResizeMenu->trigger();
        QVERIFY(!form.strip().resizeMode());
        drag(form, QPointF(200, 20), QPointF(10, 10));
        QCOMPARE(form.geometry(), QRect(210, 210, 523, 40)); // moved, not resized
    }

    void pressesOnTheButtonOrTheMarginNeverTrack_data() {
        QTest::addColumn<QPointF>("press");
        QTest::newRow("menu button") << QPointF(15, 20);
        QTest::newRow("left margin") << QPointF(2, 20);
        QTest::newRow("bottom margin") << QPointF(300, 38);
    }
    void pressesOnTheButtonOrTheMarginNeverTrack() {
        QFETCH(QPointF, press);
        StripFixture f;
        TForm1& form = f.create();
        const QPointF start = at(form, press);
        mouse(form, QEvent::MouseButtonPress, start);
        mouse(form, QEvent::MouseMove, start + QPointF(50, 50));
        QCOMPARE(form.geometry(), QRect(200, 200, 523, 40));
        mouse(form, QEvent::MouseButtonRelease, start + QPointF(50, 50));
        QVERIFY(!form.menu()->isVisible()); // released away from the button: no click
    }

    // The window's size hints are its size, minimum and maximum alike (a tiling manager floats
    // it then), and they follow every size the strip gives itself; a size that someone else
    // makes leaves the strip's own size and place as they were.
    void sizeHintsFollowTheStripsOwnSize_data() {
        QTest::addColumn<int>("how"); // 0: resize tracking, 1: width factor, 2: stored size
        QTest::addColumn<QSize>("size");
        QTest::newRow("resize tracking") << 0 << QSize(563, 60);
        QTest::newRow("width factor 2") << 1 << QSize(1040, 40);
        QTest::newRow("the size guard on a stored size") << 2 << QSize(80, 30);
    }
    void sizeHintsFollowTheStripsOwnSize() {
        QFETCH(int, how);
        QFETCH(QSize, size);
        StripFixture f;
        TForm1& form = f.create();
        form.strip().showFirst();
        QVERIFY(form.windowHandle());
        QCOMPARE(form.windowHandle()->minimumSize(), QSize(523, 40));
        QCOMPARE(form.windowHandle()->maximumSize(), QSize(523, 40));
        if (how == 0) {
            form.menu()->ResizeMenu->trigger();
            drag(form, QPointF(300, 20), QPointF(40, 20));
        } else if (how == 1) {
            form.strip().MuWidth = 2.0;
            form.strip().applyDialogWidth();
        } else {
            form.strip().resizeGuarded(10, 10);
        }
        QCOMPARE(form.size(), size);
        QCOMPARE(form.windowHandle()->minimumSize(), size);
        QCOMPARE(form.windowHandle()->maximumSize(), size);

        const QRect own = form.geometry();
        form.setGeometry(0, 32, 1280, 748); // as a tiling manager would
        QCOMPARE(form.size(), QSize(1280, 748));
        const Rect placed = form.strip().placedFrame();
        QCOMPARE(QRect(placed.left, placed.top, placed.width, placed.height), own);
    }

    void sizeGuardKeeps80By30_data() {
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<QSize>("kept");
        QTest::newRow("too low") << QSize(300, 10) << QSize(300, 30);
        QTest::newRow("too narrow") << QSize(20, 50) << QSize(80, 50);
        QTest::newRow("both") << QSize(1, 1) << QSize(80, 30);
        QTest::newRow("exactly the minimum") << QSize(80, 30) << QSize(80, 30);
    }
    void sizeGuardKeeps80By30() {
        QFETCH(QSize, asked);
        QFETCH(QSize, kept);
        StripFixture f;
        TForm1& form = f.create();
        form.show();
        form.resize(asked); // whoever makes the change, the guard runs
        QCOMPARE(form.size(), kept);
    }

    void menuOpensAtTheButtonsBottomLeftCorner_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("widthFactor");
        QTest::newRow("default") << QSize(523, 40) << 1.0;
        QTest::newRow("tall, factor 1.5") << QSize(523, 70) << 1.5;
        QTest::newRow("narrow, factor 0.5") << QSize(300, 40) << 0.5;
        QTest::newRow("wide, factor 2") << QSize(1040, 50) << 2.0;
    }
    void menuOpensAtTheButtonsBottomLeftCorner() {
        QFETCH(QSize, size);
        QFETCH(double, widthFactor);
        StripFixture f;
        TForm1& form = f.create();
        form.resize(size);
        form.strip().MuWidth = widthFactor;
        form.strip().applyStartWidth();
        // The button's logical (0, 33) maps to the margin's inside, whatever the scale.
        QCOMPARE(form.menuAnchor(), form.mapToGlobal(QPoint(5, size.height() - 5)));
    }

    // Near the screen's bottom the menu opens upward from the button's top-left corner instead
    // of being pushed up over the strip and its button.
    void menuOpensWhereItLeavesTheButtonFree_data() {
        QTest::addColumn<int>("fromBottom"); // the strip's top, above the screen's bottom
        QTest::addColumn<bool>("upward");
        QTest::newRow("middle of the screen") << 300 << false;
        QTest::newRow("at the bottom") << 40 << true;
        QTest::newRow("half off the bottom") << 20 << true;
    }
    void menuOpensWhereItLeavesTheButtonFree() {
        QFETCH(int, fromBottom);
        QFETCH(bool, upward);
        StripFixture f;
        TForm1& form = f.create();
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        form.move(100, area.bottom() + 1 - fromBottom);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.strip().SpeedButton1Click();
        StripMenu* menu = form.menu();
        QTRY_VERIFY(menu->isVisible());
        const QRect m = menu->geometry();
        const QPoint buttonTop = form.mapToGlobal(QPoint(5, 5));
        QCOMPARE(m.left(), buttonTop.x());
        if (upward)
            QCOMPARE(m.bottom() + 1, buttonTop.y()); // its bottom at the button's top
        else
            QCOMPARE(m.top(), form.menuAnchor().y());
        menu->hide();
    }

    void menuItemsAndPictures() {
        StripFixture f;
        TForm1& form = f.create();
        const QList<QAction*> items = form.menu()->actions();
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0]->text(), QStringLiteral("リサイズ"));
        QCOMPARE(items[1]->text(), QStringLiteral("設定"));
        QCOMPARE(items[2]->text(), QStringLiteral("終了"));
        QVERIFY(items[0]->isCheckable() && !items[0]->isChecked());
        for (const QPixmap& p : makeImageList1(1.0)) {
            QCOMPARE(p.size(), QSize(16, 16));
            const QImage img = p.toImage();
            QCOMPARE(qAlpha(img.pixel(0, 15)) < 255 || qAlpha(img.pixel(15, 0)) < 255,
                     true); // transparent parts
        }
    }

    void stripLeftOffEveryScreenIsBroughtBack() {
        StripFixture f;
        TForm1& form = f.create();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        form.move(screen.right() + 500, screen.bottom() + 500);
        QVERIFY(form.ensureOnScreen());
        QVERIFY(screen.contains(form.geometry()));
        form.move(200, -5); // mostly on the screen: left alone
        QVERIFY(!form.ensureOnScreen());
        QCOMPARE(form.pos(), QPoint(200, -5));
    }
};

QTEST_MAIN(InteractionTest)
#include "InteractionTest.moc"
