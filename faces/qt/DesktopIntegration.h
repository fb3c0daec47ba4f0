#pragma once
#include <QIcon>

namespace zrm58 {

// The program's own icon (the one the desktop entry names), from the embedded resources, for the
// window-manager icon of every window of the program.
QIcon programIcon();

// Gives every window of the program its icon (QApplication::setWindowIcon), the first time it is
// called. Decoding the pictures and handing some 350 KiB of them to the window system takes
// milliseconds that the strip's first appearance need not wait for: the strip calls it after its
// first paint, and every box that may show before that calls it first.
void useProgramIcon();

// The toolkit's own texts (the colour and file dialogs, the standard buttons) in the user's
// language: Qt's translations for the system locale, where installed. The strip's own texts stay
// as they are.
void installToolkitTranslations();

} // namespace zrm58
