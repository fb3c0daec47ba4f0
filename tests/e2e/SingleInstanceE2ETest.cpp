// The real strip's guard against a second strip on one settings file, under hostile neighbours:
// idle connections that would take every descriptor, a stopped strip with many later starts, a
// lock folder another user took first, folder names that are not text, and the files the guard
// leaves behind.
#include "E2eSupport.h"
#include <QRegularExpression>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <set>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

using namespace e2e;

namespace {

// The process's visible window, once it is mapped; empty after kStateMs.
QString waitForWindowOf(const QProcess& p) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < kStateMs && p.state() == QProcess::Running) {
        const QStringList windows = visibleWindowsOf(p.processId());
        if (!windows.isEmpty()) return windows.first();
        QThread::msleep(100);
    }
    return {};
}

// A folder of this user's that no one else may enter: a runtime folder of the test's own.
QString privateFolder(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("run"));
    ::mkdir(QFile::encodeName(path).constData(), 0700);
    return path;
}

// Where the strip keeps its lock and socket: beside its settings file.
QString lockFolder(const Strip& strip) {
    return strip.dir.filePath(QStringLiteral(".zrm58-run"));
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                  QDir::NoDotAndDotDot);
}

// Processor time the process used, in clock ticks (user and system, from /proc/PID/stat).
long long cpuTicks(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray line = f.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields[11].toLongLong() + fields[12].toLongLong() : 0;
}

// The lowest descriptor number the process does not use: the next one it would get.
int firstFreeDescriptor(qint64 pid) {
    std::set<int> used;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd"))
        used.insert(std::stoi(entry.path().filename().string()));
    int n = 0;
    while (used.count(n))
        ++n;
    return n;
}

// Connections to a local socket that never send anything, topped up whenever the other end
// lets some go.
class IdleClients {
public:
    explicit IdleClients(const QString& path) : path_(QFile::encodeName(path)) {}
    ~IdleClients() { closeAll(); }
    void topUp(std::size_t most) {
        std::erase_if(fds_, [](int fd) {
            char b;
            if (::recv(fd, &b, 1, MSG_DONTWAIT) != 0) return false; // still open
            ::close(fd);
            return true;
        });
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path_.constData(), path_.size());
        while (fds_.size() < most) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (fd < 0) return;
            if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
                ::close(fd); // the queue is full
                return;
            }
            fds_.push_back(fd);
        }
    }
    void closeAll() {
        for (int fd : fds_)
            ::close(fd);
        fds_.clear();
    }

private:
    QByteArray path_;
    std::vector<int> fds_;
};

// Starts the strip's program `exe` with XDG_RUNTIME_DIR and TMPDIR as given (empty: none).
void startWith(QProcess& p, const QString& exe, const QString& runtime, const QString& tmp = {}) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    if (!tmp.isEmpty()) e.insert(QStringLiteral("TMPDIR"), tmp);
    p.setProcessEnvironment(e);
    p.start(exe, {});
    p.waitForStarted();
}

void endAndWait(QProcess& p) {
    if (p.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(p.processId()), SIGCONT);
    p.kill();
    p.waitForFinished(5000);
}

} // namespace

class SingleInstanceE2ETest : public QObject {
    Q_OBJECT
    QString binary = QStringLiteral(ZRM58_BINARY);

private slots:
    void initTestCase() {
        // Room for the idle connections in the test's own process.
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 4096);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }

    // Idle connections flooding the strip's socket while its descriptors are few: it neither
    // spins nor runs out, its clock goes on, SIGTERM saves and ends it, and a later start runs.
    void idleClientsLeaveTheStripAlive_data() {
        QTest::addColumn<int>("headroom"); // descriptors left to it; 0: a limit of 64 in all
        QTest::newRow("soft limit 64") << 0;
        QTest::newRow("out of descriptors while serving") << 3;
    }
    void idleClientsLeaveTheStripAlive() {
        QFETCH(int, headroom);
        Strip strip(binary);
        const QString runtime = privateFolder(strip.dir);
        strip.start({QStringLiteral("XDG_RUNTIME_DIR=") + runtime});
        QVERIFY(!strip.waitForWindow().isEmpty());
        const qint64 pid = strip.process.processId();
        const QString lock = lockFolder(strip);
        QTRY_COMPARE_WITH_TIMEOUT(entries(lock).size(), 2, kStateMs);
        const QStringList sockets =
            QDir(lock).entryList({QStringLiteral("*.sock")}, QDir::System | QDir::Files);
        QCOMPARE(sockets.size(), 1);

        rlimit limit{};
        QCOMPARE(::prlimit(static_cast<pid_t>(pid), RLIMIT_NOFILE, nullptr, &limit), 0);
        limit.rlim_cur = headroom ? firstFreeDescriptor(pid) + headroom : 64;
        QCOMPARE(::prlimit(static_cast<pid_t>(pid), RLIMIT_NOFILE, &limit, nullptr), 0);

        IdleClients flood(lock + '/' + sockets.first());
        const QRect g = strip.geometry();
        QElapsedTimer t;
        t.start();
        const long long ticksBefore = cpuTicks(pid);
        QImage first;
        while (t.elapsed() < 3000) {
            flood.topUp(1000);
            if (first.isNull() && t.elapsed() > 1000)
                first = screenshot(strip.dir.filePath(QStringLiteral("a.png"))).copy(g);
            QThread::msleep(50);
        }
        // A strip that keeps trying to take a connection it cannot take uses a whole core.
        const long long used = cpuTicks(pid) - ticksBefore;
        QVERIFY2(used * 1000 < t.elapsed() * ::sysconf(_SC_CLK_TCK) / 2,
                 qPrintable(QStringLiteral("%1 ticks in %2 ms").arg(used).arg(t.elapsed())));
        // The clock goes on: the strip shows another second, however late a loaded machine
        // lets it paint.
        waitUntil([&] {
            flood.topUp(1000);
            return screenshot(strip.dir.filePath(QStringLiteral("b.png"))).copy(g) != first;
        });
        QVERIFY2(screenshot(strip.dir.filePath(QStringLiteral("b.png"))).copy(g) != first,
                 "the clock stood still");

        ::kill(static_cast<pid_t>(pid), SIGTERM);
        QVERIFY2(strip.process.waitForFinished(kStateMs), "SIGTERM not served");
        QCOMPARE(strip.process.exitCode(), 0);
        QVERIFY2(QFile::exists(strip.iniPath()), "the settings were not saved");
        flood.closeAll();

        QProcess again, later;
        startWith(again, strip.exe, runtime);
        QVERIFY(!waitForWindowOf(again).isEmpty());
        startWith(later, strip.exe, runtime);
        QVERIFY(later.waitForFinished(kStateMs));
        QCOMPARE(later.exitCode(), 0);
        endAndWait(again);
    }

    // A dozen starts while the strip is stopped: each ends with 1 within its wait, saying why.
    void laterStartsOnAStoppedStripEnd() {
        Strip strip(binary);
        const QString runtime = privateFolder(strip.dir);
        strip.start({QStringLiteral("XDG_RUNTIME_DIR=") + runtime});
        QVERIFY(!strip.waitForWindow().isEmpty());
        ::kill(static_cast<pid_t>(strip.process.processId()), SIGSTOP);
        std::vector<std::unique_ptr<QProcess>> starts;
        for (int i = 0; i < 12; ++i) {
            starts.push_back(std::make_unique<QProcess>());
            startWith(*starts.back(), strip.exe, runtime);
        }
        int blocked = 0;
        for (auto& p : starts) {
            if (!p->waitForFinished(kStateMs)) {
                ++blocked;
                continue;
            }
            QCOMPARE(p->exitCode(), 1);
            const QString err = QString::fromLocal8Bit(p->readAllStandardError());
            QVERIFY2(QRegularExpression(
                         QStringLiteral("^zrm58: a strip on .*ZRM58\\.ini is running but did "
                                        "not answer within 5 s: [^\\n]+\\n$"))
                         .match(err)
                         .hasMatch(),
                     qPrintable(err));
        }
        for (auto& p : starts)
            endAndWait(*p);
        ::kill(static_cast<pid_t>(strip.process.processId()), SIGCONT);
        QCOMPARE(blocked, 0);
    }

    // What stands beside the settings file where the lock folder goes is not a private folder
    // of this user's: the guard moves to the system's temporary folder and still holds, and
    // nothing goes into what was planted.
    void takenLockFolder_data() {
        QTest::addColumn<QString>("planted"); // what stands at .zrm58-run beside the settings
        QTest::newRow("another user's open folder") << QStringLiteral("foreign");
        QTest::newRow("a link to an open folder") << QStringLiteral("link");
        QTest::newRow("a file") << QStringLiteral("file");
    }
    void takenLockFolder() {
        QFETCH(QString, planted);
        if (planted == QLatin1String("foreign") && ::geteuid() != 0)
            QSKIP("a folder of another user needs root to plant");
        Strip strip(binary);
        QTemporaryDir tmp;
        const QByteArray taken = QFile::encodeName(lockFolder(strip));
        const QByteArray open = QFile::encodeName(tmp.filePath(QStringLiteral("open")));
        ::mkdir(open.constData(), 0777);
        ::chmod(open.constData(), 0777);
        if (planted == QLatin1String("foreign")) {
            QCOMPARE(::mkdir(taken.constData(), 0777), 0);
            QCOMPARE(::chmod(taken.constData(), 0777), 0);
            QCOMPARE(::chown(taken.constData(), 65534, 65534), 0); // nobody
        } else if (planted == QLatin1String("link")) {
            QCOMPARE(::symlink(open.constData(), taken.constData()), 0);
        } else {
            QFile f(QFile::decodeName(taken));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }

        QProcess first, second;
        startWith(first, strip.exe, QString(), tmp.path());
        QVERIFY(!waitForWindowOf(first).isEmpty());
        startWith(second, strip.exe, QString(), tmp.path());
        QVERIFY(second.waitForFinished(kStateMs));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        endAndWait(second);
        endAndWait(first);
        QVERIFY(entries(QFile::decodeName(open)).isEmpty()); // nothing went into the taken one
        if (planted == QLatin1String("foreign"))
            QVERIFY(entries(QFile::decodeName(taken)).isEmpty());
    }

    // One settings file started from a login, an ssh or su shell and cron, each with its own
    // runtime and temporary folders (or none): one strip, the later starts hand over to it.
    void oneStripWhateverTheEnvironment() {
        Strip strip(binary);
        QTemporaryDir a, b;
        strip.start({QStringLiteral("XDG_RUNTIME_DIR=") + privateFolder(a),
                     QStringLiteral("TMPDIR=") + a.path()});
        QVERIFY(!strip.waitForWindow().isEmpty());
        for (int i = 0; i < 2; ++i) {
            QProcess later;
            QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
            if (i == 0) {
                e.insert(QStringLiteral("XDG_RUNTIME_DIR"), privateFolder(b));
                e.insert(QStringLiteral("TMPDIR"), b.path());
            } else {
                e.remove(QStringLiteral("XDG_RUNTIME_DIR"));
                e.remove(QStringLiteral("TMPDIR"));
            }
            later.setProcessEnvironment(e);
            later.start(strip.exe, {});
            QVERIFY(later.waitForStarted());
            const bool ended = later.waitForFinished(kStateMs);
            endAndWait(later);
            QVERIFY2(ended,
                     qPrintable(QStringLiteral("start %1 runs a strip of its own").arg(i + 2)));
            QCOMPARE(later.exitCode(), 0);
            QCOMPARE(strip.process.state(), QProcess::Running);
        }
    }

    // Two copies in folders whose names are not text: two settings files, two strips.
    void foldersNamedInBytes() {
        QTemporaryDir dir;
        const QString runtime = privateFolder(dir);
        const QByteArray base = QFile::encodeName(dir.path());
        std::vector<std::unique_ptr<QProcess>> strips;
        for (const char* octal : {"377", "376"}) { // cp\xff and cp\xfe
            const QByteArray folder = base + "/cp" + char(std::strtol(octal, nullptr, 8));
            QCOMPARE(::mkdir(folder.constData(), 0700), 0);
            QVERIFY(QFile::copy(binary, dir.filePath(QStringLiteral("zrm58"))));
            QCOMPARE(::rename(QFile::encodeName(dir.filePath(QStringLiteral("zrm58"))).constData(),
                              (folder + "/zrm58").constData()),
                     0);
            // The program is named through the shell, so that its path keeps its bytes.
            auto p = std::make_unique<QProcess>();
            QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
            e.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
            p->setProcessEnvironment(e);
            p->setWorkingDirectory(dir.path());
            p->start(QStringLiteral("/bin/sh"),
                     {QStringLiteral("-c"),
                      QStringLiteral("exec \"./$(printf 'cp\\%1')/zrm58\"").arg(octal)});
            QVERIFY(p->waitForStarted());
            QVERIFY2(!waitForWindowOf(*p).isEmpty(), octal);
            strips.push_back(std::move(p));
        }
        QCOMPARE(strips[0]->state(), QProcess::Running);
        QCOMPARE(strips[1]->state(), QProcess::Running);
        for (auto& p : strips)
            endAndWait(*p);
        std::filesystem::remove_all(base.toStdString()); // names the toolkit cannot remove
    }

    // A strip that dies leaves its lock and socket; the next start runs all the same, and a
    // clean end leaves nothing behind.
    void filesGoAtTheEnd() {
        Strip strip(binary);
        const QString runtime = privateFolder(strip.dir);
        strip.start({QStringLiteral("XDG_RUNTIME_DIR=") + runtime});
        QVERIFY(!strip.waitForWindow().isEmpty());
        const QString lock = lockFolder(strip);
        QTRY_COMPARE_WITH_TIMEOUT(entries(lock).size(), 2, kStateMs);
        strip.process.kill();
        QVERIFY(strip.process.waitForFinished(kStateMs));
        QCOMPARE(entries(lock).size(), 2); // the stale pair

        QProcess again;
        startWith(again, strip.exe, runtime);
        QVERIFY(!waitForWindowOf(again).isEmpty());
        ::kill(static_cast<pid_t>(again.processId()), SIGTERM);
        QVERIFY(again.waitForFinished(kStateMs));
        QCOMPARE(again.exitCode(), 0);
        QCOMPARE(entries(lock), QStringList());
        QCOMPARE(entries(runtime), QStringList()); // nothing went into the runtime folder
    }
};

QTEST_GUILESS_MAIN(SingleInstanceE2ETest)
#include "SingleInstanceE2ETest.moc"
