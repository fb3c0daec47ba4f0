// The real strip when its X server changes under it: a monitor goes away, the server itself goes
// away. Each case has a private Xvfb of its own.
#include "PrivateXServer.h"
#include <csignal>

using namespace e2e;

namespace {

QString iniText(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray b = f.readAll();
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(b.constData() + 2),
                              (b.size() - 2) / 2);
}

} // namespace

class DisplayChangeE2ETest : public QObject {
    Q_OBJECT
    QString binary = QStringLiteral(ZRM58_BINARY);
    QString shots = QStringLiteral(ZRM58_SHOTS);

private slots:
    void initTestCase() { QDir().mkpath(shots); }

    // Two monitors side by side; the strip lies mostly on the right one. When the right one goes
    // away the whole strip comes onto the left one, moved the least.
    void screenGoneBringsTheWholeStripBack_data() {
        QTest::addColumn<int>("left");
        QTest::addColumn<QRect>("expected");
        // 52 pixels (the menu button) on the left monitor: it must not stay there.
        QTest::newRow("straddling, menu button on the remaining screen")
            << 1228 << QRect(757, 300, 523, 40);
        QTest::newRow("wholly on the screen that goes") << 1700 << QRect(757, 300, 523, 40);
    }
    void screenGoneBringsTheWholeStripBack() {
        QFETCH(int, left);
        QFETCH(QRect, expected);
        PrivateXServer x(QStringLiteral("2560x800"));
        QVERIFY(x.ready());
        x.run(QStringLiteral("xrandr"),
              {QStringLiteral("--setmonitor"), QStringLiteral("left"),
               QStringLiteral("1280/338x800/211+0+0"), QStringLiteral("screen")});
        x.run(QStringLiteral("xrandr"),
              {QStringLiteral("--setmonitor"), QStringLiteral("right"),
               QStringLiteral("1280/338x800/211+1280+0"), QStringLiteral("none")});
        QVERIFY(x.run(QStringLiteral("xrandr"), {QStringLiteral("--listmonitors")})
                    .startsWith(QStringLiteral("Monitors: 2")));

        Strip strip(binary, utf16File(QStringLiteral("[Form]\nTop=300\nLeft=%1\n").arg(left)));
        strip.start({QStringLiteral("DISPLAY=") + x.display});
        const QString window = x.waitForStrip();
        QVERIFY(!window.isEmpty());
        waitUntil([&] { return x.windowGeometry(window) == QRect(left, 300, 523, 40); });
        QCOMPARE(x.windowGeometry(window), QRect(left, 300, 523, 40));

        x.run(QStringLiteral("xrandr"), {QStringLiteral("--delmonitor"), QStringLiteral("right")});
        waitUntil([&] { return x.windowGeometry(window) == expected; });
        x.run(QStringLiteral("import"),
              {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"),
               QStringLiteral("1280x800+0+0"),
               shots + QStringLiteral("/screen-gone-from-%1.png").arg(left)});
        QCOMPARE(x.windowGeometry(window), expected);
        QCOMPARE(strip.process.state(), QProcess::Running);
    }

    // The X server killed under a running strip: the toolkit ends the program (code 1), and the
    // position dragged since the start is in the settings file, foreign sections kept.
    void serverGoneSavesTheSettings() {
        PrivateXServer x(QStringLiteral("1280x800"));
        QVERIFY(x.ready());
        Strip strip(binary, utf16File(QStringLiteral(
                                "[Form]\nTop=150\nLeft=90\n[Mine]\nkeep=me\n[DATE]\nSEP=#\n")));
        strip.start({QStringLiteral("DISPLAY=") + x.display});
        const QString window = x.waitForStrip();
        QVERIFY(!window.isEmpty());
        QTest::qWait(300);
        x.run(QStringLiteral("xdotool"),
              {QStringLiteral("mousemove"), QStringLiteral("300"), QStringLiteral("170"),
               QStringLiteral("mousedown"), QStringLiteral("1")});
        x.run(QStringLiteral("xdotool"),
              {QStringLiteral("mousemove"), QStringLiteral("310"), QStringLiteral("190"),
               QStringLiteral("mouseup"), QStringLiteral("1")});
        waitUntil([&] { return x.windowGeometry(window).topLeft() == QPoint(100, 170); });
        QCOMPARE(x.windowGeometry(window).topLeft(), QPoint(100, 170));

        x.server.kill();
        x.server.waitForFinished(3000);
        QVERIFY(strip.process.waitForFinished(kStateMs));
        QCOMPARE(strip.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(strip.process.exitCode(), 1);
        const QString ini = iniText(strip.iniPath());
        QVERIFY2(ini.contains(QStringLiteral("Top=170\r\nLeft=100\r\n")), qPrintable(ini));
        QVERIFY(ini.contains(QStringLiteral("[Mine]\r\nkeep=me\r\n")));
        QVERIFY(ini.contains(QStringLiteral("SEP=#\r\n")));
    }
};

QTEST_GUILESS_MAIN(DisplayChangeE2ETest)
#include "DisplayChangeE2ETest.moc"
