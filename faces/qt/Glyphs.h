#pragma once
#include "strip/GlyphShapes.h"
#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace zrm58::glyphs {

// Draws `text` centred in `box` at the em size `size` (logical pixels). Own glyphs are drawn as
// their shapes (GlyphShapes.h); any other text is drawn with the painter's current font.
void drawGlyphText(QPainter& p, const QRectF& box, const QString& text, qreal size, QColor color);

} // namespace zrm58::glyphs
