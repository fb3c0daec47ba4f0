#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace Gdiplus {
class Bitmap;
}

// What the strip shows, as plain data, and its drawing into the premultiplied 32-bit pixels that
// a layered window takes. Everything inside the 5-pixel margin is laid out in a logical box
// (design 515 x 33) drawn scaled into the margin's inside, axis by axis.
namespace zrm58::win32face {

enum class FillKind { Solid, Gradient, Picture };

struct StripScene {
    int width = 523, height = 40; // window pixels
    // Pixels per logical unit: the window's DPI / 96. The margin, the corner radius and the
    // outline are logical units; the logical box fills what the margin leaves.
    float scale = 1;
    // The background rectangle: its opacity applies to fill and outline together.
    float opacity = 0.5f;
    FillKind fill = FillKind::Solid;
    std::uint32_t fillColor = 0xFFE0E0E0; // ARGB
    std::uint32_t gradient0 = 0xFFE0E0E0, gradient1 = 0xFFE0E0E0;
    // Relative to the rectangle, 0..1 on each axis: the colour is constant along lines at right
    // angles to start -> end in these coordinates.
    double startX = 0, startY = 0, endX = 0, endY = 1;
    std::shared_ptr<Gdiplus::Bitmap> picture; // stretched; none draws nothing
    bool strokeOn = true;
    std::uint32_t strokeColor = 0xFF000000;
    float radius = 8;
    // The logical box; below 1 counts as 1.
    float logicalWidth = 515, logicalHeight = 33;
    // The line, the load glyph and the menu button.
    std::u16string line;
    std::u16string family = u"Segoe UI";
    float lineSize = 12; // logical pixels
    bool bold = false;
    std::uint32_t lineColor = 0xFF000000;
    std::u16string glyph = u"\uE1E9";
    float glyphSize = 12;
    std::uint32_t glyphColor = 0xFF000000;
    std::u16string menuGlyph = u"\uE700";
    float menuSize = 16;
    std::uint32_t menuColor = 0xFF000000;
    // The line's drop shadow: distance 3 at 45 degrees, softness 0.3, opacity 0.6.
    bool shadow = true;
    std::uint32_t shadowColor = 0xFF000000;
};

// Geometry of the logical box, window coordinates <-> logical coordinates.
struct BoxGeometry {
    float left, top, width, height; // the area inside the margin, window pixels
    float scaleX, scaleY;           // window pixels per logical unit
    explicit BoxGeometry(const StripScene& scene);
    bool insideMargin(float x, float y) const;
    bool onMenuButton(float x, float y) const;
    // The menu button's bottom-left corner in window pixels (rounded).
    void menuAnchor(int& x, int& y) const;

private:
    float logicalHeight_;
};

// Draws the scene into `pixels`: width x height, top-down rows, B G R A premultiplied, as a
// 32-bit DIB section holds them. The pixels are overwritten whole.
void paintStrip(const StripScene& scene, std::uint32_t* pixels);

} // namespace zrm58::win32face
