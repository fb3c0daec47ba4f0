#include "faces/qt/Glyphs.h"
#include "faces/qt/QtText.h"
#include <QPainter>

namespace zrm58::glyphs {

void drawGlyphText(QPainter& p, const QRectF& box, const QString& text, qreal size, QColor color) {
    const std::optional<GlyphShape> shape =
        glyphShape(toU16(text), {box.x(), box.y(), box.width(), box.height()}, size);
    if (!shape) {
        QFont f = p.font();
        f.setPixelSize(qMax(1, qRound(size)));
        p.save();
        p.setFont(f);
        p.setPen(color);
        p.drawText(box, Qt::AlignCenter, text);
        p.restore();
        return;
    }
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(color, shape->line));
    for (const GlyphBar& bar : shape->bars) {
        const QRectF r = toQRectF(bar.box);
        if (bar.filled)
            p.fillRect(r, color);
        else
            p.drawRect(r);
    }
    p.restore();
}

} // namespace zrm58::glyphs
