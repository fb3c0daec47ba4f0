#pragma once
// Helpers for the end-to-end tests: the real strip on the X server named by DISPLAY, driven and
// observed with the X tools a person would use (xdotool, xprop, import).
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>

namespace e2e {

// What the desktop shows where no window is: the compositing manager paints the root itself,
// so the colour is read off the screenshot's top-left pixel rather than assumed.
inline QRgb desktopColour(const QImage& shot) {
    return shot.pixel(0, 0);
}

// The longest a state may take to come on a loaded machine with the sanitized build. A wait for a
// state ends as soon as it holds, so a long bound costs nothing when all goes well.
constexpr int kStateMs = 30000;

// Polls `holds` every 100 ms (the event loop running between) until it is true or `timeoutMs`
// passed; whether it held.
template <class Holds> bool waitUntil(Holds holds, int timeoutMs = kStateMs) {
    QElapsedTimer t;
    t.start();
    for (;;) {
        if (holds()) return true;
        if (t.elapsed() >= timeoutMs) return false;
        QTest::qWait(100);
    }
}

inline QString run(const QString& program, const QStringList& args, int timeoutMs = kStateMs) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(timeoutMs);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

inline QImage screenshot(const QString& path) {
    run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path});
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

// The visible X windows of the process `pid` (decimal ids as xdotool prints them).
inline QStringList visibleWindowsOf(qint64 pid) {
    const QString out =
        run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--pid"), QString::number(pid)});
    return out.isEmpty() ? QStringList() : out.split('\n');
}

// The rectangle in what `xdotool getwindowgeometry --shell` printed.
inline QRect geometryFromShell(const QString& out) {
    QRect r;
    for (const QString& line : out.split('\n')) {
        const QString k = line.section('=', 0, 0), v = line.section('=', 1);
        if (k == QLatin1String("X")) r.moveLeft(v.toInt());
        if (k == QLatin1String("Y")) r.moveTop(v.toInt());
        if (k == QLatin1String("WIDTH")) r.setWidth(v.toInt());
        if (k == QLatin1String("HEIGHT")) r.setHeight(v.toInt());
    }
    return r;
}

// Where the X window `window` (an id as xdotool prints it) stands on the screen.
inline QRect windowGeometry(const QString& window) {
    return geometryFromShell(run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"),
                                                             QStringLiteral("--shell"), window}));
}

// A copy of the strip in its own directory, so that its settings file lives there.
class Strip {
public:
    explicit Strip(const QString& binary, const QByteArray& settingsUtf16 = {}) {
        exe = dir.filePath(QStringLiteral("zrm58"));
        QFile::copy(binary, exe);
        QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!settingsUtf16.isEmpty()) {
            QFile f(iniPath());
            f.open(QIODevice::WriteOnly);
            f.write(settingsUtf16);
        }
    }
    ~Strip() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
    QString iniPath() const { return dir.filePath(QStringLiteral("ZRM58.ini")); }

    void start(const QStringList& env = {}) {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const QString& kv : env)
            e.insert(kv.section('=', 0, 0), kv.section('=', 1));
        process.setProcessEnvironment(e);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(exe, {});
        process.waitForStarted();
    }

    // The strip's X window id, once it is mapped; empty after the timeout.
    QString waitForWindow(int timeoutMs = kStateMs) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            const QString id = run(QStringLiteral("xdotool"),
                                   {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                    QStringLiteral("--name"), QStringLiteral("^ZRM58$")})
                                   .section('\n', 0, 0);
            if (!id.isEmpty()) return window = id;
            QThread::msleep(100);
        }
        return {};
    }

    QRect geometry() const { return windowGeometry(window); }

    QTemporaryDir dir;
    QString exe;
    QString window;
    QProcess process;
};

// Whether the strip at `g` shows its line in `shot`: dark text pixels inside it. The first tick
// sets the line (and may widen the strip to it); before it the strip shows none.
inline bool showsLine(const QImage& shot, const QRect& g) {
    int dark = 0;
    for (int y = g.y() + 10; y < g.y() + 32; ++y)
        for (int x = g.x() + 45; x < g.x() + g.width() - 43; ++x)
            if (shot.valid(x, y) && qGray(shot.pixel(x, y)) < 70) ++dark;
    return dark > 150;
}

// Waits until the strip shows its line; whether it came.
inline bool waitForLine(Strip& strip, const QString& shotPath) {
    return waitUntil([&] { return showsLine(screenshot(shotPath), strip.geometry()); });
}

// The visible windows of process `pid`, as xdotool lists them.
inline QStringList windowsOfProcess(qint64 pid) {
    const QString out =
        run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--pid"), QString::number(pid)});
    return out.isEmpty() ? QStringList() : out.split('\n');
}

// Clicks the strip's menu button and waits for the menu: a visible window of the strip's process
// besides the strip; its id, empty when none came. `logicalWidth`: the logical box's width, the
// width factor x 515 cut to a whole number.
inline QString openMenu(Strip& strip, double logicalWidth = 515) {
    const QRect g = strip.geometry();
    // The menu button: the logical box's 33 x 33 at its left end, scaled into the window's
    // inside (10 less than the window each way; the box is 33 high).
    const double sx = (g.width() - 10) / logicalWidth, sy = (g.height() - 10) / 33.0;
    const QPoint button = g.topLeft() + QPoint(5 + qRound(16.5 * sx), 5 + qRound(16.5 * sy));
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(button.x()), QString::number(button.y()),
         QStringLiteral("click"), QStringLiteral("1")});
    QString menu;
    waitUntil([&] {
        for (const QString& w : windowsOfProcess(strip.process.processId()))
            if (w != strip.window) menu = w;
        return !menu.isEmpty();
    });
    return menu;
}

// Item `index` of the three in the menu window `menu`: a row between the menu's paddings (11
// above, 18 below, which include the 4 pixels of its drop shadow).
inline QRect menuItem(const QString& menu, int index) {
    const QRect m = windowGeometry(menu);
    const int itemHeight = (m.height() - 11 - 18) / 3;
    return QRect(m.x(), m.y() + 11 + index * itemHeight, m.width() - 4, itemHeight);
}

// Clicks the menu item `item` once the menu takes input: the pointer rests on the item until the
// menu marks it (its text turns white on the green panel), however late a loaded machine
// brings that; false when it never does. `shotPath`: where the screenshots go.
inline bool clickMenuItem(const QRect& item, const QString& shotPath) {
    int nudge = 0;
    const bool marked = waitUntil([&] {
        // A move of one pixel each time: a menu not yet taking input sees the next one.
        run(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(item.center().x() + nudge++ % 2),
             QString::number(item.center().y())});
        const QImage shot = screenshot(shotPath);
        int white = 0;
        for (int y = item.top(); y <= item.bottom(); ++y)
            for (int x = item.left() + 30; x <= item.right(); ++x) // past the icon column
                if (shot.valid(x, y) && qRed(shot.pixel(x, y)) > 235 &&
                    qGreen(shot.pixel(x, y)) > 235 && qBlue(shot.pixel(x, y)) > 235)
                    ++white;
        return white > 8;
    });
    if (marked) run(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")});
    return marked;
}

// Text as the settings file stores it: UTF-16 little-endian with the byte-order mark.
inline QByteArray utf16File(const QString& text) {
    QByteArray bytes("\xFF\xFE", 2);
    QString crlf = text;
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    bytes.append(reinterpret_cast<const char*>(crlf.utf16()), crlf.size() * 2);
    return bytes;
}

inline int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// Colour `fg` at `alpha` (0..1) over `bg`.
inline QRgb over(QRgb fg, double alpha, QRgb bg) {
    auto mix = [&](int f, int b) {
        return static_cast<int>(std::lround(f * alpha + b * (1 - alpha)));
    };
    return qRgb(mix(qRed(fg), qRed(bg)), mix(qGreen(fg), qGreen(bg)), mix(qBlue(fg), qBlue(bg)));
}

} // namespace e2e
