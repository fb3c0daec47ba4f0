#pragma once
#include <string>
#include <windows.h>

namespace zrm58::win32face {

// The text as the standard error dialog shows it: a full stop appended when the last character
// has a code above U+002E.
std::wstring withFullStop(std::wstring text);
// The standard error dialog: error icon, one OK button, the text with its full stop.
void showStandardError(HWND owner, const std::string& utf8Text);
// The start-up error box: task-modal, error icon, titled "アプリケーションエラー".
void showStartupError(const std::string& utf8Text);

} // namespace zrm58::win32face
