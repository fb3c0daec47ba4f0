#include "faces/qt/ErrorDialog.h"
#include <QMessageBox>

namespace zrm58 {

void showStandardError(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("ZRM58"), text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("standardErrorDialog"));
    box.exec();
}

} // namespace zrm58
