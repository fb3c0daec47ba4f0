// How the appearance settings turn into the strip's look.
#include "settings/Utf.h"
#include "strip/LineFit.h"
#include "strip/PictureFile.h"
#include "strip/Strip.h"
#include "texts/Texts.h"

namespace zrm58 {

void Strip::UpdateBackground() {
    BoxFill& fill = Rectangle1.fill;
    if (isGazou) {
        // An empty path, a missing file or a directory changes nothing at all. Read without
        // blocking and from a regular file only: a FIFO or a device named here would hold the
        // strip in the open before it shows; it fails like a file that holds no picture. The
        // bytes bound is the largest decoded picture a face is expected to take.
        if (GazouFile.empty()) return;
        constexpr std::size_t kMaxPictureBytes = std::size_t{256} << 20;
        const std::string path = toUtf8(GazouFile);
        bool decoded = false;
        {
            const FileRead read = files().readRegularFile(path, kMaxPictureBytes);
            const PictureFile file = pictureFile(read);
            if (file == PictureFile::Absent) return;
            decoded = file == PictureFile::Read && face_.loadBackgroundPicture(path, *read.bytes);
        } // the file's bytes go here, before an error box waits
        if (!decoded) {
            // The file is there but no picture could be decoded from it: say so, and keep what
            // the strip showed before.
            face_.showError(
                withFullStop(fillText(localText(TextId::PictureNotLoaded), {GazouFile})));
            return;
        }
        Rectangle1.strokeOn = false;
        fill.kind = FillKind::Bitmap;
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
    face_.repaintBackground();
}

void Strip::applyStartWidth() {
    OriginalWidth = 515;
    ScaledLayout1.logicalWidth = static_cast<float>(MuWidth * 515.0);
    face_.repaint();
}

void Strip::applyDialogWidth() {
    OriginalWidth = linefit::layoutWidthFor(MuWidth);
    resizeGuarded(OriginalWidth + 10, placed_.height);
    ScaledLayout1.logicalWidth = static_cast<float>(OriginalWidth);
    face_.repaint();
}

void Strip::applyBold() {
    Label1.bold = isBold;
    face_.repaint();
}

void Strip::applyTextColours() {
    Label1.color = FontColor;
    Label2.color = FontColor;
    SpeedButton1.color = FontColor;
    face_.repaint();
}

void Strip::applyWindowStyle() {
    face_.setStaysOnTop(IsTop);
}

void Strip::applyTaskBar() {
    // At start only: a change in the settings window takes effect at the next start.
    if (!isShowTask) face_.setTaskBarButton(false);
}

void Strip::applyFontFamily() {
    Label1.family = FontFamilyName;
    face_.repaint();
}

void Strip::applyShadow(bool enabled) {
    ShadowEffect1.enabled = enabled;
    face_.repaint();
}

} // namespace zrm58
