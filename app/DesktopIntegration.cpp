#include "app/DesktopIntegration.h"
#include <QCoreApplication>
#include <QImageReader>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTranslator>

namespace zrm58 {

QIcon programIcon() {
    QIcon icon;
    // Read as PNG with the format guess off: QIcon::addFile(), and a reader that may guess,
    // load every image format plugin installed to ask it first (about 1 MiB and a dozen
    // libraries at start).
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QImageReader reader(QStringLiteral(":/icons/zrm58-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
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
