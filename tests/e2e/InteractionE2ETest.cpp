// The real strip driven with the pointer through xdotool: dragging, the menu, the exit item.
#include "E2eSupport.h"

using namespace e2e;

namespace {

void xdo(const QStringList& args) {
    run(QStringLiteral("xdotool"), args);
}

void pointerTo(int x, int y) {
    xdo({QStringLiteral("mousemove"), QString::number(x), QString::number(y)});
    QThread::msleep(80);
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
        QTest::qWait(300);
        QCOMPARE(strip.geometry(), before.translated(60, 35));
    }

    void menuOpensAtTheButtonAndExitSavesAndEnds() {
        Strip strip(binary);
        strip.start({QStringLiteral("LANG=ja_JP.UTF-8")});
        QVERIFY(!strip.waitForWindow().isEmpty());
        QTest::qWait(1200);
        const QRect g = strip.geometry();
        // The menu button: the logical box's left 33 units, inside the 5-pixel margin.
        pointerTo(g.x() + 5 + 16 * (g.width() - 10) / 515, g.y() + g.height() / 2);
        xdo({QStringLiteral("click"), QStringLiteral("1")});
        QTest::qWait(600);
        const QImage shot = screenshot(shots + QStringLiteral("/menu-open.png"));
        // The panel (dark sea green) starts at the button's bottom-left corner.
        const QPoint anchor(g.x() + 5, g.y() + g.height() - 5);
        const QRgb panel = shot.pixel(anchor + QPoint(100, 5)); // above the first item
        QVERIFY2(channelDistance(panel, qRgb(0x8F, 0xBC, 0x8F)) <= 6,
                 qPrintable(QString::number(panel, 16)));
        QVERIFY(channelDistance(shot.pixel(anchor + QPoint(20, -20)), qRgb(0x8F, 0xBC, 0x8F)) > 6);

        // The third item, "終了": the process ends with code 0 and the settings are written.
        QVERIFY(!QFile::exists(strip.iniPath()));
        xdo({QStringLiteral("key"), QStringLiteral("Up"), QStringLiteral("Return")});
        QVERIFY(strip.process.waitForFinished(5000));
        QCOMPARE(strip.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(strip.process.exitCode(), 0);
        QVERIFY(QFile::exists(strip.iniPath()));
    }
};

QTEST_GUILESS_MAIN(InteractionE2ETest)
#include "InteractionE2ETest.moc"
