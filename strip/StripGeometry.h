#pragma once
// Plain geometry in the window system's logical pixels, without a toolkit.

namespace zrm58 {

// A point; fractional, as pointer positions and scaled layouts give them.
struct PointF {
    double x = 0;
    double y = 0;
    friend bool operator==(const PointF&, const PointF&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// A window's frame: left and top edges, width and height, in whole pixels.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A fractional rectangle: x and y of its top-left corner, width and height.
struct RectF {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    // Edges included.
    bool contains(PointF p) const {
        return p.x >= x && p.x <= x + width && p.y >= y && p.y <= y + height;
    }
    friend bool operator==(const RectF&, const RectF&) = default;
};

} // namespace zrm58
