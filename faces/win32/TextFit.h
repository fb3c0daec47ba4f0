#pragma once
#include <windows.h>

namespace zrm58::win32face {

// Makes every label (static text) and check box among `parent`'s children wide enough for its
// text in `font`, measured: the designed places hold where the text fits. A control that grows
// moves the rest of its row right by what it needs (a group box it outgrows grows the same way);
// a label alone on its row that would outgrow the window is wrapped onto more lines instead.
// `dpi` scales the check box's own square and the gaps. Returns the client width the window
// needs now (at least `clientWidth`).
int fitTexts(HWND parent, HFONT font, UINT dpi, int clientWidth);

} // namespace zrm58::win32face
