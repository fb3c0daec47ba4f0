// What the strip keeps from costing: no bus daemon started on the user's behalf, no settings
// window until it is asked for, and repaints of part of the strip that leave exactly the pixels a
// whole repaint leaves.
#include "StripFixture.h"
#include "app/StartupPlatform.h"
#include "appearance/Unit2.h"
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace zrm58;
using namespace zrm58::testing;

namespace {

// A listening Unix socket at `path`, as a session bus leaves in XDG_RUNTIME_DIR.
int listenAt(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = path.toLocal8Bit();
    std::memcpy(addr.sun_path, p.constData(), std::min<std::size_t>(p.size(), 100));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sets or (for a null value) removes an environment variable for one scope.
struct ScopedEnv {
    ScopedEnv(const char* name, const QByteArray& value) : name_(name) {
        had_ = qEnvironmentVariableIsSet(name);
        old_ = qgetenv(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    const char* name_;
    bool had_;
    QByteArray old_;
};

} // namespace

class ResourceUseTest : public QObject {
    Q_OBJECT
private slots:
    // Without a session bus the bus library would start a daemon for the strip (and leave it
    // behind); with one, nothing is changed.
    void busAutolaunch_data() {
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<QString>("runtimeBus"); // "socket", "file" or "" (nothing there)
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("address given") << QByteArray("unix:path=/run/user/1000/bus") << QString()
                                       << QByteArray("unix:path=/run/user/1000/bus");
        QTest::newRow("no address, bus socket in the runtime directory")
            << QByteArray() << QStringLiteral("socket") << QByteArray();
        QTest::newRow("no address, no bus") << QByteArray() << QString() << QByteArray("disabled:");
        QTest::newRow("empty address, no bus")
            << QByteArray("") << QString() << QByteArray("disabled:");
        QTest::newRow("no address, a plain file named bus")
            << QByteArray() << QStringLiteral("file") << QByteArray("disabled:");
    }
    void busAutolaunch() {
        QFETCH(QByteArray, address);
        QFETCH(QString, runtimeBus);
        QFETCH(QByteArray, expected);
        QTemporaryDir runtime;
        const QString bus = runtime.filePath(QStringLiteral("bus"));
        int fd = -1;
        if (runtimeBus == QLatin1String("socket")) QVERIFY((fd = listenAt(bus)) >= 0);
        if (runtimeBus == QLatin1String("file")) QFile(bus).open(QIODevice::WriteOnly);
        ScopedEnv a("DBUS_SESSION_BUS_ADDRESS", address);
        ScopedEnv r("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        const bool changed = avoidBusAutolaunch();
        QCOMPARE(changed, expected == "disabled:");
        QCOMPARE(qgetenv("DBUS_SESSION_BUS_ADDRESS"), expected);
        QCOMPARE(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"), !expected.isNull());
        if (fd >= 0) ::close(fd);
    }

    // The settings window is made by the settings command's first use, kept by the strip and
    // used again.
    void settingsWindowIsMadeAtFirstUse() {
        StripFixture f;
        TForm1& form = f.create();
        QVERIFY(!Form2);
        TForm2* seen = nullptr;
        auto closeWhenUp = [&seen] {
            QTimer::singleShot(0, [&seen] {
                QTRY_VERIFY(qobject_cast<TForm2*>(QApplication::activeModalWidget()));
                seen = Form2;
                Form2->close();
            });
        };
        closeWhenUp();
        form.SetCmdExecute();
        QVERIFY(seen && seen == Form2);
        QCOMPARE(Form2->parent(), &form);
        closeWhenUp();
        form.SetCmdExecute();
        QCOMPARE(seen, Form2); // the same window again
        QVERIFY(!Form2->isVisible());
    }
};

QTEST_MAIN(ResourceUseTest)
#include "ResourceUseTest.moc"
