#pragma once
// A private Xvfb for tests that change or end the X server itself (its screens, its life), so
// that the display the other tests share stays as it was.
#include "E2eSupport.h"
#include <QFileInfo>

namespace e2e {

class PrivateXServer {
public:
    // `size` as Xvfb takes it, e.g. "2560x800". Without a compositing manager: these tests look at
    // geometry and files, not at translucency.
    explicit PrivateXServer(const QString& size) {
        for (int n = 300; n < 400; ++n) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
                QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            display = QStringLiteral(":%1").arg(n);
            break;
        }
        server.start(QStringLiteral("Xvfb"),
                     {display, QStringLiteral("-screen"), QStringLiteral("0"),
                      size + QStringLiteral("x24"), QStringLiteral("-nolisten"),
                      QStringLiteral("tcp"), QStringLiteral("-noreset")});
        server.waitForStarted();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < kStateMs && !ready())
            QThread::msleep(50);
    }
    ~PrivateXServer() {
        // Ended, not killed: a killed server leaves its lock and socket, and the display taken.
        if (server.state() != QProcess::NotRunning) {
            server.terminate();
            if (!server.waitForFinished(kStateMs)) {
                server.kill();
                server.waitForFinished(3000);
            }
        }
    }
    bool ready() {
        return run(QStringLiteral("xdpyinfo"), {}).contains(QStringLiteral("screen #0"));
    }

    // An X client (xdotool, xrandr, import ...) on this server; its standard output.
    QString run(const QString& program, const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        p.setProcessEnvironment(env);
        p.start(program, args);
        p.waitForFinished(kStateMs);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    QRect windowGeometry(const QString& window) {
        return geometryFromShell(
            run(QStringLiteral("xdotool"),
                {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window}));
    }

    QString waitForStrip(int timeoutMs = kStateMs) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            const QString id = run(QStringLiteral("xdotool"),
                                   {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                    QStringLiteral("--name"), QStringLiteral("^ZRM58$")})
                                   .section('\n', 0, 0);
            if (!id.isEmpty()) return id;
            QThread::msleep(100);
        }
        return {};
    }

    QString display;
    QProcess server;
};

} // namespace e2e
