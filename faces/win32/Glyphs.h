#pragma once
#include <cstdint>
#include <string_view>

namespace Gdiplus {
class Graphics;
}

// The strip's private-use glyphs, drawn by the program itself so that no icon font is needed:
// U+E700 the menu button's three bars, U+E1E9 the load meter before the first reading, and
// U+EC37 .. U+EC3B the load meter with one to five bars lit (rising load). Drawn as the Qt face
// draws them.
namespace zrm58::glyphs {

inline constexpr char16_t kMenu = 0xE700;
inline constexpr char16_t kLoadUnknown = 0xE1E9;
inline constexpr char16_t kLoad1 = 0xEC37;
inline constexpr char16_t kLoad5 = 0xEC3B;

bool isOwnGlyph(std::u16string_view text);

// Draws `text` centred in the box (x, y, w, h) at the em size `size` (units of the graphics'
// current transform) in the ARGB `color`. Own glyphs are drawn as shapes; any other text with
// the default sans-serif family.
void drawGlyphText(Gdiplus::Graphics& g, float x, float y, float w, float h,
                   std::u16string_view text, float size, std::uint32_t color);

} // namespace zrm58::glyphs
