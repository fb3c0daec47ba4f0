#pragma once
#include "strip/GlyphShapes.h"
#include <cstdint>
#include <string_view>

namespace Gdiplus {
class Graphics;
}

namespace zrm58::glyphs {

// Draws `text` centred in the box (x, y, w, h) at the em size `size` (units of the graphics'
// current transform) in the ARGB `color`. Own glyphs are drawn as their shapes
// (GlyphShapes.h); any other text with the default sans-serif family.
void drawGlyphText(Gdiplus::Graphics& g, float x, float y, float w, float h,
                   std::u16string_view text, float size, std::uint32_t color);

} // namespace zrm58::glyphs
