// Geometry of the logical box and the painting of the strip.
#include "app/Glyphs.h"
#include "app/Unit1.h"
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace zrm58 {
namespace {

constexpr qreal kMargin = 5;

// quotient[sum] = sum / (2 * radius + 1) for every sum a box of 8-bit values reaches: a table
// lookup in the inner loops costs a fraction of a division.
std::vector<std::uint8_t> boxQuotients(int radius) {
    const int span = 2 * radius + 1;
    std::vector<std::uint8_t> q(static_cast<std::size_t>(255 * span + 1));
    for (std::size_t s = 0; s < q.size(); ++s)
        q[s] = static_cast<std::uint8_t>(s / span);
    return q;
}

// One box pass along a row of `count` values, in place; `line` has room for `count`. The
// middle, where the box lies wholly inside the row, runs without the edge clamps.
void boxPassRow(std::uint8_t* row, int count, int radius, const std::uint8_t* quotient, int* line) {
    for (int i = 0; i < count; ++i)
        line[i] = row[i];
    int sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += line[std::clamp(i, 0, count - 1)];
    const int middleBegin = std::min(radius, count),
              middleEnd = std::max(middleBegin, count - radius - 1);
    int i = 0;
    for (; i < middleBegin; ++i) {
        row[i] = quotient[sum];
        sum += line[std::min(i + radius + 1, count - 1)] - line[std::max(i - radius, 0)];
    }
    for (; i < middleEnd; ++i) {
        row[i] = quotient[sum];
        sum += line[i + radius + 1] - line[i - radius];
    }
    for (; i < count; ++i) {
        row[i] = quotient[sum];
        sum += line[std::min(i + radius + 1, count - 1)] - line[std::max(i - radius, 0)];
    }
}

// One box pass down every column of a w x h plane (rows `stride` apart), in place, row by row
// so that memory is read in order.
void boxPassColumns(std::uint8_t* plane, int w, int h, std::ptrdiff_t stride, int radius,
                    const std::uint8_t* quotient, std::vector<std::uint8_t>& copy,
                    std::vector<int>& sums) {
    copy.resize(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        std::copy_n(plane + y * stride, w, copy.begin() + static_cast<std::ptrdiff_t>(y) * w);
    auto row = [&](int y) {
        return copy.data() + static_cast<std::ptrdiff_t>(std::clamp(y, 0, h - 1)) * w;
    };
    sums.assign(static_cast<std::size_t>(w), 0);
    for (int i = -radius; i <= radius; ++i) {
        const std::uint8_t* r = row(i);
        for (int x = 0; x < w; ++x)
            sums[x] += r[x];
    }
    for (int y = 0; y < h; ++y) {
        std::uint8_t* out = plane + y * stride;
        const std::uint8_t* in = row(y + radius + 1);
        const std::uint8_t* outgoing = row(y - radius);
        for (int x = 0; x < w; ++x) {
            out[x] = quotient[sums[x]];
            sums[x] += in[x] - outgoing[x];
        }
    }
}

// `tint` (premultiplied) at every alpha, exactly as a SourceIn fill with it leaves a pixel of
// that alpha: taken from the toolkit's own fill of a ramp.
std::array<QRgb, 256> tintByAlpha(QRgb tint) {
    QImage ramp(256, 1, QImage::Format_ARGB32_Premultiplied);
    auto* px = reinterpret_cast<QRgb*>(ramp.scanLine(0));
    for (int a = 0; a < 256; ++a)
        px[a] = qRgba(0, 0, 0, a);
    {
        QPainter p(&ramp);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(ramp.rect(), QColor::fromRgba(tint));
    }
    std::array<QRgb, 256> table;
    const auto* done = reinterpret_cast<const QRgb*>(ramp.constScanLine(0));
    std::copy_n(done, 256, table.begin());
    return table;
}

// Blurs the alpha of `img` with three box passes each way (close to a Gaussian of the radius in
// pixels), then leaves `tint` at the blurred alpha in every pixel. Only the box around the
// non-transparent pixels, widened by how far three passes spread, is worked on: elsewhere the
// result is transparent anyway.
void blurAndTint(QImage& img, int radius, QRgb tint) {
    const int w = img.width(), h = img.height();
    if (w < 1 || h < 1) return;
    radius = std::max(radius, 0);
    std::vector<std::uint8_t> alpha(static_cast<std::size_t>(w) * h);
    int left = w, right = -1, top = h, bottom = -1;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        std::uint8_t* a = alpha.data() + static_cast<std::ptrdiff_t>(y) * w;
        for (int x = 0; x < w; ++x)
            a[x] = static_cast<std::uint8_t>(qAlpha(row[x]));
        const auto first = std::find_if(a, a + w, [](std::uint8_t v) { return v != 0; });
        if (first == a + w) continue;
        const auto last =
            std::find_if(std::make_reverse_iterator(a + w), std::make_reverse_iterator(first),
                         [](std::uint8_t v) { return v != 0; });
        left = std::min(left, static_cast<int>(first - a));
        right = std::max(right, static_cast<int>(last.base() - a) - 1);
        top = std::min(top, y), bottom = y;
    }
    if (right >= 0 && radius > 0) {
        const int spread = 3 * radius + 1;
        left = std::max(0, left - spread), right = std::min(w - 1, right + spread);
        top = std::max(0, top - spread), bottom = std::min(h - 1, bottom + spread);
        const int bw = right - left + 1, bh = bottom - top + 1;
        const std::vector<std::uint8_t> quotient = boxQuotients(radius);
        std::vector<int> line(static_cast<std::size_t>(bw)), sums;
        std::vector<std::uint8_t> copy;
        std::uint8_t* box = alpha.data() + static_cast<std::ptrdiff_t>(top) * w + left;
        for (int k = 0; k < 3; ++k) {
            for (int y = 0; y < bh; ++y)
                boxPassRow(box + static_cast<std::ptrdiff_t>(y) * w, bw, radius, quotient.data(),
                           line.data());
            boxPassColumns(box, bw, bh, w, radius, quotient.data(), copy, sums);
        }
    }
    const std::array<QRgb, 256> tinted = tintByAlpha(tint);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        const std::uint8_t* a = alpha.data() + static_cast<std::ptrdiff_t>(y) * w;
        for (int x = 0; x < w; ++x)
            row[x] = tinted[a[x]];
    }
}

QFont labelFont(const TLabel& label) {
    QFont f(label.family);
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(label.size))));
    f.setBold(label.bold);
    return f;
}

constexpr int kLabel1Flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

// Everything the shadow layer is made from. The layer is rebuilt only when one of them changes,
// so a repaint for anything but a new line (an expose, the glyph, the compositor) reuses it.
struct ShadowSource {
    QString text;
    QString fontKey;
    QRectF box;         // the text's box, logical units
    QTransform toLayer; // logical units -> layer pixels
    QSize size;         // of the layer, in device pixels
    int blur = 0;
    int textAlpha = 0; // the text casts the shadow at its own alpha: a transparent one casts none
    QRgb color = 0;
    qreal dpr = 1;
    bool operator==(const ShadowSource&) const = default;
};

// The shadow of the text: its glyphs drawn into a device-pixel layer, blurred and tinted. One
// strip per process, so one layer is kept.
const QImage& shadowLayer(const ShadowSource& source, const QFont& font) {
    static ShadowSource made;
    static QImage layer;
    if (!layer.isNull() && source == made) return layer;
    if (layer.size() != source.size)
        layer = QImage(source.size, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(1);
    layer.fill(Qt::transparent);
    {
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::TextAntialiasing);
        lp.setTransform(source.toLayer);
        lp.setFont(font);
        lp.setPen(QColor(0, 0, 0, source.textAlpha));
        lp.drawText(source.box, kLabel1Flags, source.text);
    }
    blurAndTint(layer, source.blur, source.color);
    layer.setDevicePixelRatio(source.dpr);
    made = source;
    return layer;
}

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

QRectF TForm1::speedButtonRect() const {
    return QRectF(0, 0, 33, ScaledLayout1.logicalHeight);
}

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
            brush.setTransform(
                QTransform::fromTranslate(r.left(), r.top()).scale(r.width(), r.height()));
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
            // The shadow layer drawn shifted by the effect's distance in its direction.
            const int blur =
                std::max(1, static_cast<int>(std::lround(ShadowEffect1.softness * 5 * dpr * sy)));
            const QRectF dev = t.mapRect(l1);
            const QSize size(qCeil(dev.width() * dpr) + 4 * blur,
                             qCeil(dev.height() * dpr) + 4 * blur);
            const QTransform lt = t * QTransform::fromTranslate(-dev.left(), -dev.top()) *
                                  QTransform::fromScale(dpr, dpr) *
                                  QTransform::fromTranslate(2 * blur, 2 * blur);
            const QImage& layer = shadowLayer({Label1.text, font.key(), l1, lt, size, blur,
                                               qAlpha(Label1.color), ShadowEffect1.color, dpr},
                                              font);
            const qreal rad = qDegreesToRadians(ShadowEffect1.directionDegrees);
            const QPointF shift(ShadowEffect1.distance * std::cos(rad) * sx,
                                ShadowEffect1.distance * std::sin(rad) * sy);
            p.save();
            p.resetTransform();
            p.setOpacity(ShadowEffect1.opacity); // the tint carries the colour's own alpha
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
