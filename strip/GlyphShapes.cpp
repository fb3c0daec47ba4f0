#include "strip/GlyphShapes.h"
#include <algorithm>

namespace zrm58::glyphs {
namespace {

// Three bars, 0.8 em wide and 1/14 em high, a quarter em apart.
GlyphShape menuBars(const RectF& em) {
    GlyphShape g;
    const double barH = em.height / 14.0;
    const double w = em.width * 0.8;
    const double cx = em.x + em.width / 2, cy = em.y + em.height / 2;
    for (int i = -1; i <= 1; ++i)
        g.bars.push_back({{cx - w / 2, cy + i * em.height * 0.25 - barH / 2, w, barH}});
    return g;
}

// Five bars rising left to right; `lit` of them are filled, the rest outlined.
GlyphShape loadMeter(const RectF& em, int lit) {
    GlyphShape g;
    const int bars = 5;
    const double gap = em.width * 0.06;
    const double barW = (em.width - gap * (bars - 1)) / bars;
    g.line = std::max(em.width / 20.0, 0.5);
    const double in = g.line / 2;
    for (int i = 0; i < bars; ++i) {
        const double h = em.height * (0.25 + 0.75 * (i + 1) / bars);
        const RectF bar{em.x + i * (barW + gap), em.y + em.height - h, barW, h};
        if (i < lit)
            g.bars.push_back({bar});
        else
            g.bars.push_back(
                {{bar.x + in, bar.y + in, bar.width - 2 * in, bar.height - 2 * in}, false});
    }
    return g;
}

} // namespace

bool isOwnGlyph(std::u16string_view text) {
    if (text.size() != 1) return false;
    const char16_t c = text[0];
    return c == kMenu || c == kLoadUnknown || (c >= kLoad1 && c <= kLoad5);
}

std::optional<GlyphShape> glyphShape(std::u16string_view text, const RectF& box, double size) {
    if (!isOwnGlyph(text)) return std::nullopt;
    const RectF em{box.x + box.width / 2 - size / 2, box.y + box.height / 2 - size / 2, size, size};
    if (text[0] == kMenu) return menuBars(em);
    if (text[0] == kLoadUnknown) return loadMeter(em, 0);
    return loadMeter(em, text[0] - kLoad1 + 1);
}

} // namespace zrm58::glyphs
