#pragma once
#include <cstdint>
#include <optional>
#include <windows.h>

namespace zrm58::win32face {

// The system's colour dialog with a row of its own below it: the alpha (0 opaque-less to 255
// opaque) in a spin box and the whole colour as "#AARRGGBB", each following the other and the
// dialog's red, green and blue. The picked ARGB colour, or std::nullopt when cancelled.
// `custom` is the dialog's 16 custom colours, kept by the caller between openings.
std::optional<std::uint32_t> pickArgbColour(HWND owner, std::uint32_t argb, COLORREF* custom);

// A colour button's face: the colour over a chequerboard, so that a translucent one shows as
// such, in `r`.
void paintColourSwatch(HDC dc, const RECT& r, std::uint32_t argb);

} // namespace zrm58::win32face
