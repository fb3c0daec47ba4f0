#pragma once
#include <QIcon>

namespace zrm58 {

// The program's own icon (the one the desktop entry names), from the embedded resources, for the
// window-manager icon of every window of the program.
QIcon programIcon();

// The toolkit's own texts (the colour and file dialogs, the standard buttons) in the user's
// language: Qt's translations for the system locale, where installed. The strip's own texts stay
// as they are.
void installToolkitTranslations();

} // namespace zrm58
