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

inline QString run(const QString& program, const QStringList& args, int timeoutMs = 10000) {
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
    QString waitForWindow(int timeoutMs = 10000) {
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
