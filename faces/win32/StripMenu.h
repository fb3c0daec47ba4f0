#pragma once
#include <windows.h>

namespace zrm58::win32face {

enum class MenuChoice { None, Resize, Settings, Close };

// The strip's pop-up menu: "リサイズ" (checked while the resize mode is on), "設定", "終了",
// each with its 16 x 16 picture, opened for the menu button whose box on the screen is `button`:
// below its bottom-left corner, or above its top-left corner where the monitor's work area has
// no room below (menuFrame). Returns the item chosen, None when the menu was dismissed.
// The items are drawn by the menu's owner: its window procedure hands WM_MEASUREITEM and
// WM_DRAWITEM here (true when the item was one of the menu's).
MenuChoice showStripMenu(HWND owner, const RECT& button, bool resizeChecked);
bool measureMenuItem(MEASUREITEMSTRUCT& m);
bool drawMenuItem(const DRAWITEMSTRUCT& d);

} // namespace zrm58::win32face
