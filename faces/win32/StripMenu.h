#pragma once
#include "strip/MenuDescription.h"
#include <optional>
#include <windows.h>

namespace zrm58::win32face {

// The strip's pop-up menu as the menu's description has it, opened for the menu button whose box
// on the screen is `button`: below its bottom-left corner, or above its top-left corner where the
// monitor's work area has no room below (menuFrame); the checkable item shows `resizeChecked`.
// Returns the command of the item chosen, none when the menu was dismissed.
// The items are drawn by the menu's owner: its window procedure hands WM_MEASUREITEM and
// WM_DRAWITEM here (true when the item was one of the menu's).
std::optional<MenuCommand> showStripMenu(HWND owner, const RECT& button, bool resizeChecked);
bool measureMenuItem(MEASUREITEMSTRUCT& m);
bool drawMenuItem(const DRAWITEMSTRUCT& d);

} // namespace zrm58::win32face
