#pragma once
#include <QString>

class QWidget;

namespace zrm58 {

// The toolkit's standard error dialog: error icon, `text` as given (the strip adds the dialog's
// full stop, withFullStop in strip/Strip.h), one OK button. Modal; returns when the user
// dismisses it.
void showStandardError(QWidget* parent, const QString& text);

// The same dialog for a save that failed at the close, with the buttons "keep running" (the
// default, also Escape) and "end without saving". True when the user chose to end.
bool askEndWithoutSaving(QWidget* parent, const QString& text);

} // namespace zrm58
