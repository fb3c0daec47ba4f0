// The real strip in a Wayland session: weston's headless backend with XWayland, in a runtime
// directory of its own. The strip runs through XWayland whenever it is there, also when
// QT_QPA_PLATFORM asks every program for Wayland; without it, it runs on Wayland itself, says
// once that the compositor places it, and keeps its stored place.
#include "E2eSupport.h"
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <functional>

using namespace e2e;

namespace {

constexpr int kDeadlineMs = 20000; // for a state to come about on a busy machine

// Polls `done` until it holds or the deadline passes; whether it held.
bool waitFor(const std::function<bool()>& done) {
    return waitUntil(done, kDeadlineMs);
}

// weston on its headless backend with XWayland; its X display is the one its log names.
class Weston {
public:
    Weston() {
        QFile::setPermissions(runtime_.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        socket = QStringLiteral("zrm58-test-%1").arg(QCoreApplication::applicationPid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        compositor_.setProcessEnvironment(env);
        compositor_.setStandardOutputFile(QProcess::nullDevice());
        compositor_.setStandardErrorFile(QProcess::nullDevice());
        compositor_.start(QStringLiteral("weston"),
                          {QStringLiteral("--backend=headless-backend.so"),
                           QStringLiteral("--socket=") + socket, QStringLiteral("--xwayland"),
                           QStringLiteral("--width=1280"), QStringLiteral("--height=800"),
                           QStringLiteral("--log=") + log()});
        compositor_.waitForStarted();
    }
    ~Weston() {
        compositor_.terminate();
        if (!compositor_.waitForFinished(5000)) {
            compositor_.kill();
            compositor_.waitForFinished(3000);
        }
    }
    QString log() const { return runtime_.filePath(QStringLiteral("weston.log")); }
    QString runtimeDir() const { return runtime_.path(); }

    // Ready: its socket is there and XWayland listens (it starts on the first X client).
    bool ready() {
        if (!QFileInfo::exists(runtime_.filePath(socket))) return false;
        QFile f(log());
        if (!f.open(QIODevice::ReadOnly)) return false;
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("xserver listening on display (:\\d+)"))
                .match(QString::fromUtf8(f.readAll()));
        if (m.hasMatch()) display = m.captured(1);
        return m.hasMatch();
    }

    // An X client on XWayland; its standard output.
    QString x(const QString& program, const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        p.setProcessEnvironment(env);
        p.start(program, args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    QString socket;
    QString display;

private:
    QTemporaryDir runtime_;
    QProcess compositor_;
};

// Whether the process `pid` has a listening local socket: /proc/net/unix lists the listening
// ones (flag __SO_ACCEPTCON, 00010000) with their inodes, /proc/PID/fd the process's sockets.
bool listens(qint64 pid) {
    QSet<QString> mine;
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd :
         fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)) {
        const QString target = QFile::symLinkTarget(fds.filePath(fd));
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("socket:\\[(\\d+)\\]$")).match(target);
        if (m.hasMatch()) mine.insert(m.captured(1));
    }
    QFile unix(QStringLiteral("/proc/net/unix"));
    if (!unix.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : unix.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        // Num RefCount Protocol Flags Type St Inode [Path]
        if (f.size() >= 7 && f[3] == "00010000" && mine.contains(QString::fromLatin1(f[6])))
            return true;
    }
    return false;
}

QString leftTop(const QString& ini) {
    const QRegularExpressionMatch top =
        QRegularExpression(QStringLiteral("Top=(-?\\d+)")).match(ini);
    const QRegularExpressionMatch left =
        QRegularExpression(QStringLiteral("Left=(-?\\d+)")).match(ini);
    return QStringLiteral("%1,%2").arg(left.captured(1), top.captured(1));
}

QString readIni(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray b = f.readAll().mid(2);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(b.constData()), b.size() / 2);
}

} // namespace

class WaylandE2ETest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        for (const char* tool : {"weston", "Xwayland"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                QSKIP("weston or Xwayland is not installed (scripts/setup.sh installs them)");
    }

    void placeAndPlatform_data() {
        QTest::addColumn<QStringList>("env");  // "DISPLAY" stands for XWayland's display
        QTest::addColumn<QStringList>("args"); // the strip's own command line
        QTest::addColumn<bool>("throughX");    // its window is an X window on XWayland
        QTest::addColumn<bool>("notice");      // it says that the compositor places it
        QTest::newRow("XWayland there")
            << QStringList{QStringLiteral("DISPLAY")} << QStringList() << true << false;
        QTest::newRow("XWayland there, Wayland exported for every program")
            << QStringList{QStringLiteral("DISPLAY"), QStringLiteral("QT_QPA_PLATFORM=wayland")}
            << QStringList() << true << false;
        QTest::newRow("-platform wayland on its command line wins")
            << QStringList{QStringLiteral("DISPLAY")}
            << QStringList{QStringLiteral("-platform"), QStringLiteral("wayland")} << false << true;
        QTest::newRow("no XWayland") << QStringList() << QStringList() << false << true;
        QTest::newRow("no XWayland, Wayland exported for every program")
            << QStringList{QStringLiteral("QT_QPA_PLATFORM=wayland")} << QStringList() << false
            << true;
    }
    void placeAndPlatform() {
        QFETCH(QStringList, env);
        QFETCH(QStringList, args);
        QFETCH(bool, throughX);
        QFETCH(bool, notice);
        Weston weston;
        QVERIFY(waitFor([&] { return weston.ready(); }));

        Strip strip(QStringLiteral(ZRM58_BINARY),
                    utf16File(QStringLiteral("[Form]\nTop=300\nLeft=600\n")));
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.remove(QStringLiteral("DISPLAY"));
        e.remove(QStringLiteral("QT_QPA_PLATFORM"));
        e.insert(QStringLiteral("XDG_RUNTIME_DIR"), weston.runtimeDir());
        e.insert(QStringLiteral("WAYLAND_DISPLAY"), weston.socket);
        e.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        for (const QString& kv : env) {
            if (kv == QLatin1String("DISPLAY"))
                e.insert(kv, weston.display);
            else
                e.insert(kv.section('=', 0, 0), kv.section('=', 1));
        }
        if (!throughX && e.contains(QStringLiteral("ASAN_OPTIONS"))) {
            // The sanitized run: Qt's Wayland plugin leaves a few Wayland objects to the
            // process's end and is unloaded before the leak check, which then cannot name (nor
            // be told to pass over) what it left. No leak check for a strip on Wayland itself.
            e.insert(QStringLiteral("ASAN_OPTIONS"),
                     e.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
        }
        strip.process.setProcessEnvironment(e);
        strip.process.start(strip.exe, args);
        QVERIFY(strip.process.waitForStarted());

        // Up with its window shown: it listens for later starts only from then on.
        QVERIFY(waitFor([&] { return listens(strip.process.processId()); }));
        const QString xWindow =
            weston.x(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"),
                                                 QStringLiteral("^ZRM58$")});
        QCOMPARE(!xWindow.isEmpty(), throughX);

        strip.process.terminate();
        QVERIFY(strip.process.waitForFinished(kDeadlineMs));
        QCOMPARE(strip.process.exitCode(), 0);
        const QString err = QString::fromUtf8(strip.process.readAllStandardError());
        QCOMPARE(err.count(QStringLiteral("the compositor places its window")), notice ? 1 : 0);
        QVERIFY2(!err.contains(QLatin1String("QT_QPA_PLATFORM=")), qPrintable(err));
        // Wherever the compositor put the window, the stored place stays.
        QCOMPARE(leftTop(readIni(strip.iniPath())), QStringLiteral("600,300"));
    }
};

QTEST_GUILESS_MAIN(WaylandE2ETest)
#include "WaylandE2ETest.moc"
