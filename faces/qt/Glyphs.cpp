#include "faces/qt/Glyphs.h"
#include <QPainter>
#include <QPainterPath>

namespace zrm58::glyphs {
namespace {

void drawMenuBars(QPainter& p, const QRectF& em, QColor color) {
    const qreal barH = em.height() / 14.0;
    const qreal w = em.width() * 0.8;
    const qreal x = em.center().x() - w / 2;
    for (int i = -1; i <= 1; ++i) {
        const qreal y = em.center().y() + i * em.height() * 0.25 - barH / 2;
        p.fillRect(QRectF(x, y, w, barH), color);
    }
}

// Five bars rising left to right; `lit` of them are filled, the rest drawn as outlines.
void drawLoadMeter(QPainter& p, const QRectF& em, QColor color, int lit) {
    const int bars = 5;
    const qreal gap = em.width() * 0.06;
    const qreal barW = (em.width() - gap * (bars - 1)) / bars;
    const qreal line = qMax<qreal>(em.width() / 20.0, 0.5);
    p.save();
    p.setPen(QPen(color, line));
    for (int i = 0; i < bars; ++i) {
        const qreal h = em.height() * (0.25 + 0.75 * (i + 1) / bars);
        const QRectF bar(em.left() + i * (barW + gap), em.bottom() - h, barW, h);
        if (i < lit)
            p.fillRect(bar, color);
        else
            p.drawRect(bar.adjusted(line / 2, line / 2, -line / 2, -line / 2));
    }
    p.restore();
}

} // namespace

bool isOwnGlyph(const QString& text) {
    if (text.size() != 1) return false;
    const char16_t c = text.at(0).unicode();
    return c == kMenu || c == kLoadUnknown || (c >= kLoad1 && c <= kLoad5);
}

void drawGlyphText(QPainter& p, const QRectF& box, const QString& text, qreal size, QColor color) {
    if (!isOwnGlyph(text)) {
        QFont f = p.font();
        f.setPixelSize(qMax(1, qRound(size)));
        p.save();
        p.setFont(f);
        p.setPen(color);
        p.drawText(box, Qt::AlignCenter, text);
        p.restore();
        return;
    }
    const QRectF em(box.center().x() - size / 2, box.center().y() - size / 2, size, size);
    const char16_t c = text.at(0).unicode();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    if (c == kMenu)
        drawMenuBars(p, em, color);
    else if (c == kLoadUnknown)
        drawLoadMeter(p, em, color, 0);
    else
        drawLoadMeter(p, em, color, c - kLoad1 + 1);
    p.restore();
}

} // namespace zrm58::glyphs
