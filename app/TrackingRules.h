#pragma once
// The strip's move and resize tracking and its size guard as plain arithmetic on window
// geometry, free of any toolkit: pointer positions in the window's logical pixels in, the
// window's new position or size out.
namespace zrm58::tracking {

// The smallest window the strip allows, in logical pixels (margin included).
inline constexpr int kMinWidth = 80;
inline constexpr int kMinHeight = 30;

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Position {
    int left = 0;
    int top = 0;
    friend bool operator==(const Position&, const Position&) = default;
};

// A pointer position in window coordinates; fractional where the display is scaled.
struct Point {
    double x = 0;
    double y = 0;
};

// Nearest integer, halves to the even neighbour.
int roundHalfEven(double v);

// The size guard: a height below the minimum becomes the minimum, then so does a width. The
// window shows the guarded working size; it is never asked for less, as a window system cannot
// show a size of zero or below (X unmaps such a window, and with it go the pointer grab and the
// release that ends a drag).
Size guardedSize(Size asked);

// Move tracking, one pointer move: the window's new top-left corner keeps the press point
// (`press`, window coordinates at the press) under the pointer (`now`, window coordinates).
Position movedPosition(Position window, Point press, Point now);

// Resize tracking, one pointer move from `last` to `now`: the new working size. The working
// size follows the pointer's travel without bound, below the minimum and below zero too, so that
// a drag back grows the window only once the pointer passes where the minimum was reached.
Size nextWorkingSize(Size working, Point last, Point now);

} // namespace zrm58::tracking
