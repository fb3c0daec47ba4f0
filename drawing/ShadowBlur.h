#pragma once
#include <cstdint>

// The text shadow's blur, on a plane of 8-bit alpha values: shared by every face, which draws
// the glyphs into the plane with its own toolkit and tints the result.
namespace zrm58 {

// Blurs the w x h plane (rows w apart) in place with three box passes of `radius` pixels each
// way, close to a Gaussian of that radius. Only the box around the non-zero values, widened by
// how far three passes spread (3 x radius + 1), is worked on: elsewhere the result stays 0. A
// radius of 0 or below, or an empty plane, leaves the plane as it is.
void blurAlphaPlane(std::uint8_t* plane, int w, int h, int radius);

} // namespace zrm58
