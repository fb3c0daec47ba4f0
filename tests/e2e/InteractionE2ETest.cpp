// The real strip driven with the pointer through xdotool: dragging, the menu, the exit item.
#include "E2eSupport.h"
#include <algorithm>

using namespace e2e;

namespace {

void xdo(const QStringList& args) {
    run(QStringLiteral("xdotool"), args);
}

void pointerTo(int x, int y) {
    xdo({QStringLiteral("mousemove"), QString::number(x), QString::number(y)});
    QThread::msleep(80);
}

// The menu's first item; true once the menu is gone again.
bool turnResizeModeOn(Strip& strip, const QString& shotPath) {
    const QString menu = openMenu(strip);
    if (menu.isEmpty() || !clickMenuItem(menuItem(menu, 0), shotPath)) return false;
    return waitUntil([&] { return windowsOfProcess(strip.process.processId()).size() == 1; });
}

// Presses at `from`, passes the pointer through `path` (screen points) and releases.
void dragAlong(QPoint from, const QList<QPoint>& path) {
    pointerTo(from.x(), from.y());
    xdo({QStringLiteral("mousedown"), QStringLiteral("1")});
    for (const QPoint& p : path)
        pointerTo(p.x(), p.y());
    xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
}

} // namespace

class InteractionE2ETest : public QObject {
    Q_OBJECT
    QString binary = QStringLiteral(ZRM58_BINARY);
    QString shots = QStringLiteral(ZRM58_SHOTS);

private slots:
    void initTestCase() { QDir().mkpath(shots); }

    void dragMovesTheStripByTheDragsDistance() {
        Strip strip(binary);
        strip.start();
        QVERIFY(!strip.waitForWindow().isEmpty());
        const QRect before = strip.geometry();
        const QPoint grab = before.topLeft() + QPoint(250, 20);
        pointerTo(grab.x(), grab.y());
        xdo({QStringLiteral("mousedown"), QStringLiteral("1")});
        for (int i = 1; i <= 5; ++i)
            pointerTo(grab.x() + 12 * i, grab.y() + 7 * i);
        xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
        QTRY_COMPARE_WITH_TIMEOUT(strip.geometry(), before.translated(60, 35), kStateMs);
    }

    // Resize drags of every direction, also far past the strip's top-left corner: the geometry
    // after the release, then whether resize mode is still on (a short drag near the right end
    // resizes only then).
    void resizeDrags_data() {
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<QPoint>("press");       // in window coordinates
        QTest::addColumn<QList<QPoint>>("path"); // pointer travel from the press point
        QTest::addColumn<QSize>("expected");
        QTest::addColumn<bool>("modeAfter");
        using L = QList<QPoint>;
        QTest::newRow("below the minimum and back past it")
            << QPoint(200, 200) << QPoint(300, 20) << L{{-480, -20}, {-400, 5}} << QSize(123, 45)
            << true;
        QTest::newRow("height below zero and back")
            << QPoint(200, 200) << QPoint(300, 20) << L{{0, -70}, {0, 20}} << QSize(523, 60)
            << false;
        QTest::newRow("far past the top-left corner and back")
            << QPoint(700, 300) << QPoint(300, 20) << L{{-600, -150}, {-1000, -320}, {100, 30}}
            << QSize(623, 70) << false;
    }
    void resizeDrags() {
        QFETCH(QPoint, topLeft);
        QFETCH(QPoint, press);
        QFETCH(QList<QPoint>, path);
        QFETCH(QSize, expected);
        QFETCH(bool, modeAfter);
        Strip strip(
            binary,
            utf16File(
                QStringLiteral("[Form]\nLeft=%1\nTop=%2\n").arg(topLeft.x()).arg(topLeft.y())));
        strip.start();
        QVERIFY(!strip.waitForWindow().isEmpty());
        QVERIFY(turnResizeModeOn(strip, shots + QStringLiteral("/resize-menu.png")));
        const QPoint from = topLeft + press;
        QList<QPoint> points;
        for (const QPoint& travel : path) // the pointer stops at the screen's edges
            points << QPoint(std::max(0, from.x() + travel.x()),
                             std::max(0, from.y() + travel.y()));
        dragAlong(from, points);
        QTRY_COMPARE_WITH_TIMEOUT(strip.geometry(), QRect(topLeft, expected), kStateMs);

        // A short drag near the right end: resized in resize mode, moved out of it; either way
        // the geometry changes, which tells that the strip has taken the drag.
        const QPoint probe = topLeft + QPoint(expected.width() - 20, expected.height() / 2);
        dragAlong(probe, {probe + QPoint(3, 1)});
        QVERIFY(waitUntil([&] { return strip.geometry() != QRect(topLeft, expected); }));
        QCOMPARE(strip.geometry().size() != expected, modeAfter);
    }

    void menuOpensAtTheButtonAndExitSavesAndEnds() {
        Strip strip(binary);
        strip.start({QStringLiteral("LANG=ja_JP.UTF-8")});
        QVERIFY(!strip.waitForWindow().isEmpty());
        QVERIFY(waitForLine(strip, shots + QStringLiteral("/menu-open.png"))); // its width set
        const QRect g = strip.geometry();
        // The menu button: the logical box's left 33 units, inside the 5-pixel margin.
        const QString menu = openMenu(strip);
        QVERIFY(!menu.isEmpty());
        // The panel (dark sea green) starts at the button's bottom-left corner.
        const QPoint anchor(g.x() + 5, g.y() + g.height() - 5);
        QImage shot;
        QRgb panel = 0;
        waitUntil([&] { // painted
            shot = screenshot(shots + QStringLiteral("/menu-open.png"));
            panel = shot.pixel(anchor + QPoint(100, 5)); // above the first item
            return channelDistance(panel, qRgb(0x8F, 0xBC, 0x8F)) <= 6;
        });
        QVERIFY2(channelDistance(panel, qRgb(0x8F, 0xBC, 0x8F)) <= 6,
                 qPrintable(QString::number(panel, 16)));
        QVERIFY(channelDistance(shot.pixel(anchor + QPoint(20, -20)), qRgb(0x8F, 0xBC, 0x8F)) > 6);

        // The third item, "終了": the process ends with code 0 and the settings are written.
        QVERIFY(!QFile::exists(strip.iniPath()));
        QVERIFY(clickMenuItem(menuItem(menu, 2), shots + QStringLiteral("/menu-exit.png")));
        QVERIFY(strip.process.waitForFinished(kStateMs));
        QCOMPARE(strip.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(strip.process.exitCode(), 0);
        QVERIFY(QFile::exists(strip.iniPath()));
    }
};

QTEST_GUILESS_MAIN(InteractionE2ETest)
#include "InteractionE2ETest.moc"
