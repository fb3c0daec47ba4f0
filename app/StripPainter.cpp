// Geometry of the logical box and the painting of the strip.
#include "app/Glyphs.h"
#include "app/Unit1.h"
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace zrm58 {
namespace {

constexpr qreal kMargin = 5;

// One box pass over `count` alpha values `stride` apart, in place; `line` has room for `count`.
void boxPass(std::uint8_t* first, int count, std::ptrdiff_t stride, int radius, int* line) {
    for (int i = 0; i < count; ++i)
        line[i] = first[i * stride];
    int sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += line[std::clamp(i, 0, count - 1)];
    for (int i = 0; i < count; ++i) {
        first[i * stride] = static_cast<std::uint8_t>(sum / (2 * radius + 1));
        sum += line[std::min(i + radius + 1, count - 1)] - line[std::max(i - radius, 0)];
    }
}

// Blurs the alpha of `img` (premultiplied, one colour) with three box passes, close to a
// Gaussian of the given radius in pixels; leaves black at the blurred alpha. The passes run on a
// plain copy of the alpha: this runs on every change of the line, and per-pixel QImage access
// cost several times the blur itself.
void blurImage(QImage& img, int radius) {
    const int w = img.width(), h = img.height();
    if (radius < 1 || w < 1 || h < 1) return;
    std::vector<std::uint8_t> alpha(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x)
            alpha[static_cast<std::size_t>(y) * w + x] = qAlpha(row[x]);
    }
    std::vector<int> line(static_cast<std::size_t>(std::max(w, h)));
    for (int k = 0; k < 3; ++k) {
        for (int y = 0; y < h; ++y)
            boxPass(&alpha[static_cast<std::size_t>(y) * w], w, 1, radius, line.data());
        for (int x = 0; x < w; ++x)
            boxPass(&alpha[x], h, w, radius, line.data());
    }
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgba(0, 0, 0, alpha[static_cast<std::size_t>(y) * w + x]);
    }
}

QFont labelFont(const TLabel& label) {
    QFont f(label.family);
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(label.size))));
    f.setBold(label.bold);
    return f;
}

constexpr int kLabel1Flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

} // namespace

QRectF TForm1::layoutRect() const {
    return QRectF(kMargin, kMargin, std::max<qreal>(0, width() - 2 * kMargin),
                  std::max<qreal>(0, height() - 2 * kMargin));
}

QPointF TForm1::toLayout(QPointF p) const {
    const QRectF r = layoutRect();
    const qreal lw = std::max(1.0f, ScaledLayout1.logicalWidth);
    const qreal lh = std::max(1.0f, ScaledLayout1.logicalHeight);
    return QPointF((p.x() - r.left()) * lw / std::max<qreal>(r.width(), 1e-9),
                   (p.y() - r.top()) * lh / std::max<qreal>(r.height(), 1e-9));
}

QPointF TForm1::fromLayout(QPointF p) const {
    const QRectF r = layoutRect();
    const qreal lw = std::max(1.0f, ScaledLayout1.logicalWidth);
    const qreal lh = std::max(1.0f, ScaledLayout1.logicalHeight);
    return QPointF(r.left() + p.x() * r.width() / lw, r.top() + p.y() * r.height() / lh);
}

QRectF TForm1::speedButtonRect() const { return QRectF(0, 0, 33, ScaledLayout1.logicalHeight); }

QRectF TForm1::label1Rect() const {
    return QRectF(33, 0, ScaledLayout1.logicalWidth - 66, ScaledLayout1.logicalHeight);
}

QRectF TForm1::label2Rect() const {
    return QRectF(ScaledLayout1.logicalWidth - 6 - 27, 0, 27, ScaledLayout1.logicalHeight);
}

void TForm1::invalidateBackground() {
    backgroundCache_ = QImage();
    update();
}

void TForm1::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const qreal dpr = devicePixelRatioF();
    // Rectangle1 is drawn whole into a layer first, so that its opacity applies to fill and
    // outline together; the layer is kept until size or look change.
    const QSize px(qCeil(width() * dpr), qCeil(height() * dpr));
    if (backgroundCache_.size() != px) {
        backgroundCache_ = QImage(px, QImage::Format_ARGB32_Premultiplied);
        backgroundCache_.setDevicePixelRatio(dpr);
        backgroundCache_.fill(Qt::transparent);
        QPainter bp(&backgroundCache_);
        bp.setRenderHint(QPainter::Antialiasing);
        bp.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF r = layoutRect();
        QPainterPath path;
        path.addRoundedRect(r, Rectangle1.radius, Rectangle1.radius);
        const TFill& f = Rectangle1.fill;
        if (f.kind == FillKind::Solid) {
            bp.fillPath(path, QColor::fromRgba(f.color));
        } else if (f.kind == FillKind::Gradient) {
            // The gradient lives in the rectangle's relative coordinates (0..1 on each axis):
            // its lines of equal colour are at right angles there, so a diagonal runs from
            // corner to corner whatever the strip's aspect ratio.
            QLinearGradient g(f.startPoint, f.endPoint);
            g.setColorAt(0, QColor::fromRgba(f.gradientColor0));
            g.setColorAt(1, QColor::fromRgba(f.gradientColor1));
            QBrush brush(g);
            brush.setTransform(QTransform::fromTranslate(r.left(), r.top())
                                   .scale(r.width(), r.height()));
            bp.fillPath(path, brush);
        } else if (!f.bitmap.isNull()) {
            bp.setClipPath(path);
            bp.drawImage(r, f.bitmap);
            bp.setClipping(false);
        }
        if (Rectangle1.strokeOn) {
            bp.setPen(QPen(QColor::fromRgba(Rectangle1.stroke), 1));
            bp.setBrush(Qt::NoBrush);
            const QRectF inner = r.adjusted(0.5, 0.5, -0.5, -0.5);
            bp.drawRoundedRect(inner, Rectangle1.radius - 0.5, Rectangle1.radius - 0.5);
        }
    }
    p.setOpacity(Rectangle1.opacity());
    p.drawImage(0, 0, backgroundCache_);
    p.setOpacity(1.0);

    // The logical box, scaled axis by axis into the area inside the margin.
    const QRectF r = layoutRect();
    const qreal sx = r.width() / std::max(1.0f, ScaledLayout1.logicalWidth);
    const qreal sy = r.height() / std::max(1.0f, ScaledLayout1.logicalHeight);
    QTransform t;
    t.translate(r.left(), r.top());
    t.scale(sx, sy);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setTransform(t);

    glyphs::drawGlyphText(p, speedButtonRect(), SpeedButton1.text, SpeedButton1.size,
                          QColor::fromRgba(SpeedButton1.color));

    const QRectF l1 = label1Rect();
    if (l1.width() > 0 && !Label1.text.isEmpty()) {
        const QFont font = labelFont(Label1);
        if (ShadowEffect1.enabled) {
            // The shadow: the glyphs drawn into a device-pixel layer, blurred, tinted and drawn
            // shifted by the effect's distance in its direction.
            const int blur = std::max(1, static_cast<int>(std::lround(ShadowEffect1.softness *
                                                                      5 * dpr * sy)));
            const QRectF dev = t.mapRect(l1);
            const QSize size(qCeil(dev.width() * dpr) + 4 * blur,
                             qCeil(dev.height() * dpr) + 4 * blur);
            QImage layer(size, QImage::Format_ARGB32_Premultiplied);
            layer.fill(Qt::transparent);
            {
                QPainter lp(&layer);
                lp.setRenderHint(QPainter::TextAntialiasing);
                QTransform lt = t * QTransform::fromTranslate(-dev.left(), -dev.top()) *
                                QTransform::fromScale(dpr, dpr) *
                                QTransform::fromTranslate(2 * blur, 2 * blur);
                lp.setTransform(lt);
                lp.setFont(font);
                // The text casts the shadow as it is drawn: a transparent colour casts none.
                lp.setPen(QColor(0, 0, 0, qAlpha(Label1.color)));
                lp.drawText(l1, kLabel1Flags, Label1.text);
            }
            blurImage(layer, blur);
            {
                QPainter tint(&layer);
                tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
                tint.fillRect(layer.rect(), QColor::fromRgba(ShadowEffect1.color));
            }
            const qreal rad = qDegreesToRadians(ShadowEffect1.directionDegrees);
            const QPointF shift(ShadowEffect1.distance * std::cos(rad) * sx,
                                ShadowEffect1.distance * std::sin(rad) * sy);
            p.save();
            p.resetTransform();
            p.setOpacity(ShadowEffect1.opacity); // the tint carries the colour's own alpha
            layer.setDevicePixelRatio(dpr);
            p.drawImage(dev.topLeft() + shift - QPointF(2 * blur, 2 * blur) / dpr, layer);
            p.restore();
        }
        p.setFont(font);
        p.setPen(QColor::fromRgba(Label1.color));
        p.drawText(l1, kLabel1Flags, Label1.text);
    }

    QFont glyphFont(Label2.family);
    p.setFont(glyphFont);
    glyphs::drawGlyphText(p, label2Rect(), Label2.text, Label2.size,
                          QColor::fromRgba(Label2.color));
}

} // namespace zrm58
