// Which platform the strip asks the toolkit for, from the environment, its own command line and
// whether the Wayland plugin is installed.
#include "faces/qt/StartupPlatform.h"
#include <QTest>

using namespace zrm58;

namespace {

// A null for an empty cell: the variable is unset.
const char* orNull(const QByteArray& v) {
    return v.isEmpty() ? nullptr : v.constData();
}

} // namespace

class PlatformChoiceTest : public QObject {
    Q_OBJECT
private slots:
    void choice_data() {
        QTest::addColumn<QByteArray>("qpa");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("session");
        QTest::addColumn<bool>("platformOption");
        QTest::addColumn<bool>("plugin");
        // "-": left as it is; "unset": QT_QPA_PLATFORM removed; else the value set.
        QTest::addColumn<QByteArray>("platform");
        QTest::addColumn<bool>("native");

        QTest::newRow("X11 desktop")
            << QByteArray() << QByteArray(":0") << QByteArray() << QByteArray("x11") << false
            << false << QByteArray("-") << false;
        QTest::newRow("Wayland session with XWayland")
            << QByteArray() << QByteArray(":0") << QByteArray("wayland-1") << QByteArray("wayland")
            << false << true << QByteArray("xcb") << false;
        QTest::newRow("Wayland exported for every program, XWayland there")
            << QByteArray("wayland") << QByteArray(":0") << QByteArray("wayland-1")
            << QByteArray("wayland") << false << true << QByteArray("xcb") << false;
        QTest::newRow("a Wayland list exported, XWayland there")
            << QByteArray("wayland-egl;xcb") << QByteArray(":1") << QByteArray("wayland-0")
            << QByteArray() << false << false << QByteArray("xcb") << false;
        QTest::newRow("session type alone, XWayland there")
            << QByteArray() << QByteArray(":0") << QByteArray() << QByteArray("wayland") << false
            << false << QByteArray("xcb") << false;
        QTest::newRow("-platform on the strip's command line wins")
            << QByteArray() << QByteArray(":0") << QByteArray("wayland-1") << QByteArray("wayland")
            << true << true << QByteArray("-") << false;
        QTest::newRow("another platform exported is taken")
            << QByteArray("offscreen") << QByteArray(":0") << QByteArray("wayland-1")
            << QByteArray("wayland") << false << true << QByteArray("-") << false;
        QTest::newRow("xcb exported, no X display: the display check tells")
            << QByteArray("xcb") << QByteArray() << QByteArray("wayland-1") << QByteArray("wayland")
            << false << true << QByteArray("-") << false;
        QTest::newRow("no XWayland, plugin installed: native")
            << QByteArray() << QByteArray() << QByteArray("wayland-1") << QByteArray("wayland")
            << false << true << QByteArray("wayland") << true;
        QTest::newRow("no XWayland, Wayland exported, plugin installed: native")
            << QByteArray("wayland") << QByteArray() << QByteArray("wayland-1")
            << QByteArray("wayland") << false << true << QByteArray("-") << true;
        QTest::newRow("no XWayland, no plugin: the display check tells")
            << QByteArray() << QByteArray() << QByteArray("wayland-1") << QByteArray("wayland")
            << false << false << QByteArray("-") << false;
        // Followed, the former advice aborted in the toolkit: set aside, the missing display is
        // told in one line.
        QTest::newRow("no XWayland, Wayland exported, no plugin")
            << QByteArray("wayland") << QByteArray() << QByteArray("wayland-1")
            << QByteArray("wayland") << false << false << QByteArray("unset") << false;
        QTest::newRow("no display at all")
            << QByteArray() << QByteArray() << QByteArray() << QByteArray() << false << true
            << QByteArray("-") << false;
    }
    void choice() {
        QFETCH(QByteArray, qpa);
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, session);
        QFETCH(bool, platformOption);
        QFETCH(bool, plugin);
        QFETCH(QByteArray, platform);
        QFETCH(bool, native);
        PlatformInputs in;
        in.qpaPlatform = orNull(qpa);
        in.display = orNull(display);
        in.waylandDisplay = orNull(wayland);
        in.sessionType = orNull(session);
        in.platformOption = platformOption;
        in.waylandPlugin = plugin;
        const PlatformChoice c = choosePlatform(in);
        const QByteArray got = !c.platform           ? QByteArray("-")
                               : c.platform->empty() ? QByteArray("unset")
                                                     : QByteArray::fromStdString(*c.platform);
        QCOMPARE(got, platform);
        QCOMPARE(c.native, native);
    }
};

QTEST_GUILESS_MAIN(PlatformChoiceTest)
#include "PlatformChoiceTest.moc"
