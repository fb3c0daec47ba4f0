#include "faces/qt/DesktopIntegration.h"
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zrm58 {

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/zrm58-%1.png").arg(size), QSize(size, size));
    return icon;
}

void installToolkitTranslations() {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // qtbase holds the dialogs' and the standard buttons' texts; a locale without a
    // translation (English, or one Qt has none for) keeps the built-in English.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"), folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace zrm58
