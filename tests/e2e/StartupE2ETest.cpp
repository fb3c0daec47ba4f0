// How the real strip starts: its command line, a missing display, a second start on the same
// settings file, stored geometry far beyond any screen, its window icon and the toolkit's
// dialogs in the user's language.
#include "E2eSupport.h"
#include <QRegularExpression>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace e2e;

namespace {

QString iniText(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray b = f.readAll();
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(b.constData() + 2),
                              (b.size() - 2) / 2);
}

QStringList visibleStrips() {
    const QString out =
        run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), QStringLiteral("^ZRM58$")});
    return out.isEmpty() ? QStringList() : out.split('\n');
}

// A visible window of the process whose name is `title` (xdotool's own name search reads only
// WM_NAME, which Qt leaves Latin-1).
QString waitForTitled(qint64 pid, const QString& title, int timeoutMs = kStateMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        for (const QString& w : visibleWindowsOf(pid))
            if (run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), w}) == title)
                return w;
        QThread::msleep(100);
    }
    return {};
}

// Of the given X windows (decimal ids as xdotool prints them), the one highest in the stacking
// order: xwininfo lists the root's children from the top down.
QString topmostOf(const QStringList& windows) {
    const QString tree =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
    for (const QString& line : tree.split('\n')) {
        const QString id = line.trimmed().section(' ', 0, 0);
        bool ok = false;
        const qulonglong value = id.toULongLong(&ok, 16);
        if (!ok) continue;
        for (const QString& w : windows)
            if (w.toULongLong() == value) return w;
    }
    return {};
}

void clickAt(QPoint p) {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
         QStringLiteral("click"), QStringLiteral("1")});
}

// The first picture of a window's _NET_WM_ICON (width, height, then ARGB pixels), or null.
QImage windowIcon(const QString& window) {
    const QString out =
        run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("-notype"),
                                      QStringLiteral("32c"), QStringLiteral("_NET_WM_ICON")});
    const qsizetype eq = out.indexOf('=');
    if (eq < 0) return {};
    const QStringList v = out.mid(eq + 1).split(',', Qt::SkipEmptyParts);
    if (v.size() < 2) return {};
    const int w = v[0].trimmed().toInt(), h = v[1].trimmed().toInt();
    if (w <= 0 || h <= 0 || v.size() < 2 + w * h) return {};
    QImage img(w, h, QImage::Format_ARGB32);
    for (int i = 0; i < w * h; ++i)
        img.setPixel(i % w, i / w, v[2 + i].trimmed().toUInt());
    return img;
}

// The icon the program ships, at the size the window carries.
void verifyProgramIcon(const QString& window) {
    const QImage icon = windowIcon(window);
    QVERIFY2(!icon.isNull(), "the window has no _NET_WM_ICON");
    const QImage shipped =
        QImage(QStringLiteral(ZRM58_SOURCE_DIR "/packaging/icons/zrm58-%1.png").arg(icon.width()))
            .convertToFormat(QImage::Format_ARGB32);
    QVERIFY2(!shipped.isNull(),
             qPrintable(QStringLiteral("no shipped icon of %1 pixels").arg(icon.width())));
    QCOMPARE(icon.size(), shipped.size());
    // Colour counts where a pixel shows; a fully transparent one may carry any.
    int differing = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) {
            const QRgb a = icon.pixel(x, y), b = shipped.pixel(x, y);
            if (std::abs(qAlpha(a) - qAlpha(b)) > 1 || (qAlpha(b) > 0 && channelDistance(a, b) > 2))
                ++differing;
        }
    QCOMPARE(differing, 0);
}

// Opens the settings window through the strip's menu button and its second item.
QString openSettings(Strip& strip, const QString& shotPath,
                     const QString& title = QStringLiteral("設定")) {
    const QString menu = openMenu(strip);
    if (menu.isEmpty()) {
        qInfo("no menu");
        return {};
    }
    if (!clickMenuItem(menuItem(menu, 1), shotPath)) {
        qInfo("the menu never marked its item");
        return {};
    }
    return waitForTitled(strip.process.processId(), title);
}

// A display whose server takes every connection and never answers: a listening socket under the
// abstract name the X library tries first for ":N", on which nothing is ever accepted (the kernel
// completes the connections). Gives the display name, or an empty one.
QString silentDisplay(int& fd) {
    fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    for (int n = 500; fd >= 0 && n < 600; ++n) {
        const std::string name = "/tmp/.X11-unix/X" + std::to_string(n);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.data(), name.size()); // sun_path[0] = 0: abstract
        const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), size) == 0 &&
            ::listen(fd, 16) == 0)
            return QStringLiteral(":%1").arg(n);
    }
    return {};
}

// The test's own display without a screen number (":93.0" gives ":93").
QString displayWithoutScreen() {
    const QString display = qEnvironmentVariable("DISPLAY");
    const qsizetype dot = display.lastIndexOf('.');
    return dot > display.lastIndexOf(':') ? display.left(dot) : display;
}

} // namespace

class StartupE2ETest : public QObject {
    Q_OBJECT
    QString binary = QStringLiteral(ZRM58_BINARY);
    QString lineBinary = QStringLiteral(ZRM58_LINE_BINARY);
    QString shots = QStringLiteral(ZRM58_SHOTS);
    int silentSocket = -1;
    QString silent; // see silentDisplay()

private slots:
    void initTestCase() {
        QDir().mkpath(shots);
        silent = silentDisplay(silentSocket);
        QVERIFY2(!silent.isEmpty(), "no free abstract X socket name for a silent display");
    }
    void cleanupTestCase() {
        if (silentSocket >= 0) ::close(silentSocket);
    }

    void commandLine_data() {
        QTest::addColumn<bool>("strip"); // zrm58, else zrm58-line
        QTest::addColumn<QStringList>("args");
        // NAME=value, or NAME= to remove it; {silent} is a display that never answers, {display}
        // the test's own display without its screen number.
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out"); // pattern for standard output
        QTest::addColumn<QString>("err"); // pattern for standard error
        const QString version = QStringLiteral("\\d+\\.\\d+\\.\\d+\\n");
        QTest::newRow("zrm58 --help")
            << true << QStringList{"--help"} << QStringList{} << 0
            << QStringLiteral("^Usage: zrm58 .*--version") << QStringLiteral("^$");
        QTest::newRow("zrm58 --version")
            << true << QStringList{"--version"} << QStringList{} << 0
            << QStringLiteral("^zrm58 ") + version + '$' << QStringLiteral("^$");
        QTest::newRow("zrm58-line --version")
            << false << QStringList{"--version"} << QStringList{} << 0
            << QStringLiteral("^zrm58-line ") + version + '$' << QStringLiteral("^$");
        // Options the toolkit does not take either: one line naming the first and --help, and no
        // strip started (nor a running one brought forward). The toolkit, which has taken its own
        // options by then, may have warned before it (no XDG_RUNTIME_DIR on a bare machine).
        const QString unknown =
            QStringLiteral("(^|\\n)zrm58: unknown option '%1' \\(try zrm58 --help\\)\\n$");
        QTest::newRow("zrm58 --settings x.ini")
            << true << QStringList{"--settings", "x.ini"} << QStringList{} << 2
            << QStringLiteral("^$") << unknown.arg(QStringLiteral("--settings"));
        QTest::newRow("zrm58 --verison")
            << true << QStringList{"--verison"} << QStringList{} << 2 << QStringLiteral("^$")
            << unknown.arg(QStringLiteral("--verison"));
        QTest::newRow("zrm58 -style Fusion -v")
            << true << QStringList{"-style", "Fusion", "-v"} << QStringList{} << 2
            << QStringLiteral("^$") << unknown.arg(QStringLiteral("-v"));
        // Without a display the same answer: the options are read before the display is.
        const QStringList noDisplay{"DISPLAY=", "WAYLAND_DISPLAY="};
        QTest::newRow("zrm58 --verison, no display")
            << true << QStringList{"--verison"} << noDisplay << 2 << QStringLiteral("^$")
            << unknown.arg(QStringLiteral("--verison"));
        QTest::newRow("zrm58 --settings x.ini, no display")
            << true << QStringList{"--settings", "x.ini"} << noDisplay << 2 << QStringLiteral("^$")
            << unknown.arg(QStringLiteral("--settings"));
        QTest::newRow("zrm58 -style Fusion, no display")
            << true << QStringList{"-style", "Fusion"} << noDisplay << 1 << QStringLiteral("^$")
            << QStringLiteral("^zrm58: [^\\n]*DISPLAY[^\\n]*\\n$");
        // Every option the toolkit takes, with its value: with a display the toolkit takes it and
        // leaves the next one; without one the strip's own reading must agree.
        const QList<QStringList> toolkit = {{"-platform", "xcb"},
                                            {"--platformtheme", "none"},
                                            {"-platformpluginpath", "/nowhere"},
                                            {"-plugin", "none"},
                                            {"-qwindowgeometry", "100x40+0+0"},
                                            {"-geometry", "100x40"},
                                            {"-qwindowtitle", "t"},
                                            {"-title", "t"},
                                            {"-qwindowicon", "i"},
                                            {"-icon", "i"},
                                            {"-session", "s"},
                                            {"-style", "Fusion"},
                                            {"-style=Fusion"},
                                            {"-stylesheet", "/nowhere"},
                                            {"-stylesheet=/nowhere"},
                                            {"-display", "{display}"},
                                            {"-name", "n"},
                                            {"-visual", "0"},
                                            {"-qmljsdebugger", "port:1"},
                                            {"-qmljsdebugger=port:1"},
                                            {"-reverse"},
                                            {"-testability"},
                                            {"-widgetcount"},
                                            {"-nograb"},
                                            {"-dograb"}};
        for (const QStringList& option : toolkit) {
            for (const bool display : {true, false}) {
                const QString name = option.join(' ') + (display ? ", display" : ", no display");
                QTest::newRow(qPrintable(name))
                    << true << (option + QStringList{"--zzz"})
                    << (display ? QStringList{} : noDisplay) << 2 << QStringLiteral("^$")
                    << unknown.arg(QStringLiteral("--zzz"));
            }
        }
        QTest::newRow("zrm58 x.ini")
            << true << QStringList{"x.ini"} << QStringList{} << 2 << QStringLiteral("^$")
            << QStringLiteral("(^|\\n)zrm58: unexpected argument 'x.ini' [^\\n]*--help\\)\\n$");
        // One line: what is missing and how to start the strip; not the toolkit's abort.
        QTest::newRow("no display at all")
            << true << QStringList{} << QStringList{"DISPLAY=", "WAYLAND_DISPLAY="} << 1
            << QStringLiteral("^$") << QStringLiteral("^zrm58: [^\\n]*DISPLAY[^\\n]*\\n$");
        QTest::newRow("a display nobody answers on")
            << true << QStringList{} << QStringList{"DISPLAY=:1999", "WAYLAND_DISPLAY="} << 1
            << QStringLiteral("^$") << QStringLiteral("^zrm58: [^\\n]*':1999'[^\\n]*\\n$");
        // Not a wait for good, nor the toolkit's abort (status 134).
        QTest::newRow("a display that takes the connection and never answers")
            << true << QStringList{} << QStringList{"DISPLAY={silent}", "WAYLAND_DISPLAY="} << 1
            << QStringLiteral("^$")
            << QStringLiteral("^zrm58: [^\\n]*' does not answer[^\\n]*\\n$");
        QTest::newRow("a screen the display does not have")
            << true << QStringList{} << QStringList{"DISPLAY={display}.9", "WAYLAND_DISPLAY="} << 1
            << QStringLiteral("^$")
            << QStringLiteral("^zrm58: [^\\n]*\\.9' has no screen 9; [^\\n]*0 to 0\\n$");
    }
    void commandLine() {
        QFETCH(bool, strip);
        QFETCH(QStringList, args);
        QFETCH(QStringList, env);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir; // a copy of its own: no settings file is touched
        const QString exe = dir.filePath(strip ? QStringLiteral("zrm58") : QStringLiteral("l"));
        QFile::copy(strip ? binary : lineBinary, exe);
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const QString& kv : env) {
            const QString value = kv.section('=', 1)
                                      .replace(QStringLiteral("{silent}"), silent)
                                      .replace(QStringLiteral("{display}"), displayWithoutScreen());
            if (value.isEmpty())
                e.remove(kv.section('=', 0, 0));
            else
                e.insert(kv.section('=', 0, 0), value);
        }
        p.setProcessEnvironment(e);
        for (QString& a : args)
            a.replace(QStringLiteral("{display}"), qEnvironmentVariable("DISPLAY"));
        p.start(exe, args);
        const bool ended = p.waitForFinished(kStateMs);
        if (!ended) p.kill();
        QVERIFY2(ended, "still running");
        const QString stdOut = QString::fromUtf8(p.readAllStandardOutput());
        const QString stdErr = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), code);
        QVERIFY2(QRegularExpression(out, QRegularExpression::DotMatchesEverythingOption)
                     .match(stdOut)
                     .hasMatch(),
                 qPrintable(stdOut));
        QVERIFY2(QRegularExpression(err).match(stdErr).hasMatch(), qPrintable(stdErr));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("ZRM58.ini"))));
    }

    // A second start on the same settings file brings the running strip wholly onto the screen
    // and ends with 0; a strip on another settings file is a strip of its own.
    void secondStartOnTheSameFileHandsOver() {
        Strip first(binary, utf16File(QStringLiteral("[Form]\nTop=100\nLeft=-400\n")));
        first.start();
        QVERIFY(!first.waitForWindow().isEmpty());
        waitUntil([&] { return first.geometry() == QRect(-400, 100, 523, 40); });
        QCOMPARE(first.geometry(), QRect(-400, 100, 523, 40)); // reachable, so left there
        QCOMPARE(visibleStrips().size(), 1);

        // A mistyped option is refused, not taken for a second start.
        QProcess second;
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(first.exe, {QStringLiteral("--verison")});
        QVERIFY(second.waitForFinished(kStateMs));
        QCOMPARE(second.exitCode(), 2);
        QCOMPARE(first.geometry(), QRect(-400, 100, 523, 40)); // not brought forward

        // The toolkit's own options, in both spellings, are no unknown options.
        second.start(first.exe, {QStringLiteral("-style"), QStringLiteral("Fusion"),
                                 QStringLiteral("--platform"), QStringLiteral("xcb"),
                                 QStringLiteral("-display"), qEnvironmentVariable("DISPLAY")});
        QVERIFY(second.waitForFinished(kStateMs));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.process.state(), QProcess::Running);
        QCOMPARE(visibleStrips(), QStringList{first.window});
        // Handed over before the second start ends; moved when the first strip gets to it.
        waitUntil([&] { return first.geometry() == QRect(0, 100, 523, 40); });
        QCOMPARE(first.geometry(), QRect(0, 100, 523, 40)); // wholly on the screen, moved least

        // Another settings file: a strip of its own, here over the first one.
        Strip other(binary, utf16File(QStringLiteral("[Form]\nTop=100\nLeft=0\n")));
        other.start();
        waitUntil([&] { return visibleStrips().size() >= 2; });
        QCOMPARE(visibleStrips().size(), 2);
        QCOMPARE(other.process.state(), QProcess::Running);
        other.waitForWindow();
        waitUntil([&] { return topmostOf({first.window, other.window}) == other.window; });
        QCOMPARE(topmostOf({first.window, other.window}), other.window);

        // Started again on the first file: the first strip is raised above the other.
        second.start(first.exe, {});
        QVERIFY(second.waitForFinished(kStateMs));
        QCOMPARE(second.exitCode(), 0);
        waitUntil([&] { return topmostOf({first.window, other.window}) == first.window; });
        QCOMPARE(topmostOf({first.window, other.window}), first.window);
    }

    // Stored geometry beyond any screen is taken at what the 1280 x 800 screen can show: little
    // memory, SIGTERM served at once, and the limited values saved back.
    void hugeStoredGeometry_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("saved");
        QTest::newRow("Height=100000")
            << QStringLiteral("Height=100000") << QStringLiteral("Height=800\r\n");
        QTest::newRow("Width=2147483647")
            << QStringLiteral("Width=2147483647") << QStringLiteral("Width=1280\r\n");
        // Limited to the largest X coordinate, then brought onto the screen at the first showing.
        QTest::newRow("Left=2147483647")
            << QStringLiteral("Left=2147483647") << QStringLiteral("Left=757\r\n");
        QTest::newRow("Top=-2147483648")
            << QStringLiteral("Top=-2147483648") << QStringLiteral("Top=0\r\n");
        QTest::newRow("Original=1e38")
            << QStringLiteral("Original=1e38") << QStringLiteral("Original=10\r\n");
    }
    void hugeStoredGeometry() {
        QFETCH(QString, stored);
        QFETCH(QString, saved);
        Strip strip(binary, utf16File(QStringLiteral("[Form]\n") + stored + '\n'));
        strip.start();
        QVERIFY(!strip.waitForWindow().isEmpty());
        QTest::qWait(1500); // a tick or so: on a loaded machine perhaps none, the check proves less
        const QRect g = strip.geometry();
        QVERIFY2(QRect(0, 0, 1280, 800).contains(g.topLeft()) && g.width() <= 1280 &&
                     g.height() <= 800,
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(g.x())
                                .arg(g.y())
                                .arg(g.width())
                                .arg(g.height())));
        ::kill(static_cast<pid_t>(strip.process.processId()), SIGTERM);
        QVERIFY2(strip.process.waitForFinished(kStateMs), "SIGTERM not served");
        QCOMPARE(strip.process.exitCode(), 0);
        const QString ini = iniText(strip.iniPath());
        QVERIFY2(ini.contains(saved), qPrintable(ini));
    }

    // The strip and the settings window carry the program's own icon; under a Japanese locale
    // the toolkit's colour dialog speaks Japanese (a screenshot for the reader).
    void iconAndTranslatedDialogs() {
        Strip strip(binary);
        strip.start({QStringLiteral("LANG=ja_JP.UTF-8"), QStringLiteral("LC_ALL="),
                     QStringLiteral("LANGUAGE=")});
        QVERIFY(!strip.waitForWindow().isEmpty());
        // The icon is handed over once the strip has painted itself.
        QTRY_VERIFY_WITH_TIMEOUT(!windowIcon(strip.window).isNull(), kStateMs);
        verifyProgramIcon(strip.window);

        const QString settings = openSettings(strip, shots + QStringLiteral("/settings-menu.png"));
        QVERIFY2(!settings.isEmpty(), "no window titled 設定");
        QTest::qWait(500);
        verifyProgramIcon(settings);

        // The text colour's picker (FontColorBox1 in GroupBox2) opens Qt's colour dialog.
        const QRect s = windowGeometry(settings);
        clickAt(s.topLeft() + QPoint(328 + 7 + 45, 184 + 40 + 11));
        // Qt's title "Select Color" in qtbase_ja.
        const QString dialog = waitForTitled(strip.process.processId(), QStringLiteral("色を選択"));
        QTest::qWait(700);
        screenshot(shots + QStringLiteral("/colour-dialog-ja.png"));
        QVERIFY2(!dialog.isEmpty(), "no colour dialog titled in Japanese");
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    }

    // One screen, one language: the toolkit's colour dialog takes the strip's language, not the
    // locale's when that is a third one (German here), and the design's Japanese when the
    // locale names no language at all.
    void toolkitDialogsSpeakTheStripsLanguage_data() {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("dialogTitle");
        QTest::addColumn<QString>("settingsTitle");
        QTest::newRow("en_US") << QStringList{QStringLiteral("LANG=en_US.UTF-8"),
                                              QStringLiteral("LC_ALL="),
                                              QStringLiteral("LANGUAGE=")}
                               << QStringLiteral("Select Color") << QStringLiteral("Settings");
        QTest::newRow("de_DE: no translation, English")
            << QStringList{QStringLiteral("LANG=de_DE.UTF-8"), QStringLiteral("LC_ALL="),
                           QStringLiteral("LANGUAGE=")}
            << QStringLiteral("Select Color") << QStringLiteral("Settings");
        QTest::newRow("LC_ALL=C: the design's Japanese")
            << QStringList{QStringLiteral("LANG=en_US.UTF-8"), QStringLiteral("LC_ALL=C"),
                           QStringLiteral("LANGUAGE=en_US:en")}
            << QStringLiteral("色を選択") << QStringLiteral("設定");
    }
    void toolkitDialogsSpeakTheStripsLanguage() {
        QFETCH(QStringList, environment);
        QFETCH(QString, dialogTitle);
        QFETCH(QString, settingsTitle);
        Strip strip(binary);
        // The language as a user's environment gives it, not as the tests pin it.
        strip.start(environment << QStringLiteral("ZRM58_LANGUAGE="));
        QVERIFY(!strip.waitForWindow().isEmpty());
        const QString settings =
            openSettings(strip, shots + QStringLiteral("/language-menu.png"), settingsTitle);
        QVERIFY2(!settings.isEmpty(), "no settings window");
        const QRect s = windowGeometry(settings);
        clickAt(s.topLeft() + QPoint(328 + 7 + 45, 184 + 40 + 11));
        const QString dialog = waitForTitled(strip.process.processId(), dialogTitle);
        QVERIFY2(!dialog.isEmpty(),
                 qPrintable(QStringLiteral("no colour dialog titled ") + dialogTitle));
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    }
};

QTEST_GUILESS_MAIN(StartupE2ETest)
#include "StartupE2ETest.moc"
