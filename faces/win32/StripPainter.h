#pragma once
#include "strip/StripControls.h"
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Gdiplus {
class Bitmap;
}

// The strip's drawing into the premultiplied 32-bit pixels that a layered window takes. The
// controls, their boxes in the logical box and the shadow's parameters are the strip's
// (StripView); everything inside the margin is drawn in the logical box scaled into the margin's
// inside, axis by axis (placeBox).
namespace zrm58::win32face {

struct StripScene {
    StripView view;               // what to draw
    int width = 523, height = 40; // window pixels
    // Pixels per logical unit: the window's DPI / 96. The margin, the corner radius and the
    // outline are logical units; the logical box fills what the margin leaves.
    float scale = 1;
    // The Bitmap fill's picture, stretched over the box; none draws nothing.
    std::shared_ptr<Gdiplus::Bitmap> picture;

    // The logical box in the window's pixels.
    BoxPlacement box() const { return view.place(width, height, scale); }
};

// The width, in logical units, that `text` takes on one line in Label1's font, laid out as
// paintStrip lays out the line.
double measureLine(const StripScene& scene, const std::u16string& text);

// Draws the scene into `pixels`: width x height, top-down rows, B G R A premultiplied, as a
// 32-bit DIB section holds them. The pixels are overwritten whole.
void paintStrip(const StripScene& scene, std::uint32_t* pixels);

// The shadow's working planes: the line's glyphs, and their alpha to blur.
struct ShadowPlanes {
    std::vector<std::uint32_t> glyphs;
    std::vector<std::uint8_t> alpha;
};

// paintStrip for one window's scenes one after another, bit for bit the same pixels, keeping
// what a tick does not change: the background rectangle (fill, outline, opacity), made anew
// only when the size, the scale, its look or its picture changes; the menu button drawn on it,
// made anew when it changes; and the shadow's planes.
class StripPainter {
public:
    void paint(const StripScene& scene, std::uint32_t* pixels);

private:
    // Everything the background's pixels depend on.
    struct BackgroundKey {
        int width, height;
        float scale;
        RectF area;
        RoundedBox box;
        // Held, not only pointed at: a picture decoded anew cannot take the address of the one
        // the kept background was drawn from.
        std::shared_ptr<Gdiplus::Bitmap> picture;
        friend bool operator==(const BackgroundKey&, const BackgroundKey&) = default;
    };
    // The background with the menu button drawn on it.
    struct Decorated {
        LineText button;
        std::vector<std::uint32_t> pixels;
        std::vector<std::uint8_t> area; // 1: a pixel of the button's box
        bool usable = false;            // nothing was drawn outside the box
    };
    // Brings decorated_ up to date; whether it is usable.
    bool decorate(const StripScene& scene, const BoxPlacement& box);

    std::optional<BackgroundKey> key_;
    std::vector<std::uint32_t> background_;
    std::optional<Decorated> decorated_;
    ShadowPlanes planes_;
};

} // namespace zrm58::win32face
