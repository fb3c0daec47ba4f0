#include "faces/qt/ScreenPlacement.h"
#include "faces/qt/StripWindow.h"

namespace zrm58 {

void comeForward(TForm1& strip) {
    strip.strip().bringWholeOnScreen();
    strip.showNormal();
    strip.raise();
    strip.activateWindow();
}

} // namespace zrm58
