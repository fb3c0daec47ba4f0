#include "faces/win32/ErrorDialog.h"
#include "platform/win32/Win32Text.h"

namespace zrm58::win32face {

std::wstring withFullStop(std::wstring text) {
    if (!text.empty() && static_cast<unsigned>(text.back()) > 0x2E) text += L'.';
    return text;
}

void showStandardError(HWND owner, const std::string& utf8Text) {
    MessageBoxW(owner, withFullStop(win32::widen(utf8Text)).c_str(), L"ZRM58",
                MB_OK | MB_ICONERROR);
}

void showStartupError(const std::string& utf8Text) {
    MessageBoxW(nullptr, win32::widen(utf8Text).c_str(), L"アプリケーションエラー",
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

} // namespace zrm58::win32face
