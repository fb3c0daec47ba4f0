#pragma once
// The strip's controls as plain data. The behaviour sets them; a face draws them. Colours are
// ARGB, alpha in the top byte; sizes and positions are logical pixels of the scaled layout.
#include "strip/StripGeometry.h"
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace zrm58 {

enum class FillKind { Solid, Gradient, Bitmap };

// Rectangle1's fill: one of three kinds, each keeping its own data across kind changes. The
// picture of the Bitmap kind is the face's (StripFace::loadBackgroundPicture): only the face
// can decode and hold one.
struct BoxFill {
    FillKind kind = FillKind::Solid;
    std::uint32_t color = 0xFFE0E0E0;
    std::uint32_t gradientColor0 = 0xFFE0E0E0; // stop 0, offset 0
    std::uint32_t gradientColor1 = 0xFFE0E0E0; // stop 1, offset 1
    PointF startPoint{0, 0};                   // relative to the rectangle, 0..1 on each axis
    PointF endPoint{0, 1};
    friend bool operator==(const BoxFill&, const BoxFill&) = default;
};

struct RoundedBox {
    BoxFill fill;
    bool strokeOn = true; // a 1-unit outline; switched off for good by a picture background
    std::uint32_t stroke = 0xFF000000;
    double radius = 8;

    float opacity() const { return opacity_; }
    // The control limits its opacity to 0..1 (NaN counts as 0).
    void setOpacity(float value) {
        opacity_ = value >= 0.0f ? (value <= 1.0f ? value : 1.0f) : 0.0f;
    }
    friend bool operator==(const RoundedBox&, const RoundedBox&) = default;

private:
    float opacity_ = 0.5f;
};

struct LineText {
    std::u16string text;
    std::u16string family;
    double size = 12; // logical pixels
    bool bold = false;
    std::uint32_t color = 0xFF000000;
};

struct ScaledArea {
    float logicalWidth = 515; // below 1 counts as 1
    float logicalHeight = 33;
};

// Label1's drop shadow: the text's glyphs at the text's alpha, blurred, tinted with `color`,
// shifted by `distance` logical units in `directionDegrees` (0 to the right, 90 down) and laid at
// `opacity` under the text.
struct TextShadow {
    bool enabled = true;
    std::uint32_t color = 0xFF000000;
    double distance = 3;
    double directionDegrees = 45;
    double softness = 0.3; // the blur's radius is 5 logical units at softness 1
    double opacity = 0.6;

    // The blur's radius in drawing pixels, at least 1, for a box drawn `scaleY` pixels of the
    // window to a logical unit and `devicePixelRatio` drawing pixels to a window pixel.
    int blurRadius(double scaleY, double devicePixelRatio = 1) const {
        return std::max(1, static_cast<int>(std::lround(softness * 5 * devicePixelRatio * scaleY)));
    }
    // The shift from the text, for a box drawn `scaleX` x `scaleY` pixels to a logical unit.
    PointF offset(double scaleX, double scaleY) const {
        const double rad = directionDegrees * (3.14159265358979323846 / 180);
        return {distance * std::cos(rad) * scaleX, distance * std::sin(rad) * scaleY};
    }
};

// The strip's margin around Rectangle1 and ScaledLayout1, on every side.
inline constexpr double kStripMargin = 5;
// The controls' columns in the logical box, in its units: SpeedButton1 at the left, Label2
// before a gap at the right, Label1 between them.
inline constexpr double kSpeedButtonWidth = 33;
inline constexpr double kLabel2Width = 27;
inline constexpr double kLabel2Gap = 6; // between Label2 and the box's right edge

// The logical box placed in a window: the area inside the margin, in the face's drawing pixels,
// and how many of those pixels a unit of the box takes on each axis.
struct BoxPlacement {
    RectF area;
    double scaleX = 1;
    double scaleY = 1;
};

// The box in a window of `width` x `height` drawing pixels, `pixelsPerUnit` of them to a logical
// pixel (1 where the toolkit scales by itself): the margin is kStripMargin logical pixels, the box
// fills what it leaves, axis by axis; a box size below 1 counts as 1.
inline BoxPlacement placeBox(double width, double height, const ScaledArea& box,
                             double pixelsPerUnit = 1) {
    const double margin = kStripMargin * pixelsPerUnit;
    BoxPlacement p;
    p.area = {margin, margin, std::max(0.0, width - 2 * margin),
              std::max(0.0, height - 2 * margin)};
    p.scaleX = p.area.width / std::max(1.0f, box.logicalWidth);
    p.scaleY = p.area.height / std::max(1.0f, box.logicalHeight);
    return p;
}

// What a face draws, read-only: the strip's controls as they are now, and where they lie in the
// logical box (Strip::view). Valid while the strip lives.
struct StripView {
    const RoundedBox& Rectangle1;
    const ScaledArea& ScaledLayout1;
    const LineText& Label1;
    const LineText& Label2;
    const LineText& SpeedButton1;
    const TextShadow& ShadowEffect1;

    // The controls' boxes in the logical box's units; Label1's is empty (width 0 or below) when
    // the box is too narrow for it.
    RectF speedButtonRect() const { return {0, 0, kSpeedButtonWidth, ScaledLayout1.logicalHeight}; }
    RectF label1Rect() const {
        return {kSpeedButtonWidth, 0,
                ScaledLayout1.logicalWidth - (kSpeedButtonWidth + kLabel2Gap + kLabel2Width),
                ScaledLayout1.logicalHeight};
    }
    RectF label2Rect() const {
        return {ScaledLayout1.logicalWidth - kLabel2Gap - kLabel2Width, 0, kLabel2Width,
                ScaledLayout1.logicalHeight};
    }
    BoxPlacement place(double width, double height, double pixelsPerUnit = 1) const {
        return placeBox(width, height, ScaledLayout1, pixelsPerUnit);
    }
};
// The size guard's minimum window size.
inline constexpr int kMinStripWidth = 80;
inline constexpr int kMinStripHeight = 30;

} // namespace zrm58
