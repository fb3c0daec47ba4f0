#pragma once
#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

// The strip's private-use glyphs, drawn by the program itself so that no icon font is needed:
// U+E700 the menu button's three bars, U+E1E9 the load meter before the first reading, and
// U+EC37 .. U+EC3B the load meter with one to five bars lit (rising load).
namespace zrm58::glyphs {

inline constexpr char16_t kMenu = 0xE700;
inline constexpr char16_t kLoadUnknown = 0xE1E9;
inline constexpr char16_t kLoad1 = 0xEC37;
inline constexpr char16_t kLoad5 = 0xEC3B;

// True when `text` is one glyph this file draws.
bool isOwnGlyph(const QString& text);

// Draws `text` centred in `box` at the em size `size` (logical pixels). Own glyphs are drawn as
// shapes; any other text is drawn with the painter's current font.
void drawGlyphText(QPainter& p, const QRectF& box, const QString& text, qreal size, QColor color);

} // namespace zrm58::glyphs
