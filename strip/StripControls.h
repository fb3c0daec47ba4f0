#pragma once
// The strip's controls as plain data. The behaviour sets them; a face draws them. Colours are
// ARGB, alpha in the top byte; sizes and positions are logical pixels of the scaled layout.
#include "strip/StripGeometry.h"
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

struct TextShadow {
    bool enabled = true;
    std::uint32_t color = 0xFF000000;
    double distance = 3;
    double directionDegrees = 45;
    double softness = 0.3;
    double opacity = 0.6;
};

// The strip's margin around Rectangle1 and ScaledLayout1, on every side.
inline constexpr double kStripMargin = 5;
// The size guard's minimum window size.
inline constexpr int kMinStripWidth = 80;
inline constexpr int kMinStripHeight = 30;

} // namespace zrm58
