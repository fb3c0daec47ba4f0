#pragma once
// The strip's private-use glyphs as shapes, so that no icon font is needed: U+E700 the menu
// button's three bars, U+E1E9 the load meter before the first reading, and U+EC37 .. U+EC3B the
// load meter with one to five bars lit (rising load). Every face draws them from these shapes.
#include "strip/StripGeometry.h"
#include <optional>
#include <string_view>
#include <vector>

namespace zrm58::glyphs {

inline constexpr char16_t kMenu = 0xE700;
inline constexpr char16_t kLoadUnknown = 0xE1E9;
inline constexpr char16_t kLoad1 = 0xEC37;
inline constexpr char16_t kLoad5 = 0xEC3B;

// True when `text` is one glyph drawn from shapes.
bool isOwnGlyph(std::u16string_view text);

// A bar of a glyph: filled, or outlined with the glyph's line (`box` is then the path the line's
// centre follows).
struct GlyphBar {
    RectF box;
    bool filled = true;
};

struct GlyphShape {
    std::vector<GlyphBar> bars;
    double line = 0; // the outline's width
};

// The shape of the own glyph `text` drawn at the em size `size` centred in `box` (logical
// units); none for any other text, which the face draws with a font.
std::optional<GlyphShape> glyphShape(std::u16string_view text, const RectF& box, double size);

} // namespace zrm58::glyphs
