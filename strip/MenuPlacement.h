#pragma once
// Where the strip's pop-up menu opens, without a toolkit.
#include "strip/StripGeometry.h"

namespace zrm58 {

// The menu's frame, in screen coordinates, for a button whose box is `button`, a menu of `menu`
// size and the usable area `area` of the button's screen. The menu opens downward from the
// button's bottom-left corner when it fits below the button; otherwise upward from its top-left
// corner (the menu's bottom at the button's top) when it fits above; with room on neither side,
// on the side with more room, pulled into the area. Sideways it is pulled into the area too (its
// left edge kept when the menu is wider than the area). While the menu fits on either side it
// never covers the button.
Rect menuFrame(const Rect& button, Size menu, const Rect& area);

} // namespace zrm58
