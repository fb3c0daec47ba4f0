// The real strip at the end of a session: SIGTERM, SIGHUP and SIGINT save the strip's state and end
// the program with code 0.
#include "E2eSupport.h"
#include <csignal>

using namespace e2e;

class SessionEndE2ETest : public QObject {
    Q_OBJECT
    QString binary = QStringLiteral(ZRM58_BINARY);

    static QString iniText(const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QByteArray b = f.readAll();
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(b.constData() + 2),
                                  (b.size() - 2) / 2);
    }

private slots:
    void signalSavesAndEnds_data() {
        QTest::addColumn<int>("signo");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
    }
    void signalSavesAndEnds() {
        QFETCH(int, signo);
        Strip strip(binary, utf16File(QStringLiteral(
                                "[Form]\nTop=150\nLeft=90\n[Mine]\nkeep=me\n[DATE]\nSEP=#\n")));
        strip.start();
        QVERIFY(!strip.waitForWindow().isEmpty());
        // Move it by dragging, so that the saved state differs from the file's.
        run(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QStringLiteral("300"), QStringLiteral("170"),
             QStringLiteral("mousedown"), QStringLiteral("1")});
        run(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QStringLiteral("310"), QStringLiteral("190"),
             QStringLiteral("mouseup"), QStringLiteral("1")});
        QTest::qWait(300);
        QCOMPARE(strip.geometry().topLeft(), QPoint(100, 170));
        ::kill(static_cast<pid_t>(strip.process.processId()), signo);
        QVERIFY(strip.process.waitForFinished(5000));
        QCOMPARE(strip.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(strip.process.exitCode(), 0);
        const QString ini = iniText(strip.iniPath());
        QVERIFY2(ini.contains(QStringLiteral("Top=170\r\nLeft=100\r\n")), qPrintable(ini));
        QVERIFY(ini.contains(QStringLiteral("[Mine]\r\nkeep=me\r\n")));
        QVERIFY(ini.contains(QStringLiteral("SEP=#\r\n")));
    }
};

QTEST_GUILESS_MAIN(SessionEndE2ETest)
#include "SessionEndE2ETest.moc"
