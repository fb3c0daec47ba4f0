#pragma once
#include <windows.h>

namespace zrm58::win32face {

// The DPI of the monitor a window is on (96 is 100 %); for no window, or before Windows 10 1607,
// the screen's.
UINT windowDpi(HWND hwnd);

// A length in pixels at 96 DPI, in pixels at `dpi`, rounded.
inline int scaled(int pixels96, UINT dpi) {
    return MulDiv(pixels96, static_cast<int>(dpi), 96);
}

} // namespace zrm58::win32face
