#pragma once
#include <windows.h>

namespace zrm58 {
class SettingsModel;
class StripFace;
} // namespace zrm58

namespace zrm58::win32face {

// The settings window: a fixed-size tool window titled "設定" (client 559 x 473) with the
// common controls, shown modally over `owner` and filled from `model`; its handlers call the
// model's. Returns when it has closed, with its values written into `model`. `face` answers
// the file-open dialog the model asks for.
void runSettingsDialog(HWND owner, SettingsModel& model, StripFace& face);

} // namespace zrm58::win32face
