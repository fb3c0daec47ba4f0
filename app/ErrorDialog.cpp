#include "app/ErrorDialog.h"
#include <QMessageBox>

namespace zrm58 {

QString withFullStop(const QString& text) {
    if (!text.isEmpty() && text.back().unicode() > 0x2E) return text + QLatin1Char('.');
    return text;
}

void showStandardError(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("ZRM58"), withFullStop(text),
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("standardErrorDialog"));
    box.exec();
}

} // namespace zrm58
