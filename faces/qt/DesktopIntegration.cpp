#include "faces/qt/DesktopIntegration.h"
#include "texts/Language.h"
#include <QApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QLibraryInfo>
#include <QPainter>
#include <QPixmap>
#include <QTranslator>
#include <algorithm>
#include <iterator>
#include <utility>

namespace zrm58 {

namespace {

// The icon's pictures stay in the embedded resources and are decoded when asked for: the window
// system copies them once into the window's icon property, so keeping them decoded would hold
// about 350 KiB (the 256-pixel picture alone is 256 KiB) for nothing. Read as PNG with the
// format guess off: a reader that may guess loads every image format plugin installed to ask it
// first (about 1 MiB and a dozen libraries at start).
class EmbeddedIconEngine final : public QIconEngine {
public:
    static constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int side : kSizes)
            sizes.append(QSize(side, side));
        return sizes;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = pictureSide(size);
        return QSize(side, side).scaled(size, Qt::KeepAspectRatio);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        QImageReader reader(QStringLiteral(":/icons/zrm58-%1.png").arg(pictureSide(size)), "png");
        reader.setAutoDetectImageFormat(false);
        QImage picture = reader.read();
        if (!picture.isNull() && picture.size() != size)
            picture = picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return QPixmap::fromImage(std::move(picture));
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QIconEngine* clone() const override { return new EmbeddedIconEngine; }
    QString key() const override { return QStringLiteral("zrm58-embedded"); }

private:
    // The smallest picture at least as large as asked, else the largest.
    static int pictureSide(const QSize& size) {
        const int wanted = std::max(size.width(), size.height());
        for (const int side : kSizes)
            if (side >= wanted) return side;
        return kSizes[std::size(kSizes) - 1];
    }
};

} // namespace

QIcon programIcon() {
    return QIcon(new EmbeddedIconEngine);
}

void useProgramIcon() {
    static bool done = false;
    if (std::exchange(done, true)) return;
    QApplication::setWindowIcon(programIcon());
}

void installToolkitTranslations() {
    // The toolkit's dialogs and standard buttons speak the strip's language, never the locale's
    // when that is a third one: qtbase_ja for Japanese, the toolkit's built-in English otherwise.
    if (userLanguage() != Language::Japanese) return;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_ja"), folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace zrm58
