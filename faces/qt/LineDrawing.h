#pragma once
// Drawing part of a laid-out line: a tick repaints a few glyphs of the strip's line, and drawing
// the others only for the painter to clip them away is most of a paint.
#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;
class QTextLayout;

namespace zrm58 {

// Whether the bidirectional algorithm may reorder `text`: then the x of a logical position says
// nothing about where a glyph stands. Stepped by code point, so that the right-to-left scripts
// beyond the Basic Multilingual Plane count too.
bool mayReorder(const QString& text);

// Draws the glyphs of `layout` (of `text`, at `origin`) that can reach `area` (both in the
// painter's coordinates), with an em (`em`, the same units) of room for ink that overhangs: the
// very pixels that drawing the whole layout leaves in `area`. The whole layout is drawn where a
// part cannot be told apart: glyphs not in logical order, more than one line, or an origin off
// the toolkit's 1/64 grid (its glyph positions are rounded there differently).
void drawLineWithin(QPainter& p, const QTextLayout& layout, const QString& text, QPointF origin,
                    qreal em, const QRectF& area);

} // namespace zrm58
