#pragma once
#include <QColor>
#include <QImage>
#include <QPointF>
#include <QString>
#include <QTimer>
#include <cstdint>

// Plain models of the strip's controls. The strip window paints them; keeping them as data lets
// the appearance steps and the tests see exactly what each step left behind.
namespace zrm58 {

enum class FillKind { Solid, Gradient, Bitmap };

// Rectangle1's fill: one of three kinds, each keeping its own data across kind changes.
struct TFill {
    FillKind kind = FillKind::Solid;
    QRgb color = 0xFFE0E0E0;
    QRgb gradientColor0 = 0xFFE0E0E0; // stop 0, offset 0
    QRgb gradientColor1 = 0xFFE0E0E0; // stop 1, offset 1
    QPointF startPoint{0, 0};         // relative to the rectangle, 0..1 on each axis
    QPointF endPoint{0, 1};
    QImage bitmap; // stretched to the rectangle; an empty picture draws nothing
};

struct TRectangle {
    TFill fill;
    bool strokeOn = true; // a 1-unit outline; switched off for good by a picture background
    QRgb stroke = 0xFF000000;
    qreal radius = 8;

    float opacity() const { return opacity_; }
    // The control limits its opacity to 0..1 (NaN counts as 0).
    void setOpacity(float value) {
        opacity_ = value >= 0.0f ? (value <= 1.0f ? value : 1.0f) : 0.0f;
    }

private:
    float opacity_ = 0.5f;
};

struct TLabel {
    QString text;
    QString family;
    qreal size = 12; // logical pixels
    bool bold = false;
    QRgb color = 0xFF000000;
};

struct TScaledLayout {
    float logicalWidth = 515; // below 1 counts as 1
    float logicalHeight = 33;
};

struct TShadowEffect {
    bool enabled = true;
    QRgb color = 0xFF000000;
    qreal distance = 3;
    qreal directionDegrees = 45;
    qreal softness = 0.3;
    qreal opacity = 0.6;
};

// A repeating timer whose period restarts only when a different interval is set; an interval of
// 0 or below means no timer at all.
class TTimer : public QObject {
    Q_OBJECT
public:
    explicit TTimer(QObject* parent = nullptr);
    int interval() const { return interval_; }
    void setInterval(int ms);
    bool isActive() const { return timer_.isActive(); }

signals:
    void timeout();

private:
    QTimer timer_;
    int interval_ = 1000;
};

} // namespace zrm58
