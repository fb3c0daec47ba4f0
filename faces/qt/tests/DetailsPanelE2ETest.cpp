// The details panel on a real X server with a compositing manager: the strip's window in this
// process on the real sources (/proc, /sys), driven with xdotool like a person with a mouse. A
// process spinning on one processor must come first in the panel with the share of the machine
// it had over the tick, and that processor's bar must be full; the panel goes on leave and on
// press, and a drag that starts while it is shown moves the strip.
#include "faces/qt/DetailsPanel.h"
#include "faces/qt/MessageHooks.h"
#include "faces/qt/QtText.h"
#include "faces/qt/StartupPlatform.h"
#include "faces/qt/StripWindow.h"
#include "strip/StripRuntime.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cmath>
#include <ctime>
#include <unistd.h>
#include <vector>

using namespace zrm58;

namespace {

void xdotool(const QStringList& args) {
    QProcess::execute(QStringLiteral("xdotool"), args);
}

void pointerTo(QPoint global) {
    xdotool(
        {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())});
}

// A process's run time in seconds, to the nanosecond: the first field of /proc/PID/schedstat
// (the spinner has one thread). /proc/PID/stat would give it in 10 ms steps.
double runSeconds(std::uint32_t pid) {
    QFile f(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    return f.readAll().split(' ').value(0).toDouble() / 1e9;
}

double wallSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// What the test reads at a tick, right after the panel's sample.
struct TickReading {
    double wall; // seconds
    double run;  // the spinner's run time, seconds
    DetailsSnapshot snapshot;
};

// The longest a state may take to come on a loaded machine with the sanitized build; a state
// that comes returns the wait at once.
constexpr int kStateMs = 30000;

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

        // The program's own start-up, as its main does it, on a settings file of the test's.
        StripRuntime runtime(dir.filePath(QStringLiteral("ZRM58.ini")).toStdString(),
                             {&MessageHooks::ModuleStart, &MessageHooks::ModuleEnd});

        {
            TForm1 form(runtime.services());
            form.strip().FormCreate();
            form.strip().showFirst();
            auto* panel = form.findChild<DetailsPanel*>();
            QVERIFY(panel);
            QSignalSpy ticks(&form, &TForm1::ticked);
            QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 2, kStateMs); // a whole interval measured

            // The reference: the spinner's run time and the wall clock, read at every tick right
            // after the panel's own sample (slots run in the order they were connected, and the
            // panel connected first), so both cover the same interval, whenever the tick comes.
            std::vector<TickReading> readings;
            QObject::connect(&form, &TForm1::ticked, &form, [&] {
                if (!panel->isVisible() || panel->snapshot().processors.empty()) return;
                readings.push_back({wallSeconds(), runSeconds(spinPid), panel->snapshot()});
            });
            // A loaded machine's event loop runs late: once, the tick is held for most of two
            // intervals, so that the next one is due at once and the interval after that is
            // short. Such an interval is too short for the counters of /proc/stat (10 ms steps)
            // that the panel divides by; the comparison waits for a tick over a whole interval.
            std::size_t late = 0; // the reading of the tick after the held one
            QObject::connect(&form, &TForm1::ticked, &form, [&] {
                if (late > 0 || readings.empty()) return;
                late = readings.size();
                QThread::msleep(1900);
            });

            const QPoint line = form.mapToGlobal(
                form.fromLayout(toQRectF(form.strip().label1Rect()).center()).toPoint());
            pointerTo(line);
            QTRY_VERIFY_WITH_TIMEOUT(panel->isVisible(), kStateMs);
            // The first interval of at least half a tick from the late tick on.
            std::size_t at = 0;
            auto measured = [&] {
                for (std::size_t i = late + 1; late > 0 && at == 0 && i < readings.size(); ++i)
                    if (readings[i].wall - readings[i - 1].wall >= 0.5) at = i;
                return at > 0;
            };
            QTRY_VERIFY_WITH_TIMEOUT(measured(), kStateMs);
            const TickReading& from = readings[at - 1];
            const TickReading& to = readings[at];
            const double got = (to.run - from.run) / (to.wall - from.wall);

            const DetailsSnapshot& d = to.snapshot;
            QString top;
            for (const BusyProcess& p : d.busiest)
                top += QString::fromStdU16String(p.name) +
                       QStringLiteral(" %1 %2%; ").arg(p.pid).arg(p.share, 0, 'f', 1);
            QVERIFY2(!d.busiest.empty(), "no busy process at all");
            QVERIFY2(d.busiest[0].pid == spinPid, qPrintable(top));
            QCOMPARE(QString::fromStdU16String(d.busiest[0].name), QStringLiteral("zrm58-spin"));
            // What the scheduler gave it over the tick, as a share of the whole machine: one
            // processor's worth on an idle machine, far less on a busy one (where the other
            // sessions' work gets its turn on that processor whatever the spinner's nice value).
            // Both figures cover the same interval; the panel's denominator moves in 10 ms steps.
            const double oneProcessor = 100.0 / processors;
            const double expected = got * oneProcessor;
            top += QStringLiteral("one processor %1%, spinner measured %2% over %3 s")
                       .arg(oneProcessor, 0, 'f', 1)
                       .arg(expected, 0, 'f', 1)
                       .arg(to.wall - from.wall, 0, 'f', 3);
            QVERIFY2(got > 0, qPrintable(top));
            QVERIFY2(std::abs(d.busiest[0].share - expected) < 0.2 * expected + 0.05 * oneProcessor,
                     qPrintable(top));
            qInfo("%s", qPrintable(top));
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
            QTRY_VERIFY_WITH_TIMEOUT(!panel->isVisible(), kStateMs);

            // Shown again, a press hides it and the drag that follows moves the strip.
            pointerTo(line);
            QTRY_VERIFY_WITH_TIMEOUT(panel->isVisible(), kStateMs);
            const QPoint before = form.pos();
            xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
            QTRY_VERIFY_WITH_TIMEOUT(!panel->isVisible(), kStateMs);
            pointerTo(line + QPoint(30, 20));
            pointerTo(line + QPoint(60, 40));
            xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
            QTRY_COMPARE_WITH_TIMEOUT(form.pos(), before + QPoint(60, 40), kStateMs);
            QVERIFY(!panel->isVisible());
            QVERIFY(QGuiApplication::focusWindow() != panel->windowHandle());
        }
    }

    void cleanup() {
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
