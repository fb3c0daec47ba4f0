// The strip's looks on a virtual X server, checked by their pixels: fills, opacity, text colour,
// shadow, width factor, the window manager states, and the shaped window without a compositing
// manager. One strip process per look.
#include "E2eSupport.h"
#include <cmath>
#include <functional>

using namespace e2e;

namespace {

const QRgb kFill = qRgb(0x20, 0x80, 0xC0); // an opaque solid fill used by several looks

// A strip started with its own settings (and any files beside them), its window mapped.
struct Look {
    std::unique_ptr<Strip> strip;
    QRect g;     // the window on the screen
    QImage shot; // the whole screen
    QRgb root = 0;

    QRgb at(int dx, int dy) const { return shot.pixel(g.x() + dx, g.y() + dy); }
};

// `settings` may name the strip's directory as {dir}; `prepare` runs before the start, with it.
// The screenshot is taken again until `shows` holds for it (the look painted, the line set by
// the first tick where it matters), however late a loaded machine paints; the test then checks
// the last one.
Look showLook(const QString& binary, const QString& shotPath, const QString& settings,
              const std::function<bool(const Look&)>& shows,
              const std::function<void(const QDir&)>& prepare = {}) {
    Look look;
    look.strip = std::make_unique<Strip>(binary);
    const QDir dir(look.strip->dir.path());
    if (prepare) prepare(dir);
    QFile ini(look.strip->iniPath());
    if (ini.open(QIODevice::WriteOnly))
        ini.write(utf16File(QString(settings).replace(QStringLiteral("{dir}"), dir.path())));
    ini.close();
    look.strip->start({QStringLiteral("LANG=C.UTF-8")});
    if (look.strip->waitForWindow().isEmpty()) return look;
    waitUntil([&] {
        look.g = look.strip->geometry();
        look.shot = screenshot(shotPath);
        look.root = desktopColour(look.shot);
        return shows(look);
    });
    return look;
}

QString hex(QRgb c) {
    return QString::number(c & 0xFFFFFF, 16).rightJustified(6, '0');
}

// Where a check failed: what was expected, what was found, and where.
QByteArray pixelReport(const char* what, int dx, int dy, QRgb want, QRgb got) {
    return QStringLiteral("%1 at (%2,%3): want %4, got %5")
        .arg(QLatin1String(what))
        .arg(dx)
        .arg(dy)
        .arg(hex(want), hex(got))
        .toUtf8();
}

#define EXPECT_PIXEL(look, dx, dy, want, tol, what)                                                \
    QVERIFY2(channelDistance((look).at(dx, dy), want) <= (tol),                                    \
             pixelReport(what, dx, dy, want, (look).at(dx, dy)).constData())

// Two colours mixed, `t` (0..1) of the way from `a` to `b`.
QRgb mix(QRgb a, QRgb b, double t) {
    return over(b, std::clamp(t, 0.0, 1.0), a);
}

QString settingsText(const QStringList& lines) {
    return lines.join('\n') + '\n';
}

// Pixels of the window's box (window coordinates) for which `pick` holds.
QList<QPoint> pixels(const Look& look, const QRect& box, const std::function<bool(QRgb)>& pick) {
    QList<QPoint> found;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (pick(look.at(x, y))) found << QPoint(x, y);
    return found;
}

// Horizontal extent of the points: first and last column, in pixels.
std::pair<int, int> columns(const QList<QPoint>& points) {
    if (points.isEmpty()) return {0, -1};
    auto [lo, hi] = std::minmax_element(points.begin(), points.end(),
                                        [](QPoint a, QPoint b) { return a.x() < b.x(); });
    return {lo->x(), hi->x()};
}
int spanX(const QList<QPoint>& points) {
    return columns(points).second - columns(points).first + 1;
}
double spanCentreX(const QList<QPoint>& points) {
    return (columns(points).first + columns(points).second + 1) / 2.0;
}

bool dark(QRgb c) {
    return qGray(c) < 90;
}

bool shadowGrey(QRgb c) {
    return qGray(c) < 235 && std::abs(qRed(c) - qGreen(c)) < 12 &&
           std::abs(qGreen(c) - qBlue(c)) < 12;
}

// The offset at which grey pixels best repeat the text's shape: where its shadow lies. The text
// covers part of its shadow, so the shadow's own centre cannot be measured directly.
QPoint shadowOffset(const Look& look, const QList<QPoint>& text) {
    QPoint best;
    double bestScore = -1;
    for (int dy = -4; dy <= 6; ++dy)
        for (int dx = -4; dx <= 6; ++dx) {
            double score = 0;
            for (const QPoint& p : text) {
                const QRgb c = look.at(p.x() + dx, p.y() + dy);
                if (shadowGrey(c)) score += 255 - qGray(c);
            }
            if (score > bestScore) {
                bestScore = score;
                best = QPoint(dx, dy);
            }
        }
    return best;
}

// The window's margin and the corners outside the rounded rectangle (radius 8), less a pixel
// of antialiasing at the arc: whatever lies there must be the desktop.
QList<QPoint> outsideRoundedRect(const QSize& window) {
    QList<QPoint> points;
    const QRectF inner(5, 5, window.width() - 10, window.height() - 10);
    for (int y = 0; y < window.height(); ++y)
        for (int x = 0; x < window.width(); ++x) {
            const QPointF c(x + 0.5, y + 0.5);
            if (!inner.contains(c)) {
                points << QPoint(x, y);
                continue;
            }
            const qreal cx = std::clamp(c.x(), inner.left() + 8, inner.right() - 8);
            const qreal cy = std::clamp(c.y(), inner.top() + 8, inner.bottom() - 8);
            if (std::hypot(c.x() - cx, c.y() - cy) > 8 + 1.5) points << QPoint(x, y);
        }
    return points;
}

// Pixels among `points` that do not show `colour`; at most the first few, for the message.
QString strayPixels(const Look& look, const QList<QPoint>& points, QRgb colour) {
    QStringList stray;
    int count = 0;
    for (const QPoint& p : points) {
        if (channelDistance(look.at(p.x(), p.y()), colour) <= 3) continue;
        if (++count <= 5)
            stray << QStringLiteral("(%1,%2)=%3")
                         .arg(p.x())
                         .arg(p.y())
                         .arg(hex(look.at(p.x(), p.y())));
    }
    return count ? QStringLiteral("%1 pixels, e.g. %2").arg(count).arg(stray.join(' ')) : QString();
}

// The window's shape as xwininfo reports it.
QString windowShape(const QString& window) {
    return run(QStringLiteral("xwininfo"),
               {QStringLiteral("-shape"), QStringLiteral("-id"), window});
}

// A second, private X server without a compositing manager; the compositing manager can be
// started and stopped on it. DISPLAY points at it while the object lives.
class BareXServer {
public:
    BareXServer() : oldDisplay_(qgetenv("DISPLAY")) {
        // Display numbers above the ones scripts/xserver.sh hands out, so that the two never
        // race for one.
        for (int n = 240; n < 400 && display_.isEmpty(); ++n)
            if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) &&
                !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                display_ = QStringLiteral(":%1").arg(n);
        xvfb_.start(QStringLiteral("Xvfb"),
                    {display_, QStringLiteral("-screen"), QStringLiteral("0"),
                     QStringLiteral("1280x800x24"), QStringLiteral("-noreset"),
                     QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                     QStringLiteral("+extension"), QStringLiteral("Composite"),
                     QStringLiteral("+extension"), QStringLiteral("RENDER")});
        qputenv("DISPLAY", display_.toUtf8());
        waitUntil([] { // the server takes connections
            QProcess probe;
            probe.start(QStringLiteral("xdpyinfo"), {});
            probe.waitForFinished(kStateMs);
            return probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
        });
    }
    ~BareXServer() {
        stopCompositor();
        xvfb_.terminate();
        xvfb_.waitForFinished(3000);
        qputenv("DISPLAY", oldDisplay_);
    }
    void startCompositor() {
        compositor_.start(QStringLiteral("xcompmgr"), {});
        compositor_.waitForStarted();
        QThread::msleep(300);
    }
    void stopCompositor() {
        if (compositor_.state() == QProcess::NotRunning) return;
        compositor_.terminate();
        compositor_.waitForFinished(3000);
    }

private:
    QByteArray oldDisplay_;
    QString display_;
    QProcess xvfb_, compositor_;
};

} // namespace

class AppearanceE2ETest : public QObject {
    Q_OBJECT
    QString binary = QStringLiteral(ZRM58_BINARY);
    QString shots = QStringLiteral(ZRM58_SHOTS);

    QString shot(const char* name) const {
        return shots + QStringLiteral("/appearance-%1.png").arg(QLatin1String(name));
    }

private slots:
    void initTestCase() { QDir().mkpath(shots); }

    // An opaque solid fill with its black outline; the strip asks to stay on top and to have no
    // task-bar button, and the window carries both states.
    void solidFillAndWindowStates() {
        const Look look =
            showLook(binary, shot("solid"),
                     settingsText({"[Form]", "Opacity=1", "TopLevel=1", "TaskBar=0", "[Back]",
                                   "Color1=FF2080C0", "Color2=FFFF0000", "Direction=1"}),
                     [](const Look& l) { return channelDistance(l.at(500, 30), kFill) <= 2; });
        QVERIFY(!look.shot.isNull());
        QCOMPARE(look.g, QRect(200, 200, 523, 40));
        EXPECT_PIXEL(look, 260, 8, kFill, 2, "fill");
        EXPECT_PIXEL(look, 500, 30, kFill, 2, "fill, lower right");
        EXPECT_PIXEL(look, 260, 5, qRgb(0, 0, 0), 8, "outline, top edge");
        EXPECT_PIXEL(look, 5, 20, qRgb(0, 0, 0), 8, "outline, left edge");
        EXPECT_PIXEL(look, 517, 20, qRgb(0, 0, 0), 8, "outline, right edge");
        EXPECT_PIXEL(look, 2, 20, look.root, 2, "margin");
        EXPECT_PIXEL(look, 5, 5, look.root, 2, "corner outside the rounding");

        const QString states =
            run(QStringLiteral("xprop"),
                {QStringLiteral("-id"), look.strip->window, QStringLiteral("_NET_WM_STATE")});
        QVERIFY2(states.contains(QLatin1String("_NET_WM_STATE_ABOVE")), qPrintable(states));
        QVERIFY2(states.contains(QLatin1String("_NET_WM_STATE_SKIP_TASKBAR")), qPrintable(states));
    }

    // The default settings: neither state is set.
    void defaultWindowHasNoStates() {
        const Look look = showLook(binary, shot("default"), QString(), [](const Look&) {
            return true; // the states are set before the window is mapped
        });
        QVERIFY(!look.shot.isNull());
        const QString states =
            run(QStringLiteral("xprop"),
                {QStringLiteral("-id"), look.strip->window, QStringLiteral("_NET_WM_STATE")});
        QVERIFY2(!states.contains(QLatin1String("_NET_WM_STATE_ABOVE")), qPrintable(states));
        QVERIFY2(!states.contains(QLatin1String("_NET_WM_STATE_SKIP_TASKBAR")), qPrintable(states));
    }

    // Red to blue in each direction, opaque, with the texts hidden so that every pixel inside
    // the outline is the gradient's. The colour at a pixel's centre is the projection of that
    // centre onto the line from the start point to the end point of the rectangle (513 x 30 at
    // 5,5); Direction 3 keeps the initial top-to-bottom geometry.
    void gradientDirections_data() {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<QPointF>("end");
        QTest::newRow("0 top to bottom") << 0 << QPointF(0, 0) << QPointF(0, 1);
        QTest::newRow("1 left to right") << 1 << QPointF(0, 0) << QPointF(1, 0);
        QTest::newRow("2 top-left to bottom-right") << 2 << QPointF(0, 0) << QPointF(1, 1);
        QTest::newRow("3 from the file: initial geometry") << 3 << QPointF(0, 0) << QPointF(0, 1);
    }
    void gradientDirections() {
        QFETCH(int, direction);
        QFETCH(QPointF, start);
        QFETCH(QPointF, end);
        const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
        const QByteArray name = "gradient-" + QByteArray::number(direction);
        const Look look =
            showLook(binary, shot(name.constData()),
                     settingsText({"[Form]", "Opacity=1", "[Font]", "Color=00000000", "[Effect]",
                                   "Shadow=0", "[Back]", "Color1=FFFF0000", "Color2=FF0000FF",
                                   "Gradient=1", QStringLiteral("Direction=%1").arg(direction)}),
                     [](const Look& l) { return channelDistance(l.at(260, 20), l.root) > 20; });
        QVERIFY(!look.shot.isNull());
        const QRectF r(5, 5, 513, 30);
        // Lines of equal colour are at right angles in the rectangle's relative coordinates.
        const QPointF ab = end - start;
        const double len2 = QPointF::dotProduct(ab, ab);
        for (int y = 7; y <= 32; y += 5)
            for (int x = 12; x <= 510; x += 36) {
                const QPointF rel((x + 0.5 - r.left()) / r.width(),
                                  (y + 0.5 - r.top()) / r.height());
                const double t = QPointF::dotProduct(rel - start, ab) / len2;
                EXPECT_PIXEL(look, x, y, mix(red, blue, t), 4, "gradient");
            }
    }

    // A picture of four coloured quadrants is stretched over the rectangle, clipped by the
    // rounded corners and drawn without an outline, although a gradient is set as well.
    void pictureBackground() {
        const QRgb quadrant[2][2] = {{qRgb(255, 0, 0), qRgb(0, 200, 0)},
                                     {qRgb(0, 0, 255), qRgb(255, 255, 0)}};
        const Look look = showLook(
            binary, shot("picture"),
            settingsText({"[Form]", "Opacity=1", "[Font]", "Color=00000000", "[Effect]", "Shadow=0",
                          "[Back]", "Color1=FF2080C0", "Color2=FF2080C0", "Gradient=1", "Gazou=1",
                          "GazouFile={dir}/back.png"}),
            [&](const Look& l) { return channelDistance(l.at(420, 29), quadrant[1][1]) <= 3; },
            [&](const QDir& dir) {
                QImage picture(40, 20, QImage::Format_RGB32);
                for (int y = 0; y < 20; ++y)
                    for (int x = 0; x < 40; ++x)
                        picture.setPixel(x, y, quadrant[y / 10][x / 20]);
                picture.save(dir.filePath(QStringLiteral("back.png")));
            });
        QVERIFY(!look.shot.isNull());
        EXPECT_PIXEL(look, 100, 11, quadrant[0][0], 3, "top-left quadrant");
        EXPECT_PIXEL(look, 420, 11, quadrant[0][1], 3, "top-right quadrant");
        EXPECT_PIXEL(look, 100, 29, quadrant[1][0], 3, "bottom-left quadrant");
        EXPECT_PIXEL(look, 420, 29, quadrant[1][1], 3, "bottom-right quadrant");
        // The picture reaches the rectangle's edges: no outline is drawn over them.
        EXPECT_PIXEL(look, 100, 5, quadrant[0][0], 3, "top edge, no outline");
        EXPECT_PIXEL(look, 5, 11, quadrant[0][0], 40, "left edge, no outline");
        EXPECT_PIXEL(look, 5, 5, look.root, 2, "corner clipped by the rounding");
        EXPECT_PIXEL(look, 517, 34, look.root, 2, "corner clipped by the rounding");
    }

    // Opacity 0: the rectangle and its outline vanish; the line, the menu button and the load
    // glyph still show.
    void opacityZeroKeepsTheTexts() {
        const Look look = showLook(
            binary, shot("opacity-0"), settingsText({"[Form]", "Opacity=0"}),
            [](const Look& l) { return pixels(l, QRect(45, 8, 430, 25), dark).size() > 150; });
        QVERIFY(!look.shot.isNull());
        EXPECT_PIXEL(look, 260, 7, look.root, 2, "the rectangle's inside");
        EXPECT_PIXEL(look, 260, 5, look.root, 2, "the outline");
        EXPECT_PIXEL(look, 5, 20, look.root, 2, "the outline");
        const auto line = pixels(look, QRect(45, 8, 430, 25), dark);
        const auto button = pixels(look, QRect(6, 8, 32, 25), dark);
        const auto glyph = pixels(look, QRect(486, 8, 30, 25), dark);
        QVERIFY2(line.size() > 150, qPrintable(QString::number(line.size())));
        QVERIFY2(button.size() > 20, qPrintable(QString::number(button.size())));
        QVERIFY2(glyph.size() > 20, qPrintable(QString::number(glyph.size())));
    }

    // A text colour with alpha 0 hides the line, its shadow (on by default), the menu button
    // and the glyph; the background shows whole.
    void transparentTextColourHidesEveryText() {
        Look look =
            showLook(binary, shot("text-alpha-0"),
                     settingsText({"[Form]", "Opacity=1", "[Font]", "Color=00000000", "[Back]",
                                   "Color1=FF2080C0"}),
                     [](const Look& l) { return channelDistance(l.at(260, 8), kFill) <= 2; });
        QVERIFY(!look.shot.isNull());
        // The first tick sets the line, in the transparent colour: a tick and more later (on a
        // loaded machine the tick may come later still, and the check only proves less).
        QTest::qWait(1400);
        look.shot = screenshot(shot("text-alpha-0"));
        const QList<QPoint> inside = pixels(look, QRect(14, 7, 495, 26), [](QRgb) { return true; });
        const QString stray = strayPixels(look, inside, kFill);
        QVERIFY2(stray.isEmpty(), qPrintable(stray));
    }

    // Red text on an opaque white fill: with the shadow on, grey pixels appear, shifted down and
    // to the right of the red ones; with it off there are none.
    void shadowOnAndOff_data() {
        QTest::addColumn<bool>("shadow");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void shadowOnAndOff() {
        QFETCH(bool, shadow);
        const Look look =
            showLook(binary, shot(shadow ? "shadow-on" : "shadow-off"),
                     settingsText({"[Form]", "Opacity=1", "[Font]", "Color=FFFF0000", "[Effect]",
                                   QStringLiteral("Shadow=%1").arg(int(shadow)), "[Back]",
                                   "Color1=FFFFFFFF", "[DATE]", "FORMAT=hh:nn:ss"}),
                     [](const Look& l) {
                         return pixels(l, QRect(39, 7, 445, 26), [](QRgb c) {
                                    return qRed(c) - qGreen(c) > 80;
                                }).size() > 150;
                     });
        QVERIFY(!look.shot.isNull());
        const QRect label(39, 7, 445, 26);
        const auto text = pixels(look, label, [](QRgb c) { return qRed(c) - qGreen(c) > 80; });
        const auto grey = pixels(look, label, shadowGrey);
        QVERIFY2(text.size() > 150, qPrintable(QString::number(text.size())));
        if (!shadow) {
            QVERIFY2(grey.isEmpty(), qPrintable(QString::number(grey.size())));
            return;
        }
        QVERIFY2(grey.size() > 100, qPrintable(QString::number(grey.size())));
        // 3 units at 45 degrees: 3 x cos 45 x 513 / 515 = 2.1 pixels right and
        // 3 x sin 45 x 30 / 33 = 1.9 pixels down.
        const QPoint shift = shadowOffset(look, text);
        QVERIFY2(shift == QPoint(2, 2),
                 qPrintable(QStringLiteral("%1, %2").arg(shift.x()).arg(shift.y())));
        // The glyphs carry no shadow: the menu button's area is white and red only.
        const auto buttonGrey = pixels(look, QRect(10, 13, 26, 15), shadowGrey);
        QVERIFY2(buttonGrey.isEmpty(), qPrintable(QString::number(buttonGrey.size())));
    }

    // Width factor 1.5. At the width the settings window gives it (782) the content is drawn at
    // scale 1 across, as at factor 1 and width 523; at a stored width of 523 the same content
    // is squeezed to 513 / 772.5 of it. Measured on the menu button's bars (12.8 units wide)
    // and the load glyph (20 units wide, centred 19.5 units from the box's right end).
    void widthFactor_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("scale");
        QTest::newRow("1.5 at 782, scale 1") << 782 << 772.0 / 772.5;
        QTest::newRow("1.5 at 523, squeezed") << 523 << 513.0 / 772.5;
    }
    void widthFactor() {
        QFETCH(int, width);
        QFETCH(double, scale);
        const Look look = showLook(
            binary, shot(width == 782 ? "width-1.5" : "width-1.5-squeezed"),
            settingsText({"[Form]", QStringLiteral("Width=%1").arg(width), "Original=1.5",
                          "Opacity=1", "[Effect]", "Shadow=0", "[Back]", "Color1=FFF0F0F0"}),
            // The line too, for whoever looks at the screenshot.
            [](const Look& l) {
                return pixels(l, QRect(45, 8, l.g.width() - 90, 25), dark).size() > 150;
            });
        QVERIFY(!look.shot.isNull());
        QCOMPARE(look.g.width(), width);
        const auto bars = pixels(look, QRect(9, 13, qFloor(33 * scale) - 4, 15), dark);
        QVERIFY2(std::abs(spanX(bars) - 12.8 * scale) <= 1.5,
                 qPrintable(QStringLiteral("bars %1 px wide").arg(spanX(bars))));
        QVERIFY2(std::abs(spanCentreX(bars) - (5 + 16.5 * scale)) <= 1,
                 qPrintable(QString::number(spanCentreX(bars))));
        const int glyphLeft = qFloor(5 + (772.5 - 33) * scale);
        const auto glyph = pixels(look, QRect(glyphLeft, 8, qCeil(27 * scale), 25), dark);
        QVERIFY2(std::abs(spanX(glyph) - 20 * scale) <= 1.5,
                 qPrintable(QStringLiteral("glyph %1 px wide").arg(spanX(glyph))));
        QVERIFY2(std::abs(spanCentreX(glyph) - (5 + (772.5 - 19.5) * scale)) <= 1,
                 qPrintable(QString::number(spanCentreX(glyph))));
    }

    // Without a compositing manager the window cannot be translucent: it is shaped to its
    // rounded rectangle, so the desktop (not black) shows around it. When a compositing manager
    // starts, the next tick makes the strip translucent; when it stops, the shape comes back.
    void followsTheCompositingManager() {
        BareXServer server;
        run(QStringLiteral("xsetroot"), {QStringLiteral("-solid"), QStringLiteral("#3060a0")});
        const QRgb desk = qRgb(0x30, 0x60, 0xA0);
        const QRgb fill = qRgb(0xDC, 0xDC, 0xDC); // at opacity 0.5
        Look look;
        // A short line: the default one may wrap, and its second line would reach the margin.
        look.strip =
            std::make_unique<Strip>(binary, utf16File(settingsText({"[DATE]", "FORMAT=hh:nn:ss"})));
        look.strip->start({QStringLiteral("LANG=C.UTF-8")});
        QVERIFY(!look.strip->waitForWindow().isEmpty());
        look.g = look.strip->geometry();
        const QList<QPoint> outside = outsideRoundedRect(look.g.size());
        const QString bounded = QStringLiteral("Window shape extents:  %1x%2+5+5")
                                    .arg(look.g.width() - 10)
                                    .arg(look.g.height() - 10);

        // Without: shaped to the rounded rectangle; the fill, unable to blend, lies over black.
        waitUntil([&] { // painted
            look.shot = screenshot(shot("no-compositor"));
            return channelDistance(look.at(260, 8), over(fill, 0.5, qRgb(0, 0, 0))) <= 3;
        });
        QString stray = strayPixels(look, outside, desk);
        QVERIFY2(stray.isEmpty(), qPrintable(QStringLiteral("without compositor: ") + stray));
        EXPECT_PIXEL(look, 260, 8, over(fill, 0.5, qRgb(0, 0, 0)), 3, "fill without compositor");
        QString shape = windowShape(look.strip->window);
        QVERIFY2(shape.contains(bounded), qPrintable(shape));

        // Started: by the next tick the shape is gone and the fill blends with the desktop.
        server.startCompositor();
        waitUntil([&] {
            look.shot = screenshot(shot("compositor-started"));
            look.root = desktopColour(look.shot);
            return windowShape(look.strip->window)
                       .contains(QLatin1String("No window shape defined")) &&
                   channelDistance(look.at(260, 8), over(fill, 0.5, look.root)) <= 3;
        });
        EXPECT_PIXEL(look, 260, 8, over(fill, 0.5, look.root), 3, "fill with compositor");
        stray = strayPixels(look, outside, look.root);
        QVERIFY2(stray.isEmpty(), qPrintable(QStringLiteral("with compositor: ") + stray));
        shape = windowShape(look.strip->window);
        QVERIFY2(shape.contains(QLatin1String("No window shape defined")), qPrintable(shape));

        // Stopped: shaped again by the next tick, so no black margin appears.
        server.stopCompositor();
        waitUntil([&] {
            look.shot = screenshot(shot("compositor-stopped"));
            return windowShape(look.strip->window).contains(bounded) &&
                   strayPixels(look, outside, desk).isEmpty();
        });
        stray = strayPixels(look, outside, desk);
        QVERIFY2(stray.isEmpty(), qPrintable(QStringLiteral("after the stop: ") + stray));
        shape = windowShape(look.strip->window);
        QVERIFY2(shape.contains(bounded), qPrintable(shape));
    }
};

QTEST_GUILESS_MAIN(AppearanceE2ETest)
#include "AppearanceE2ETest.moc"
