#include "faces/qt/ExitSave.h"
#include "faces/qt/StripWindow.h"
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace zrm58 {
namespace {

void saveAtExit() {
    TForm1* strip = Form1;
    if (!strip) return; // the strip ended normally and was destroyed: nothing to do
    Form1 = nullptr;    // once only, even if the save itself ends the process
    try {
        strip->strip().WriteIniFile();
        std::fputs("zrm58: the display went away; the settings were saved\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zrm58: the display went away; saving the settings failed: %s\n",
                     e.what());
    }
}

} // namespace

void saveSettingsAtAbruptExit() {
    static bool registered = false;
    if (registered) return;
    registered = std::atexit(saveAtExit) == 0;
}

} // namespace zrm58
