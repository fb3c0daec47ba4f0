#include "faces/win32/ErrorDialog.h"
#include "platform/win32/Win32Text.h"
#include "settings/Utf.h"
#include "texts/Texts.h"
#include <windows.h>

namespace zrm58::win32face {

void showStartupError(const std::string& utf8Text) {
    MessageBoxW(nullptr, win32::widen(utf8Text).c_str(),
                win32::widen(toUtf8(localText(TextId::ErrorTitle))).c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

} // namespace zrm58::win32face
