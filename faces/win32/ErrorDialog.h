#pragma once
#include <string>

namespace zrm58::win32face {

// The start-up error box for a stored colour that does not convert: task-modal, error icon,
// titled "アプリケーションエラー" (in English "Application Error"), the conversion message (UTF-8)
// as its text.
void showStartupError(const std::string& utf8Text);

} // namespace zrm58::win32face
