// Where the strip goes when it must lie wholly on a screen (a screen went away, another start
// asked it to come forward).
#include "faces/qt/ScreenPlacement.h"
#include <QTest>

using namespace zrm58;

class ScreenPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void wholeOnScreen_data() {
        QTest::addColumn<QRect>("strip");
        QTest::addColumn<QList<QRect>>("areas"); // the primary first
        QTest::addColumn<QPoint>("expected");
        const QRect left(0, 0, 1280, 800), right(1280, 0, 1280, 800);
        QTest::newRow("wholly on a screen: stays")
            << QRect(100, 100, 523, 40) << QList<QRect>{left} << QPoint(100, 100);
        QTest::newRow("its menu button alone on the screen: all of it comes in")
            << QRect(1228, 300, 523, 40) << QList<QRect>{left} << QPoint(757, 300);
        QTest::newRow("on no screen: onto the primary, moved least")
            << QRect(3000, -500, 523, 40) << QList<QRect>{left} << QPoint(757, 0);
        QTest::newRow("straddling two: onto the one holding more of it")
            << QRect(1100, 300, 523, 40) << QList<QRect>{left, right} << QPoint(1280, 300);
        QTest::newRow("straddling two: the one holding more wins over the primary")
            << QRect(900, 300, 523, 40) << QList<QRect>{right, left} << QPoint(757, 300);
        QTest::newRow("larger than the screen: left and top on it")
            << QRect(-50, -60, 2000, 900) << QList<QRect>{left} << QPoint(0, 0);
        QTest::newRow("a screen not at the origin (panel above)")
            << QRect(10, 0, 523, 40) << QList<QRect>{QRect(0, 28, 1280, 772)} << QPoint(10, 28);
        QTest::newRow("no screen at all: unchanged")
            << QRect(5, 6, 523, 40) << QList<QRect>{} << QPoint(5, 6);
    }
    void wholeOnScreen() {
        QFETCH(QRect, strip);
        QFETCH(QList<QRect>, areas);
        QFETCH(QPoint, expected);
        QCOMPARE(zrm58::wholeOnScreen(strip, areas), expected);
    }
};

QTEST_GUILESS_MAIN(ScreenPlacementTest)
#include "ScreenPlacementTest.moc"
