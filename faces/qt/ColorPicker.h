#pragma once
#include <QPushButton>
#include <QRgb>

namespace zrm58 {

// A colour picker for a 32-bit ARGB colour: a swatch showing the colour over a chequerboard (so
// that its alpha shows), which opens the toolkit's colour dialog with its alpha channel and its
// hexadecimal field. Every channel, alpha included, is kept exactly as set or picked.
class ColourButton : public QPushButton {
    Q_OBJECT
public:
    explicit ColourButton(QWidget* parent = nullptr);

    QRgb color() const { return color_; }
    void setColor(QRgb color);

    // Opens the colour dialog on the current colour; a confirmed choice becomes the colour.
    void pickColour();

signals:
    void colorChanged(QRgb color);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QRgb color_ = 0xFF000000;
};

} // namespace zrm58
