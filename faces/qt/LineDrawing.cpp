#include "faces/qt/LineDrawing.h"
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace zrm58 {

bool mayReorder(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        switch (QChar::direction(c)) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirAN:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirRLI:
            return true;
        default:
            break;
        }
    }
    return false;
}

namespace {

bool onToolkitGrid(qreal x) {
    const qreal scaled = x * 64;
    return scaled == std::floor(scaled);
}

} // namespace

void drawLineWithin(QPainter& p, const QTextLayout& layout, const QString& text, QPointF origin,
                    qreal em, const QRectF& area) {
    if (layout.lineCount() != 1 || mayReorder(text) || !onToolkitGrid(origin.x())) {
        layout.draw(&p, origin);
        return;
    }
    const QTextLine line = layout.lineAt(0);
    // A character more on each side than the area and its em reach.
    const auto cursorAt = [&](qreal x) {
        return line.xToCursor(x - origin.x(), QTextLine::CursorBetweenCharacters);
    };
    const int from = std::max(0, cursorAt(area.left() - em) - 1);
    const int to = std::min(int(text.size()), cursorAt(area.right() + em) + 1);
    if (from >= to) return;
    for (const QGlyphRun& run : line.glyphRuns(from, to - from))
        p.drawGlyphRun(origin, run);
}

} // namespace zrm58
