// The settings window of the real strip, opened through its menu with the pointer, checked by a
// screenshot, and closed with its Close button, which saves the settings file.
#include "E2eSupport.h"
#include <QSet>

using namespace e2e;

namespace {

QStringList visibleWindows(const QStringList& searchArgs) {
    QStringList args{QStringLiteral("search"), QStringLiteral("--onlyvisible")};
    args << searchArgs;
    const QString out = run(QStringLiteral("xdotool"), args);
    return out.isEmpty() ? QStringList() : out.split('\n');
}

// The first visible window matching `searchArgs` that is not `except`; empty after the timeout.
QString waitForOther(const QStringList& searchArgs, const QString& except, int timeoutMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        for (const QString& w : visibleWindows(searchArgs))
            if (w != except) return w;
        QThread::msleep(100);
    }
    return {};
}

// The process's visible window titled `title`. By name, since xdotool's own search cannot match
// non-ASCII titles (it reads WM_NAME, not the UTF-8 _NET_WM_NAME).
QString windowTitled(const QString& pid, const QString& title) {
    for (const QString& w : visibleWindows({QStringLiteral("--pid"), pid}))
        if (run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), w}) == title) return w;
    return {};
}

QString waitForTitled(const QString& pid, const QString& title, int timeoutMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (QString w = windowTitled(pid, title); !w.isEmpty()) return w;
        QThread::msleep(100);
    }
    return {};
}

void clickAt(QPoint p) {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
         QStringLiteral("click"), QStringLiteral("1")});
}

} // namespace

class SettingsWindowE2ETest : public QObject {
    Q_OBJECT
    QString binary = QStringLiteral(ZRM58_BINARY);
    QString shots = QStringLiteral(ZRM58_SHOTS);

private slots:
    void initTestCase() { QDir().mkpath(shots); }

    void openThroughTheMenuAndCloseSaving() {
        Strip strip(binary);
        strip.start({QStringLiteral("LANG=en_US.UTF-8")});
        QVERIFY(!strip.waitForWindow().isEmpty());
        QTest::qWait(500);
        const QRect g = strip.geometry();

        // The menu button: the logical box's 33 x 33 at its left end, scaled into the window's
        // inside (10 less than the window each way; the box is 515 x 33 at a width factor of 1).
        const double sx = (g.width() - 10) / 515.0, sy = (g.height() - 10) / 33.0;
        clickAt(g.topLeft() + QPoint(5 + qRound(16.5 * sx), 5 + qRound(16.5 * sy)));

        // The menu: three items of equal height between its paddings (11 above, 18 below,
        // which include the 4 pixels of its drop shadow); "設定" is the second.
        const QString pid = QString::number(strip.process.processId());
        const QString menu = waitForOther({QStringLiteral("--pid"), pid}, strip.window);
        QVERIFY2(!menu.isEmpty(), "the menu did not open");
        QTest::qWait(300);
        const QRect m = windowGeometry(menu);
        const double itemHeight = (m.height() - 11 - 18) / 3.0;
        clickAt(m.topLeft() + QPoint((m.width() - 4) / 2, 11 + qRound(itemHeight * 1.5)));

        const QString settings = waitForTitled(pid, QStringLiteral("設定"));
        QVERIFY2(!settings.isEmpty(), "no window titled 設定");
        QTest::qWait(700); // painted
        const QRect s = windowGeometry(settings);
        QCOMPARE(s.size(), QSize(559, 473));
        // Centred on the 1280 x 800 desktop at its first showing.
        QVERIFY2((s.center() - QPoint(640, 400)).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(s.x()).arg(s.y())));

        const QImage img = screenshot(shots + QStringLiteral("/settings-window.png"));
        QVERIFY(!img.isNull());
        const QImage window = img.copy(s);
        QSet<QRgb> colours;
        int dark = 0;
        for (int y = 0; y < window.height(); ++y)
            for (int x = 0; x < window.width(); ++x) {
                colours.insert(window.pixel(x, y));
                if (qGray(window.pixel(x, y)) < 90) ++dark;
            }
        QVERIFY2(colours.size() > 20, "the window is (nearly) one colour");
        QVERIFY2(dark > 2000, qPrintable(QStringLiteral("dark pixels: %1").arg(dark)));
        // The reminder of the format letters below the group boxes (one or two lines, as the
        // font found here decides) has its text, and no part of the window shows the desktop.
        int reminder = 0;
        for (int y = 360; y < 400; ++y)
            for (int x = 8; x < 553; ++x)
                reminder += qGray(window.pixel(x, y)) < 90;
        QVERIFY2(reminder > 300, qPrintable(QString::number(reminder)));
        QVERIFY(channelDistance(window.pixel(2, 2), desktopColour(img)) > 10);

        // Close: saves the settings file, then the window goes.
        QVERIFY(!QFile::exists(strip.iniPath()));
        clickAt(s.topLeft() + QPoint(128 + 104, 408 + 20));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000 && !windowTitled(pid, QStringLiteral("設定")).isEmpty())
            QThread::msleep(100);
        QVERIFY(windowTitled(pid, QStringLiteral("設定")).isEmpty());
        QVERIFY(QFile::exists(strip.iniPath()));
        QCOMPARE(strip.process.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(SettingsWindowE2ETest)
#include "SettingsWindowE2ETest.moc"
