#include "faces/qt/ScreenPlacement.h"
#include "faces/qt/StripWindow.h"
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace zrm58 {
namespace {

qint64 overlap(const QRect& a, const QRect& b) {
    const QRect i = a.intersected(b);
    return i.isEmpty() ? 0 : qint64(i.width()) * i.height();
}

// The available areas of the screens, the primary first.
QList<QRect> screenAreas(const QScreen* leaving) {
    QList<QRect> areas;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary && primary != leaving) areas << primary->availableGeometry();
    for (QScreen* s : QGuiApplication::screens())
        if (s != primary && s != leaving) areas << s->availableGeometry();
    return areas;
}

} // namespace

QPoint wholeOnScreen(const QRect& strip, const QList<QRect>& areas) {
    if (areas.isEmpty()) return strip.topLeft();
    QRect best = areas.first();
    qint64 bestOverlap = 0;
    for (const QRect& a : areas) {
        const qint64 o = overlap(strip, a);
        if (o > bestOverlap) {
            bestOverlap = o;
            best = a;
        }
    }
    // Moved the least: clamp the top-left corner into the range that keeps the far edges in.
    const int left = std::clamp(strip.left(), best.left(),
                                std::max(best.left(), best.right() - strip.width() + 1));
    const int top = std::clamp(strip.top(), best.top(),
                               std::max(best.top(), best.bottom() - strip.height() + 1));
    return {left, top};
}

bool bringWholeOnScreen(TForm1& strip, const QScreen* leaving) {
    const QList<QRect> areas = screenAreas(leaving);
    if (areas.isEmpty()) return false;
    const QPoint to = wholeOnScreen(strip.geometry(), areas);
    if (to == strip.pos()) return false;
    strip.strip().placeAt(to.x(), to.y());
    return true;
}

bool screenHolds(const QScreen* screen, const QWidget* window) {
    const QRect g = window->geometry();
    const qint64 mine = overlap(g, screen->geometry());
    if (mine == 0) return false;
    for (QScreen* s : QGuiApplication::screens())
        if (s != screen && overlap(g, s->geometry()) > mine) return false;
    return true;
}

void comeForward(TForm1& strip) {
    bringWholeOnScreen(strip);
    strip.showNormal();
    strip.raise();
    strip.activateWindow();
}

} // namespace zrm58
