// How the appearance settings turn into the strip's look.
#include "app/ErrorDialog.h"
#include "app/LineFit.h"
#include "app/Unit1.h"
#include "app/WindowSystem.h"
#include "settings/SettingsFile.h"
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <cmath>

namespace zrm58 {

void TForm1::UpdateBackground() {
    TFill& fill = Rectangle1.fill;
    if (isGazou) {
        const QFileInfo info(GazouFile);
        // A missing file, an empty path or a directory changes nothing at all.
        if (GazouFile.isEmpty() || !info.exists() || info.isDir()) return;
        const TRectangle before = Rectangle1;
        Rectangle1.strokeOn = false;
        fill.kind = FillKind::Bitmap;
        // Read without blocking and from a regular file only: a FIFO or a device named here
        // would hold the strip in the open before it shows; it fails like a file that holds no
        // picture. The bytes bound is Qt's own default limit for a decoded picture.
        constexpr std::size_t kMaxPictureBytes = std::size_t{256} << 20;
        const FileRead read = systemFileStore().readRegularFile(
            QFile::encodeName(GazouFile).toStdString(), kMaxPictureBytes);
        QImage picture;
        if (read.bytes) {
            QBuffer buffer;
            buffer.setData(read.bytes->data(), static_cast<qsizetype>(read.bytes->size()));
            QImageReader reader(&buffer, info.suffix().toLatin1());
            picture = reader.read();
        }
        if (picture.isNull()) {
            // The file is there but no picture could be decoded from it: say so, and keep what
            // the strip showed before.
            Rectangle1 = before;
            showStandardError(
                this, QStringLiteral("ビットマップの読み込みに失敗しました (%1)。").arg(GazouFile));
            return;
        }
        fill.bitmap = std::move(picture);
    } else if (isGradient) {
        fill.kind = FillKind::Gradient;
        fill.gradientColor0 = BC0;
        fill.gradientColor1 = BC1;
        switch (Direction) {
        case 0:
            fill.startPoint = {0, 0}, fill.endPoint = {0, 1};
            break; // top to bottom
        case 1:
            fill.startPoint = {0, 0}, fill.endPoint = {1, 0};
            break; // left to right
        case 2:
            fill.startPoint = {0, 0}, fill.endPoint = {1, 1};
            break; // diagonal
        default:
            break; // keep the geometry the gradient had
        }
    } else {
        fill.kind = FillKind::Solid;
        fill.color = BC0;
    }
    invalidateBackground();
}

void TForm1::applyStartWidth() {
    OriginalWidth = 515;
    ScaledLayout1.logicalWidth = static_cast<float>(MuWidth * 515.0);
    update();
}

void TForm1::applyDialogWidth() {
    OriginalWidth = linefit::layoutWidthFor(MuWidth);
    resizeGuarded(OriginalWidth + 10, height());
    ScaledLayout1.logicalWidth = static_cast<float>(OriginalWidth);
    update();
}

void TForm1::applyBold() {
    Label1.bold = isBold;
    update();
}

void TForm1::applyTextColours() {
    Label1.color = FontColor;
    Label2.color = FontColor;
    SpeedButton1.color = FontColor;
    update();
}

void TForm1::applyWindowStyle() {
    windowSystem().setStaysOnTop(this, IsTop);
}

void TForm1::applyTaskBar() {
    // At start only: a change in the settings window takes effect at the next start.
    if (!isShowTask) windowSystem().setSkipTaskbar(this, true);
}

void TForm1::applyFontFamily() {
    Label1.family = FontFamilyName;
    update();
}

void TForm1::applyShadow(bool enabled) {
    ShadowEffect1.enabled = enabled;
    update();
}

} // namespace zrm58
