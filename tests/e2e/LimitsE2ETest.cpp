// The real strip under hostile limits: few file descriptors, a save that fails at the end, an
// error box at start-up with later starts and SIGTERM meanwhile, a huge file or picture as the
// background, and an X server that refuses the toolkit's connection after the display check.
#include "E2eSupport.h"
#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace e2e;

namespace {

// A visible window of the process whose name is `title`, once there is one; empty after 20 s or
// when the process ended.
QString waitForTitled(const QProcess& p, const QString& title) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 20000 && p.state() != QProcess::NotRunning) {
        for (const QString& w : visibleWindowsOf(p.processId()))
            if (run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), w}) == title)
                return w;
        QThread::msleep(100);
    }
    return {};
}

// A figure of /proc/PID/status in kB (VmRSS, VmHWM); -1 when it cannot be read.
long long statusKb(qint64 pid, const char* key) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(QByteArray(key) + ':'))
            return line.mid(static_cast<qsizetype>(std::strlen(key)) + 1)
                .trimmed()
                .split(' ')
                .first()
                .toLongLong();
    return -1;
}

// The environment of a strip whose memory is measured. Under AddressSanitizer a freed block
// waits in the sanitizer's quarantine (256 MiB by default) and stays resident: the quarantine is
// made small, so that what the strip itself holds is measured.
QStringList measuredEnvironment() {
    const QString asan = qEnvironmentVariable("ASAN_OPTIONS");
    if (asan.isEmpty()) return {};
    return {QStringLiteral("ASAN_OPTIONS=") + asan + QStringLiteral(":quarantine_size_mb=4")};
}

// VmRSS and VmHWM of a strip without a picture, once its window shows: what a strip's memory
// is measured against in the same run (and the same build).
struct Memory {
    long long resident = -1;
    long long peak = -1;
};
Memory plainStripMemory(const QString& binary) {
    Strip plain(binary);
    plain.start(measuredEnvironment());
    if (plain.waitForWindow().isEmpty()) return {};
    const qint64 pid = plain.process.processId();
    return {statusKb(pid, "VmRSS"), statusKb(pid, "VmHWM")};
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Starts `exe` through the shell with `limits` (ulimit commands) applied first.
void startLimited(QProcess& p, const QString& exe, const QString& limits) {
    p.start(QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), limits + QStringLiteral(" && exec \"$0\""), exe});
    p.waitForStarted();
}

// A display whose X server took the display check's connection and refuses every later one, as
// a server out of client slots does to the toolkit's connection that follows the check: a
// listening socket under the abstract name the X library tries first for ":N", passing its
// first connection on to the test's own server and closing every later one at once.
class OneConnectionDisplay {
public:
    OneConnectionDisplay() {
        listen_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        for (int n = 600; listen_ >= 0 && n < 700; ++n) {
            const std::string path = "/tmp/.X11-unix/X" + std::to_string(n);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path + 1, path.data(), path.size()); // abstract
            const auto size =
                static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
            if (::bind(listen_, reinterpret_cast<const sockaddr*>(&address), size) == 0 &&
                ::listen(listen_, 16) == 0) {
                name = QStringLiteral(":%1").arg(n);
                break;
            }
        }
        if (!name.isEmpty()) thread_ = std::thread([this] { serve(); });
    }
    ~OneConnectionDisplay() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (listen_ >= 0) ::close(listen_);
    }
    QString name; // empty when no name was free

private:
    // The test's own server's socket, by the display number DISPLAY names.
    static int connectToServer() {
        QString display = qEnvironmentVariable("DISPLAY");
        display = display.mid(display.indexOf(':') + 1).section('.', 0, 0);
        const std::string path = "/tmp/.X11-unix/X" + display.toStdString();
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.data(), path.size());
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return fd;
        ::close(fd);
        return -1;
    }
    void serve() {
        int client = -1, server = -1;
        bool passedOne = false;
        while (!stop_) {
            pollfd fds[3] = {{listen_, POLLIN, 0}, {client, POLLIN, 0}, {server, POLLIN, 0}};
            if (::poll(fds, 3, 100) <= 0) continue;
            if (fds[0].revents & POLLIN) {
                const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd >= 0 && !passedOne) {
                    passedOne = true;
                    client = fd;
                    server = connectToServer();
                } else if (fd >= 0) {
                    ::close(fd); // refused
                }
            }
            for (int i : {1, 2}) {
                if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                char buffer[65536];
                const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
                const int to = i == 1 ? server : client;
                if (n <= 0 || ::write(to, buffer, static_cast<std::size_t>(n)) != n) {
                    ::close(client);
                    ::close(server);
                    client = server = -1;
                    break;
                }
            }
        }
        if (client >= 0) ::close(client);
        if (server >= 0) ::close(server);
    }

    int listen_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace

class LimitsE2ETest : public QObject {
    Q_OBJECT
    QString binary = QStringLiteral(ZRM58_BINARY);
    QString shots = QStringLiteral(ZRM58_SHOTS);

private slots:
    void initTestCase() { QDir().mkpath(shots); }

    // Too few descriptors to run: one line and exit status 1 at once, never a strip that hangs
    // at its first paint. A low soft limit under a higher hard one is raised by the strip
    // itself: it runs, shows its details panel, saves at SIGTERM and ends with 0.
    void fewDescriptors_data() {
        QTest::addColumn<QString>("limits");
        QTest::addColumn<bool>("runs");
        for (int n : {13, 15, 17, 18, 19, 40})
            QTest::addRow("ulimit -n %d", n) << QStringLiteral("ulimit -n %1").arg(n) << false;
        QTest::newRow("soft 16 under hard 4096")
            << QStringLiteral("ulimit -Sn 16 && ulimit -Hn 4096") << true;
        QTest::newRow("ulimit -n 64") << QStringLiteral("ulimit -n 64") << true;
    }
    void fewDescriptors() {
        QFETCH(QString, limits);
        QFETCH(bool, runs);
        Strip strip(binary);
        QProcess p;
        startLimited(p, strip.exe, limits);
        if (!runs) {
            // A strip that hangs never ends: the wait runs out and the test fails.
            QVERIFY2(p.waitForFinished(60000), "the strip did not end");
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 1);
            const QString err = QString::fromLocal8Bit(p.readAllStandardError());
            QVERIFY2(err.startsWith(QStringLiteral("zrm58: only ")) && err.count('\n') == 1,
                     qPrintable(err));
            QVERIFY(!QFile::exists(strip.iniPath()));
            return;
        }
        const QString window = waitForTitled(p, QStringLiteral("ZRM58"));
        QVERIFY2(!window.isEmpty(), qPrintable(QString::fromLocal8Bit(p.readAllStandardError())));
        // The pointer rests on the line: the details panel opens as a second window.
        const QRect g = windowGeometry(window);
        run(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(g.center().x()),
             QString::number(g.center().y())});
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindowsOf(p.processId()).size() >= 2, 20000);
        ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
        QVERIFY2(p.waitForFinished(30000), "SIGTERM not served");
        run(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0")});
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY2(QFile::exists(strip.iniPath()), "the settings were not saved");
    }

    // The settings file cannot be replaced at SIGTERM: the failure is told and the exit status
    // is not that of a success.
    void aFailedSaveAtTheEndIsNoSuccess() {
        Strip strip(binary, utf16File(QStringLiteral("[Form]\nTop=100\nLeft=100\n")));
        const QByteArray before = fileBytes(strip.iniPath());
        QVERIFY(QFile::setPermissions(strip.iniPath(),
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QProcess p;
        p.start(strip.exe, {});
        QVERIFY(p.waitForStarted());
        QVERIFY(!waitForTitled(p, QStringLiteral("ZRM58")).isEmpty());
        ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(30000));
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        QVERIFY2(err.contains(QStringLiteral("saving the settings at the session end failed")),
                 qPrintable(err));
        QCOMPARE(fileBytes(strip.iniPath()), before);
    }

    // While a start-up error box waits: a later start on the same settings file is answered (the
    // box comes forward, the later start ends with 0), and SIGTERM ends the strip in order,
    // without a save, with the status the box would have given.
    void errorBoxAtStartUp_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("language"); // ZRM58_LANGUAGE
        QTest::newRow("a colour that does not convert")
            << QStringLiteral("[Font]\nColor=black\n") << QStringLiteral("アプリケーションエラー")
            << 1 << QStringLiteral("ja");
        QTest::newRow("a colour that does not convert, in English")
            << QStringLiteral("[Font]\nColor=black\n") << QStringLiteral("Application Error") << 1
            << QStringLiteral("en");
        QTest::newRow("a picture that does not decode")
            << QStringLiteral("[Back]\nGazou=1\nGazouFile=%1/junk.png\n") << QStringLiteral("ZRM58")
            << 0 << QStringLiteral("ja");
    }
    void errorBoxAtStartUp() {
        QFETCH(QString, settings);
        QFETCH(QString, title);
        QFETCH(int, code);
        QFETCH(QString, language);
        QTemporaryDir pictures;
        QFile junk(pictures.filePath(QStringLiteral("junk.png")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        Strip strip(binary, utf16File(settings.contains(QStringLiteral("%1"))
                                          ? settings.arg(pictures.path())
                                          : settings));
        const QByteArray stored = fileBytes(strip.iniPath());
        QProcess first;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ZRM58_LANGUAGE"), language);
        first.setProcessEnvironment(environment);
        first.start(strip.exe, {});
        QVERIFY(first.waitForStarted());
        const QString box = waitForTitled(first, title);
        QVERIFY2(!box.isEmpty(), "no error box");

        QProcess later;
        later.start(strip.exe, {});
        QVERIFY(later.waitForFinished(30000));
        const QString err = QString::fromLocal8Bit(later.readAllStandardError());
        QVERIFY2(later.exitCode() == 0, qPrintable(err));
        QCOMPARE(first.state(), QProcess::Running);

        ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
        QVERIFY2(first.waitForFinished(30000), "SIGTERM not served");
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), code);
        QCOMPARE(fileBytes(strip.iniPath()), stored); // nothing saved over the settings
    }

    // A 255 MB file that is no picture: it is read once (never copied) and let go before the
    // error box waits. Measured against a strip without a picture in the same run.
    void hugeFileAsThePicture() {
        QTemporaryDir pictures;
        const QString huge = pictures.filePath(QStringLiteral("huge.bmp"));
        {
            QFile f(huge);
            QVERIFY(f.open(QIODevice::WriteOnly));
            const QByteArray chunk(1 << 20, 'z');
            for (int i = 0; i < 255; ++i)
                QVERIFY(f.write(chunk) == chunk.size());
        }
        const Memory baseline = plainStripMemory(binary);
        QVERIFY(baseline.peak > 0);

        Strip strip(binary, utf16File(QStringLiteral("[Back]\nGazou=1\nGazouFile=%1\n").arg(huge)));
        strip.start(measuredEnvironment());
        QVERIFY(!waitForTitled(strip.process, QStringLiteral("ZRM58")).isEmpty());
        const qint64 pid = strip.process.processId();
        const long long peak = statusKb(pid, "VmHWM") - baseline.peak;
        const long long held = statusKb(pid, "VmRSS") - baseline.resident;
        const QString figures = QStringLiteral("peak %1 MiB, resident %2 MiB above a strip "
                                               "without a picture (%3 MiB)")
                                    .arg(peak / 1024)
                                    .arg(held / 1024)
                                    .arg(baseline.peak / 1024);
        qInfo("%s", qPrintable(figures));
        // Read once: about the file's 255 MiB (a copy doubles it); none of it held after.
        QVERIFY2(peak < 380 * 1024, qPrintable(figures));
        QVERIFY2(held < 64 * 1024, qPrintable(figures));
        ::kill(static_cast<pid_t>(pid), SIGTERM);
        QVERIFY(strip.process.waitForFinished(30000));
    }

    // A picture near the decoder's limit (5600 x 5600, 120 MiB decoded) is kept no larger than
    // the screen (1280 x 800 here, 4 MiB), and still shows.
    void largePictureIsKeptAtTheSizeItIsDrawn() {
        QTemporaryDir pictures;
        const QString path = pictures.filePath(QStringLiteral("large.png"));
        {
            QImage large(5600, 5600, QImage::Format_RGB32);
            large.fill(QColor(0, 160, 0));
            QVERIFY(large.save(path));
        }
        const Memory baseline = plainStripMemory(binary);
        QVERIFY(baseline.resident > 0);

        Strip strip(binary, utf16File(QStringLiteral("[Back]\nGazou=1\nGazouFile=%1\n").arg(path)));
        strip.start(measuredEnvironment());
        QVERIFY(!strip.waitForWindow().isEmpty());
        const QRect g = strip.geometry();
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QImage shot = screenshot(strip.dir.filePath(QStringLiteral("large.png")));
                const QRgb c = shot.pixel(g.center().x(), g.top() + 8);
                return qGreen(c) > qRed(c) + 40 && qGreen(c) > qBlue(c) + 40;
            }(),
            20000);
        const long long held = statusKb(strip.process.processId(), "VmRSS") - baseline.resident;
        const QString figures =
            QStringLiteral("resident %1 MiB above a strip without a picture").arg(held / 1024);
        qInfo("%s", qPrintable(figures));
        QVERIFY2(held < 60 * 1024, qPrintable(figures));
    }

    // The X server refuses the toolkit's connection after the display check let the strip
    // through (fifty starts at once on a busy server): one line and exit status 1, not the
    // toolkit's abort.
    void refusedAfterTheDisplayCheck() {
        OneConnectionDisplay display;
        QVERIFY2(!display.name.isEmpty(), "no free abstract X socket name");
        Strip strip(binary);
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("DISPLAY"), display.name);
        p.setProcessEnvironment(e);
        p.start(strip.exe, {});
        QVERIFY(p.waitForFinished(60000));
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(p.exitStatus() == QProcess::NormalExit, qPrintable(err));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY2(
            err.startsWith(QStringLiteral("zrm58: cannot open the display '") + display.name) &&
                err.count('\n') == 1,
            qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(LimitsE2ETest)
#include "LimitsE2ETest.moc"
