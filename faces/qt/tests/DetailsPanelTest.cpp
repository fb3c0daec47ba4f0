// The details panel on the offscreen platform: when it shows and hides, that it leaves the
// strip's own pointer handling alone, and that nothing of it runs while hidden.
#include "faces/qt/DetailsPanel.h"
#include "StripFixture.h"
#include "faces/qt/StripMenu.h"
#include "fakes/FakeSystemDetailsSource.h"
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <algorithm>

using namespace zrm58;
using namespace zrm58::testing;

namespace {

void send(TForm1& form, QEvent::Type type, QPointF local, Qt::MouseButtons held = Qt::NoButton,
          Qt::MouseButton button = Qt::NoButton) {
    const QPointF global = QPointF(form.pos()) + local;
    QMouseEvent e(type, local, local, global, button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &e);
}

void leave(TForm1& form) {
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(&form, &e);
}

// The centre of the line, of the glyph and of the menu button, in window coordinates.
QPointF lineSpot(const TForm1& f) {
    return f.fromLayout(toQRectF(f.strip().label1Rect()).center()).toPoint();
}
QPointF glyphSpot(const TForm1& f) {
    return f.fromLayout(toQRectF(f.strip().label2Rect()).center()).toPoint();
}
QPointF buttonSpot(const TForm1& f) {
    return f.fromLayout(toQRectF(f.strip().speedButtonRect()).center()).toPoint();
}

int count(const std::vector<std::string>& calls, const std::string& what) {
    return static_cast<int>(std::count(calls.begin(), calls.end(), what));
}

} // namespace

class DetailsPanelTest : public QObject {
    Q_OBJECT

    struct Strip {
        StripFixture fx;
        fakes::FakeSystemDetailsSource details;
        DetailsPanel* panel = nullptr;
        Strip() {
            fx.services.processes = &fx.processes;
            fx.services.details = &details;
            fx.processes.processors = std::vector<ProcessorTimes>{{0, 100, 200}, {1, 100, 200}};
            fx.processes.setProcesses({10, 20}, CpuTimes{});
            details.names = {{10, "spinner"}, {20, "idle"}};
            TForm1& form = fx.create();
            form.strip().showFirst();
            panel = form.findChild<DetailsPanel*>();
        }
        TForm1& form() { return *fx.form; }
    };

private slots:
    void showsAfterRestingOnTheLineOrGlyph_data() {
        QTest::addColumn<int>("spot"); // 0 line, 1 glyph, 2 menu button
        QTest::addColumn<bool>("shows");
        QTest::newRow("line") << 0 << true;
        QTest::newRow("glyph") << 1 << true;
        QTest::newRow("menu button") << 2 << false;
    }
    void showsAfterRestingOnTheLineOrGlyph() {
        QFETCH(int, spot);
        QFETCH(bool, shows);
        Strip s;
        QVERIFY(s.panel);
        TForm1& f = s.form();
        const QPointF at = spot == 0 ? lineSpot(f) : spot == 1 ? glyphSpot(f) : buttonSpot(f);
        QElapsedTimer rested;
        rested.start();
        send(f, QEvent::MouseMove, at);
        QVERIFY(!s.panel->isVisible());
        if (shows) {
            // Shown after the rest, not before: a loaded machine only makes the wait longer (a
            // coarse timer may fire 5 % early).
            QTRY_VERIFY_WITH_TIMEOUT(s.panel->isVisible(), 30000);
            QVERIFY2(rested.elapsed() >= DetailsPanel::kRestMs * 95 / 100,
                     qPrintable(QString::number(rested.elapsed())));
        } else {
            QTest::qWait(DetailsPanel::kRestMs * 2);
            QVERIFY(!s.panel->isVisible());
        }
        QCOMPARE(s.fx.processes.keepingProcessors, shows);
        if (!shows) return;
        // No input, no focus, beside the strip without covering it.
        QVERIFY(s.panel->windowFlags().testFlag(Qt::WindowTransparentForInput));
        QVERIFY(s.panel->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(s.panel->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(QApplication::focusWidget() != s.panel);
        QVERIFY(!s.panel->geometry().intersects(f.geometry().adjusted(5, 5, -5, -5)));
    }

    void followsTicksWhileShownAndStopsWhenHidden() {
        Strip s;
        TForm1& f = s.form();
        f.strip().Timer1Timer(); // a tick with shares
        s.panel->showDetails();
        s.fx.processes.processors = std::vector<ProcessorTimes>{{0, 100, 300}, {1, 190, 300}};
        s.fx.processes.setProcesses({10, 20}, CpuTimes{0, 0});
        s.details.calls.clear();
        f.strip().Timer1Timer();
        const DetailsSnapshot& d = s.panel->snapshot();
        QCOMPARE(d.processors.size(), std::size_t(2));
        QCOMPARE(d.processors[0].percent, 100.0);
        QCOMPARE(d.processors[1].percent, 10.0);
        QCOMPARE(count(s.details.calls, "memory"), 1);

        leave(f);
        QVERIFY(!s.panel->isVisible());
        QVERIFY(!s.fx.processes.keepingProcessors);
        s.details.calls.clear();
        s.fx.processes.calls.clear();
        f.strip().Timer1Timer();
        f.strip().Timer1Timer();
        QVERIFY(s.details.calls.empty()); // nothing of the details while hidden
        QCOMPARE(count(s.fx.processes.calls, "processors"), 0);
        QCOMPARE(count(s.fx.processes.calls, "list"), 0); // and nothing per process
    }

    void hidesOnPressAndTheDragStillMovesTheStrip_data() {
        QTest::addColumn<bool>("resizeMode");
        QTest::newRow("move") << false;
        QTest::newRow("resize") << true;
    }
    void hidesOnPressAndTheDragStillMovesTheStrip() {
        QFETCH(bool, resizeMode);
        Strip s;
        TForm1& f = s.form();
        f.menu()->ResizeMenu->setChecked(resizeMode);
        const QRect before = f.geometry();
        s.panel->showDetails();
        QVERIFY(s.panel->isVisible());
        const QPointF p = lineSpot(f);
        send(f, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        QVERIFY(!s.panel->isVisible());
        send(f, QEvent::MouseMove, p + QPointF(30, 20), Qt::LeftButton);
        send(f, QEvent::MouseButtonRelease, p + QPointF(30, 20), Qt::NoButton, Qt::LeftButton);
        if (resizeMode) {
            QCOMPARE(f.geometry().topLeft(), before.topLeft());
            QCOMPARE(f.size(), before.size() + QSize(30, 20));
        } else {
            QCOMPARE(f.geometry().topLeft(), before.topLeft() + QPoint(30, 20));
            QCOMPARE(f.size(), before.size());
        }
        QVERIFY(!f.strip().resizeMode());
        QTest::qWait(DetailsPanel::kRestMs + 200);
        QVERIFY(!s.panel->isVisible()); // a drag is no rest
    }

    void enteringWithoutAMoveStartsTheRest() {
        Strip s;
        TForm1& f = s.form();
        const QPointF local = lineSpot(f);
        QEnterEvent e(local, local, QPointF(f.pos()) + local);
        QCoreApplication::sendEvent(&f, &e);
        QTRY_VERIFY_WITH_TIMEOUT(s.panel->isVisible(), 30000);
    }

    void keptOnTheScreenBesideTheStrip_data() {
        QTest::addColumn<int>("where"); // 0 top left, 1 bottom edge, 2 right edge
        QTest::newRow("room below") << 0;
        QTest::newRow("at the bottom: above") << 1;
        QTest::newRow("at the right edge") << 2;
    }
    void keptOnTheScreenBesideTheStrip() {
        QFETCH(int, where);
        Strip s;
        TForm1& f = s.form();
        // 64 processors: the widest panel, eight columns of eight.
        std::vector<ProcessorTimes> cpus;
        for (std::uint32_t i = 0; i < 64; ++i)
            cpus.push_back({i, 100, 200});
        s.fx.processes.processors = cpus;
        const QRect area = f.screen()->availableGeometry();
        if (where == 1) f.move(area.left() + 20, area.bottom() + 1 - f.height());
        if (where == 2) f.move(area.right() + 1 - f.width() / 2, area.top() + 40);
        s.panel->showDetails();
        for (auto& c : cpus)
            c = {c.index, c.idle + 50 + c.index, c.total + 100 + c.index};
        s.fx.processes.processors = cpus;
        f.strip().Timer1Timer();
        QCOMPARE(s.panel->snapshot().processors.size(), std::size_t(64));
        const QRect panel = s.panel->geometry();
        QVERIFY2(area.contains(panel), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                      .arg(panel.x())
                                                      .arg(panel.y())
                                                      .arg(panel.width())
                                                      .arg(panel.height())));
        QVERIFY(!panel.intersects(f.geometry().adjusted(5, 5, -5, -5)));
        if (where == 1)
            QVERIFY(panel.bottom() < f.y() + 5);
        else
            QVERIFY(panel.top() > f.geometry().bottom() - 5);
    }

    void movingOntoTheButtonHides() {
        Strip s;
        TForm1& f = s.form();
        s.panel->showDetails();
        send(f, QEvent::MouseMove, buttonSpot(f));
        QVERIFY(!s.panel->isVisible());
    }

    void noPanelWithoutTheSources() {
        StripFixture fx;
        TForm1& form = fx.create();
        QVERIFY(!form.findChild<DetailsPanel*>());
    }
};

QTEST_MAIN(DetailsPanelTest)
#include "DetailsPanelTest.moc"
