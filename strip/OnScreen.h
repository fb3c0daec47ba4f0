#pragma once
// Keeping the strip within reach on the screens, without a toolkit. Every rectangle is in the
// desktop's logical pixels.
#include "strip/StripGeometry.h"
#include <vector>

namespace zrm58 {

// One screen: the whole of it, and its work area (without task bars and docks).
struct Screen {
    Rect geometry;
    Rect workArea;
    friend bool operator==(const Screen&, const Screen&) = default;
};

// How much of the strip, in pixels on each axis (all of a smaller strip), must lie on one screen
// for the pointer to grab it.
inline constexpr int kGrip = 20;

// Whether enough of `strip` to grab it lies on one of `screens` (their whole geometry counts).
bool reachable(const Rect& strip, const std::vector<Screen>& screens);

// `strip` moved the least so that all of it lies in `area`; a strip larger than the area keeps
// its left and top on the area. The size is kept.
Rect movedInto(const Rect& strip, const Rect& area);

// Where `strip` goes to lie wholly on one of the work areas `areas` (the primary first): into the
// area it overlaps most (the first when it overlaps none), moved the least. Unchanged when there
// is no area.
Rect wholeOnScreen(const Rect& strip, const std::vector<Rect>& areas);

} // namespace zrm58
