#include "faces/qt/ErrorDialog.h"
#include "faces/qt/DesktopIntegration.h"
#include "faces/qt/QtText.h"
#include "strip/StripFace.h"
#include "texts/Texts.h"
#include <QMessageBox>
#include <QPushButton>

namespace zrm58 {

void showStandardError(QWidget* parent, const QString& text) {
    useProgramIcon();
    QMessageBox box(QMessageBox::Critical, QStringLiteral("ZRM58"), text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("standardErrorDialog"));
    box.exec();
}

bool askEndWithoutSaving(QWidget* parent, const QString& text) {
    useProgramIcon();
    QMessageBox box(QMessageBox::Critical, QStringLiteral("ZRM58"), text, QMessageBox::NoButton,
                    parent);
    box.setObjectName(QStringLiteral("failedSaveAtCloseDialog"));
    QPushButton* keep =
        box.addButton(toQString(localText(TextId::KeepRunningButton)), QMessageBox::RejectRole);
    QPushButton* end = box.addButton(toQString(localText(TextId::EndWithoutSavingButton)),
                                     QMessageBox::DestructiveRole);
    keep->setObjectName(QStringLiteral("keepRunning"));
    end->setObjectName(QStringLiteral("endWithoutSaving"));
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == end;
}

} // namespace zrm58
