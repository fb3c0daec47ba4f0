#pragma once
#include <windows.h>

namespace zrm58::win32face {

enum class MenuChoice { None, Resize, Settings, Close };

// The strip's pop-up menu: "リサイズ" (checked while the resize mode is on), "設定", "終了",
// each with its 16 x 16 picture, opened with its top-left corner at `screenAt`. Returns the
// item chosen, None when the menu was dismissed.
// The items are drawn by the menu's owner: its window procedure hands WM_MEASUREITEM and
// WM_DRAWITEM here (true when the item was one of the menu's).
MenuChoice showStripMenu(HWND owner, POINT screenAt, bool resizeChecked);
bool measureMenuItem(MEASUREITEMSTRUCT& m);
bool drawMenuItem(const DRAWITEMSTRUCT& d);

} // namespace zrm58::win32face
