// The details panel on a real X server with a compositing manager: the strip's window in this
// process on the real sources (/proc, /sys), driven with xdotool like a person with a mouse. A
// process spinning on one processor must come first in the panel with about one processor's
// share, and that processor's bar must be full; the panel goes on leave and on press, and a drag
// that starts while it is shown moves the strip.
#include "faces/qt/DetailsPanel.h"
#include "faces/qt/QtText.h"
#include "faces/qt/StartupPlatform.h"
#include "faces/qt/StripWindow.h"
#include "status/LocaleFormat.h"
#include "status/uTotalCpuUsagePct.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cmath>
#include <unistd.h>

using namespace zrm58;

namespace {

void xdotool(const QStringList& args) {
    QProcess::execute(QStringLiteral("xdotool"), args);
}

void pointerTo(QPoint global) {
    xdotool(
        {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())});
}

// A process's user + system time in seconds, from /proc/PID/stat (fields 14 and 15).
double processSeconds(std::uint32_t pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray line = f.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
}

} // namespace

class DetailsPanelE2ETest : public QObject {
    Q_OBJECT

private slots:
    void spinnerFirstItsProcessorBusyAndTheStripStillDrags() {
        // The spinner: a copy of yes(1) under its own name, pinned to the last processor and
        // favoured by the scheduler, so that it keeps that processor busy on a loaded machine.
        QTemporaryDir dir;
        const QString spinner = dir.filePath(QStringLiteral("zrm58-spin"));
        QVERIFY(QFile::copy(QStringLiteral("/usr/bin/yes"), spinner));
        QFile::setPermissions(spinner, QFile::ReadOwner | QFile::ExeOwner);
        const int processors = QThread::idealThreadCount();
        const int pinned = processors - 1;
        QProcess& spin = spin_;
        spin.setStandardOutputFile(QProcess::nullDevice());
        spin.start(QStringLiteral("taskset"),
                   {QStringLiteral("-c"), QString::number(pinned), QStringLiteral("nice"),
                    QStringLiteral("-n"), QStringLiteral("-19"), spinner});
        QVERIFY(spin.waitForStarted());
        const auto spinPid = static_cast<std::uint32_t>(spin.processId());

        std::unique_ptr<LocaleSource> localeSource = createSystemLocaleSource();
        const LocaleStartup locale = initLocaleAtStartup(*localeSource);
        std::unique_ptr<ProcessSource> processes = createSystemProcessSource();
        uTotalCpuUsagePct::ModuleStart(createSystemTimesSource());
        std::unique_ptr<Clock> clock = createSystemClock();
        std::unique_ptr<AltCalendar> calendar = createSystemAltCalendar();
        std::unique_ptr<MemorySource> memory = createSystemMemorySource();
        std::unique_ptr<SystemDetailsSource> details = createSystemDetailsSource();
        StripServices services;
        services.clock = clock.get();
        services.altCalendar = calendar.get();
        services.memory = memory.get();
        services.processes = processes.get();
        services.details = details.get();
        services.localeSettings = locale.settings;
        services.startupLocale = locale.locale;
        services.settingsPath = dir.filePath(QStringLiteral("ZRM58.ini")).toStdString();

        {
            TForm1 form(services);
            form.strip().FormCreate();
            form.strip().showFirst();
            auto* panel = form.findChild<DetailsPanel*>();
            QVERIFY(panel);
            QSignalSpy ticks(&form, &TForm1::ticked);
            QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 2, 5000); // a whole interval measured

            const QPoint line = form.mapToGlobal(
                form.fromLayout(toQRectF(form.strip().label1Rect()).center()).toPoint());
            pointerTo(line);
            QTRY_VERIFY_WITH_TIMEOUT(panel->isVisible(), 3000);
            // The per-processor figures need the tick after the showing; then one more tick,
            // over which the spinner's own processor time is read from /proc as well.
            QTRY_VERIFY_WITH_TIMEOUT(!panel->snapshot().processors.empty(), 3000);
            ticks.clear();
            QVERIFY(ticks.wait(3000));
            const double cpuBefore = processSeconds(spinPid);
            QElapsedTimer wall;
            wall.start();
            QVERIFY(ticks.wait(3000));
            const double got = (processSeconds(spinPid) - cpuBefore) / (wall.nsecsElapsed() / 1e9);

            const DetailsSnapshot d = panel->snapshot();
            QString top;
            for (const BusyProcess& p : d.busiest)
                top += QString::fromStdU16String(p.name) +
                       QStringLiteral(" %1 %2%; ").arg(p.pid).arg(p.share, 0, 'f', 1);
            QVERIFY2(!d.busiest.empty(), "no busy process at all");
            QVERIFY2(d.busiest[0].pid == spinPid, qPrintable(top));
            QCOMPARE(QString::fromStdU16String(d.busiest[0].name), QStringLiteral("zrm58-spin"));
            // About one processor's worth of the whole machine: exactly that on an idle machine;
            // on a shared, loaded one, what the scheduler gave it over the tick.
            const double oneProcessor = 100.0 / processors;
            const double expected = got * oneProcessor;
            top += QStringLiteral("one processor %1%, spinner measured %2%")
                       .arg(oneProcessor, 0, 'f', 1)
                       .arg(expected, 0, 'f', 1);
            QVERIFY2(d.busiest[0].share > 0.3 * oneProcessor, qPrintable(top));
            QVERIFY2(std::abs(d.busiest[0].share - expected) < 0.2 * oneProcessor, qPrintable(top));
            bool seen = false;
            for (const ProcessorLoad& l : d.processors)
                if (static_cast<int>(l.index) == pinned) {
                    seen = true;
                    QVERIFY2(l.percent > 90.0, qPrintable(QString::number(l.percent)));
                }
            QVERIFY(seen);
            QDir().mkpath(QStringLiteral(ZRM58_SHOTS));
            QProcess::execute(QStringLiteral("import"),
                              {QStringLiteral("-window"), QStringLiteral("root"),
                               QStringLiteral(ZRM58_SHOTS "/details.png")});

            // Leaving the strip hides the panel.
            pointerTo(QPoint(2, 2));
            QTRY_VERIFY_WITH_TIMEOUT(!panel->isVisible(), 2000);

            // Shown again, a press hides it and the drag that follows moves the strip.
            pointerTo(line);
            QTRY_VERIFY_WITH_TIMEOUT(panel->isVisible(), 3000);
            const QPoint before = form.pos();
            xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
            QTRY_VERIFY_WITH_TIMEOUT(!panel->isVisible(), 2000);
            pointerTo(line + QPoint(30, 20));
            pointerTo(line + QPoint(60, 40));
            xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
            QTRY_COMPARE_WITH_TIMEOUT(form.pos(), before + QPoint(60, 40), 3000);
            QVERIFY(!panel->isVisible());
            QVERIFY(QGuiApplication::focusWindow() != panel->windowHandle());
        }
        uTotalCpuUsagePct::ModuleEnd();
    }

    void cleanup() {
        uTotalCpuUsagePct::ModuleEnd();
        spin_.kill();
        spin_.waitForFinished();
    }

private:
    QProcess spin_;
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Started as the strip starts: without a session bus the toolkit's accessibility bridge would
    // otherwise have the bus library spawn a bus daemon of its own (and leak what it read).
    avoidBusAutolaunch();
    QApplication app(argc, argv);
    installFontSubstitutes();
    DetailsPanelE2ETest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DetailsPanelE2ETest.moc"
