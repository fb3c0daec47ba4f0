#include "app/TrackingRules.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace zrm58::tracking {

int roundHalfEven(double v) {
    // Clamped so that a runaway coordinate cannot overflow the integer.
    constexpr double lo = std::numeric_limits<int>::min() / 2;
    constexpr double hi = std::numeric_limits<int>::max() / 2;
    return static_cast<int>(std::nearbyint(std::clamp(v, lo, hi)));
}

Size guardedSize(Size asked) {
    if (asked.height < kMinHeight) asked.height = kMinHeight;
    if (asked.width < kMinWidth) asked.width = kMinWidth;
    return asked;
}

Position movedPosition(Position window, Point press, Point now) {
    return {roundHalfEven(window.left + (now.x - press.x)),
            roundHalfEven(window.top + (now.y - press.y))};
}

Size nextWorkingSize(Size working, Point last, Point now) {
    return {roundHalfEven(now.x - last.x + working.width),
            roundHalfEven(now.y - last.y + working.height)};
}

} // namespace zrm58::tracking
