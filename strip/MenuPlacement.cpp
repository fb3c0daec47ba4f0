#include "strip/MenuPlacement.h"
#include <algorithm>

namespace zrm58 {

Rect menuFrame(const Rect& button, Size menu, const Rect& area) {
    const int areaBottom = area.top + area.height;
    const int buttonBottom = button.top + button.height;
    const int roomBelow = areaBottom - buttonBottom;
    const int roomAbove = button.top - area.top;
    int top = 0;
    if (menu.height <= roomBelow)
        top = buttonBottom;
    else if (menu.height <= roomAbove)
        top = button.top - menu.height;
    else if (roomBelow >= roomAbove)
        top = std::max(area.top, areaBottom - menu.height);
    else
        top = area.top;
    const int left =
        std::max(area.left, std::min(button.left, area.left + area.width - menu.width));
    return {left, top, menu.width, menu.height};
}

} // namespace zrm58
