// Where the strip goes when it must lie wholly on a screen (a screen went away, another start
// asked it to come forward), through the Qt face's screens. The rule's own table, with several
// screens, is the core's (tests/core/OnScreenTest.cpp); here the offscreen platform's one screen.
#include "faces/qt/ScreenPlacement.h"
#include "StripFixture.h"
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace zrm58;
using namespace zrm58::testing;

class ScreenPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void comeForwardBringsTheWholeStripOn_data() {
        QTest::addColumn<QPoint>("at");       // from the work area's top-left corner
        QTest::addColumn<QPoint>("expected"); // the same; x -1 and y -1: at the far edge
        QTest::newRow("wholly on a screen: stays") << QPoint(100, 100) << QPoint(100, 100);
        QTest::newRow("its menu button alone on the screen: all of it comes in")
            << QPoint(-480, 300) << QPoint(0, 300);
        QTest::newRow("on no screen: onto the primary, moved least")
            << QPoint(3000, -500) << QPoint(-1, 0);
        QTest::newRow("below the screen: its bottom on it") << QPoint(40, 5000) << QPoint(40, -1);
    }
    void comeForwardBringsTheWholeStripOn() {
        QFETCH(QPoint, at);
        QFETCH(QPoint, expected);
        StripFixture f;
        TForm1& form = f.create();
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        form.strip().placeAt(area.left() + at.x(), area.top() + at.y());
        comeForward(form);
        const QPoint to(
            expected.x() < 0 ? area.right() + 1 - form.width() : area.left() + expected.x(),
            expected.y() < 0 ? area.bottom() + 1 - form.height() : area.top() + expected.y());
        QCOMPARE(form.pos(), to);
        QVERIFY(area.contains(form.geometry()));
        QCOMPARE(form.strip().placedFrame().left, to.x()); // a place of its own, which saves keep
        QCOMPARE(form.strip().placedFrame().top, to.y());
    }
};

QTEST_MAIN(ScreenPlacementTest)
#include "ScreenPlacementTest.moc"
