#pragma once
#include <QString>

class QWidget;

namespace zrm58 {

// The error text as the standard error dialog shows it: a full stop is appended when the text's
// last character lies above U+002E (so a text ending in "." or a space is left alone).
QString withFullStop(const QString& text);

// The toolkit's standard error dialog: error icon, the text, one OK button. Modal; returns when
// the user dismisses it.
void showStandardError(QWidget* parent, const QString& text);

} // namespace zrm58
