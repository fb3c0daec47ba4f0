#include "faces/qt/ColorPicker.h"
#include <QColorDialog>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace zrm58 {

namespace {

QString hexText(QRgb c) {
    return QLatin1Char('#') + QString::number(c, 16).rightJustified(8, QLatin1Char('0')).toUpper();
}

} // namespace

ColourButton::ColourButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false); // Enter in a text field must not open a colour dialog
    setToolTip(hexText(color_));
    connect(this, &QPushButton::clicked, this, &ColourButton::pickColour);
}

void ColourButton::setColor(QRgb color) {
    if (color == color_) return;
    color_ = color;
    setToolTip(hexText(color_));
    update();
    emit colorChanged(color_);
}

void ColourButton::pickColour() {
    // Qt's own dialog: a native one may drop the alpha channel.
    QColorDialog dialog(QColor::fromRgba(color_), this);
    dialog.setOptions(QColorDialog::ShowAlphaChannel | QColorDialog::DontUseNativeDialog);
    if (dialog.exec() == QDialog::Accepted) setColor(dialog.currentColor().rgba());
}

void ColourButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    p.drawControl(QStyle::CE_PushButtonBevel, option);

    const QRect swatch = rect().adjusted(5, 4, -5, -4);
    // Chequerboard under the colour: a translucent colour shows as such.
    constexpr int cell = 4;
    p.setClipRect(swatch);
    for (int y = swatch.top(); y <= swatch.bottom(); y += cell)
        for (int x = swatch.left(); x <= swatch.right(); x += cell) {
            const bool dark = ((x - swatch.left()) / cell + (y - swatch.top()) / cell) % 2;
            p.fillRect(x, y, cell, cell, dark ? QColor(0xC0, 0xC0, 0xC0) : Qt::white);
        }
    p.fillRect(swatch, QColor::fromRgba(color_));
    p.setClipping(false);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(swatch.adjusted(0, 0, -1, -1));
}

} // namespace zrm58
