// The real strip at the end of a session: SIGTERM, SIGHUP and SIGINT save the strip's state and end
// the program with code 0.
#include "E2eSupport.h"
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

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
        QTRY_COMPARE_WITH_TIMEOUT(strip.geometry().topLeft(), QPoint(100, 170), kStateMs);
        ::kill(static_cast<pid_t>(strip.process.processId()), signo);
        QVERIFY(strip.process.waitForFinished(kStateMs));
        QCOMPARE(strip.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(strip.process.exitCode(), 0);
        const QString ini = iniText(strip.iniPath());
        QVERIFY2(ini.contains(QStringLiteral("Top=170\r\nLeft=100\r\n")), qPrintable(ini));
        QVERIFY(ini.contains(QStringLiteral("[Mine]\r\nkeep=me\r\n")));
        QVERIFY(ini.contains(QStringLiteral("SEP=#\r\n")));
    }

    // A settings file written in an 8-bit editor: the strip reads its values, and the save at the
    // end keeps them and the foreign section, with the file's former bytes beside it, readable by
    // no more users than the file itself.
    void eightBitFileIsKeptAtTheSave() {
        QFile fixture(QStringLiteral(ZRM58_SOURCE_DIR "/tests/data/settings/latin1.ini"));
        QVERIFY(fixture.open(QIODevice::ReadOnly));
        const QByteArray former = fixture.readAll();
        Strip strip(binary, former);
        const QByteArray iniFile = QFile::encodeName(strip.iniPath());
        QVERIFY(::chmod(iniFile.constData(), 0600) == 0);
        strip.start();
        QVERIFY(!strip.waitForWindow().isEmpty());
        ::kill(static_cast<pid_t>(strip.process.processId()), SIGTERM);
        QVERIFY(strip.process.waitForFinished(kStateMs));
        QCOMPARE(strip.process.exitCode(), 0);
        QFile backup(strip.iniPath() + QStringLiteral(".bak"));
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QCOMPARE(backup.readAll(), former);
        for (const QByteArray& path : {iniFile, iniFile + ".bak"}) {
            struct stat st {};
            QVERIFY(::stat(path.constData(), &st) == 0);
            QCOMPARE(st.st_mode & 07777, 0600u);
        }
        const QString ini = iniText(strip.iniPath());
        QVERIFY2(ini.contains(QStringLiteral("Family=Café Sans\r\n")), qPrintable(ini));
        QVERIFY(ini.contains(QStringLiteral("FORMAT=dd.mm.yyyy hh:nn »\r\nSEP=¦\r\n")));
        QVERIFY(ini.contains(QStringLiteral("[Notizen]\r\nGröße=groß\r\nPreis=5€ „gut“\r\n")));
    }

    // Root runs a copy from a folder that everyone may write to, as /tmp, where another user
    // planted ZRM58.ini as a link to a file of root's: the folder is no settings home, and the
    // save goes to the configuration directory, the linked file untouched.
    void plantedLinkInASharedFolderIsNotWritten() {
        if (::geteuid() != 0) QSKIP("needs root to plant a link as another user");
        Strip strip(binary);
        QTemporaryDir rootOnly, config;
        const QString secret = rootOnly.filePath(QStringLiteral("secret.conf"));
        QFile f(secret);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("root only\n");
        f.close();
        QVERIFY(QFile::link(secret, strip.iniPath()));
        const QByteArray link = QFile::encodeName(strip.iniPath());
        QVERIFY(::lchown(link.constData(), 65534, 65534) == 0);
        QVERIFY(::chmod(QFile::encodeName(strip.dir.path()).constData(), 01777) == 0);
        strip.start({QStringLiteral("XDG_CONFIG_HOME=") + config.path()});
        QVERIFY(!strip.waitForWindow().isEmpty());
        ::kill(static_cast<pid_t>(strip.process.processId()), SIGTERM);
        QVERIFY(strip.process.waitForFinished(kStateMs));
        QCOMPARE(strip.process.exitCode(), 0);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("root only\n"));
        QVERIFY(iniText(config.filePath(QStringLiteral("zrm58/ZRM58.ini")))
                    .contains(QStringLiteral("[Form]\r\n")));
    }
};

QTEST_GUILESS_MAIN(SessionEndE2ETest)
#include "SessionEndE2ETest.moc"
