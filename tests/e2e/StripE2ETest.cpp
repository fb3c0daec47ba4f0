// The real strip on a virtual X server with a compositing manager, checked by its pixels.
#include "E2eSupport.h"

using namespace e2e;

class StripE2ETest : public QObject {
    Q_OBJECT
    QString binary = QStringLiteral(ZRM58_BINARY);
    QString shots = QStringLiteral(ZRM58_SHOTS);

private slots:
    void initTestCase() { QDir().mkpath(shots); }

    void defaultStripIsTranslucentAndShowsTheLine() {
        Strip strip(binary);
        strip.start({QStringLiteral("LANG=en_US.UTF-8")});
        QVERIFY(!strip.waitForWindow().isEmpty());
        QVERIFY(waitForLine(strip, shots + QStringLiteral("/default-strip.png")));
        const QRect g = strip.geometry();
        QCOMPARE(g, QRect(200, 200, 523, 40));
        const QImage img = screenshot(shots + QStringLiteral("/default-strip.png"));
        QVERIFY(!img.isNull());
        auto px = [&](int dx, int dy) { return img.pixel(g.x() + dx, g.y() + dy); };
        const QRgb kRoot = desktopColour(img);

        // The 5-pixel margin and the corners outside the rounding show the desktop.
        QVERIFY2(channelDistance(px(2, 20), kRoot) <= 2, "left margin");
        QVERIFY2(channelDistance(px(260, 2), kRoot) <= 2, "top margin");
        QVERIFY2(channelDistance(px(5, 5), kRoot) <= 2, "top-left corner");
        QVERIFY2(channelDistance(px(517, 34), kRoot) <= 2, "bottom-right corner");
        // The rectangle: FFDCDCDC at opacity 0.5 over the desktop (above the text).
        const QRgb fill = over(qRgb(0xDC, 0xDC, 0xDC), 0.5, kRoot);
        QVERIFY2(channelDistance(px(260, 8), fill) <= 3,
                 qPrintable(QString::number(px(260, 8), 16)));
        // The outline: black at opacity 0.5 on the rectangle's top edge.
        QVERIFY(channelDistance(px(260, 5), over(qRgb(0, 0, 0), 0.5, kRoot)) <= 40);
        // The line: dark text pixels in the label's area.
        int dark = 0;
        for (int y = 10; y < 32; ++y)
            for (int x = 45; x < 480; ++x)
                if (qGray(px(x, y)) < 70) ++dark;
        QVERIFY2(dark > 150, qPrintable(QStringLiteral("dark pixels: %1").arg(dark)));
    }

    void badStoredColourShowsTheErrorBoxAndExitsWith1() {
        const QByteArray stored = utf16File(QStringLiteral("[Font]\nColor=black\n[Mine]\nx=1\n"));
        Strip strip(binary, stored);
        strip.start();
        QString box;
        for (int i = 0; i < kStateMs / 100 && box.isEmpty(); ++i) {
            QThread::msleep(100);
            box = run(QStringLiteral("xdotool"),
                      {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                       QStringLiteral("--name"), QStringLiteral("アプリケーションエラー")})
                      .section('\n', 0, 0);
        }
        QVERIFY2(!box.isEmpty(), "the error box");
        screenshot(shots + QStringLiteral("/bad-colour-error.png"));
        QVERIFY(run(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--name"), QStringLiteral("^ZRM58$")})
                    .isEmpty()); // the strip is never shown
        run(QStringLiteral("xdotool"),
            {QStringLiteral("windowfocus"), QStringLiteral("--sync"), box});
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
        QVERIFY(strip.process.waitForFinished(kStateMs));
        QCOMPARE(strip.process.exitCode(), 1);
        QFile ini(strip.iniPath());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(), stored); // nothing written
    }
};

QTEST_GUILESS_MAIN(StripE2ETest)
#include "StripE2ETest.moc"
