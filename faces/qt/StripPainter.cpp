// Geometry of the logical box and the painting of the strip.
#include "drawing/ShadowBlur.h"
#include "faces/qt/Glyphs.h"
#include "faces/qt/LineDrawing.h"
#include "faces/qt/QtText.h"
#include "faces/qt/StripWindow.h"
#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace zrm58 {
namespace {

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

// Blurs the alpha of `img` (the shared blur of the text shadow), then leaves `tint` at the
// blurred alpha in every pixel.
void blurAndTint(QImage& img, int radius, QRgb tint) {
    const int w = img.width(), h = img.height();
    if (w < 1 || h < 1) return;
    std::vector<std::uint8_t> alpha(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        std::uint8_t* a = alpha.data() + static_cast<std::ptrdiff_t>(y) * w;
        for (int x = 0; x < w; ++x)
            a[x] = static_cast<std::uint8_t>(qAlpha(row[x]));
    }
    blurAlphaPlane(alpha.data(), w, h, radius);
    // The table is made by painting: kept while the tint stays.
    static QRgb tintOfTable = 0;
    static std::array<QRgb, 256> tinted = tintByAlpha(0);
    if (tint != tintOfTable) tinted = tintByAlpha(tint), tintOfTable = tint;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        const std::uint8_t* a = alpha.data() + static_cast<std::ptrdiff_t>(y) * w;
        for (int x = 0; x < w; ++x)
            row[x] = tinted[a[x]];
    }
}

// A label's font with what a tick asks of it: made again only when family, size or weight
// change, since building a font and its key costs more than the rest of a tick's bookkeeping.
struct LabelFont {
    std::u16string family;
    double size = -1;
    bool bold = false;
    QFont font;
    QString key;       // font.key(): the layouts' and the shadow's cache key
    int pixelSize = 0; // as the font engine resolved it
};

// Fonts and layouts hold the toolkit's font engines: they go with the application, not after it.
void releaseWithApplication();

std::unique_ptr<LabelFont> keptFont;

const LabelFont& labelFont(const LineText& label) {
    releaseWithApplication();
    if (!keptFont || keptFont->size != label.size || keptFont->bold != label.bold ||
        keptFont->family != label.family) {
        QFont f(toQString(label.family));
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(label.size))));
        f.setBold(label.bold);
        keptFont = std::make_unique<LabelFont>(
            LabelFont{label.family, label.size, label.bold, f, f.key(), QFontInfo(f).pixelSize()});
    }
    return *keptFont;
}

// A span of box x (logical units, from the box's left edge).
using Span = std::pair<qreal, qreal>;

// Label1's text laid out the way a left-aligned, vertically centred, word-wrapped drawText()
// lays it out, kept while text, font and width stay: the text, its shadow and the area a new
// line repaints all use this one layout instead of shaping the line again each.
struct LineLayout {
    QString text;
    QString fontKey;
    int pixelSize = 0; // the font's, as resolved
    qreal width = -1;
    qreal height = -1;
    QTextLayout layout;
    QPointF origin; // of the layout within the box: drawText's vertical centring
    // The runs changed since the layout it followed (spansSince), worked out once: the change
    // area and the shadow's band ask for the same.
    mutable const LineLayout* spansFrom = nullptr;
    mutable std::optional<std::vector<Span>> spans;
};

std::unique_ptr<LineLayout> laidOut(const QString& text, const LabelFont& labelFont,
                                    const QRectF& box) {
    const QFont& font = labelFont.font;
    auto l = std::make_unique<LineLayout>();
    l->text = text;
    l->fontKey = labelFont.key;
    l->pixelSize = labelFont.pixelSize;
    l->width = box.width();
    l->height = box.height();
    l->layout.setText(text);
    l->layout.setFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    l->layout.setTextOption(option);
    l->layout.setCacheEnabled(true);
    // The lines are stacked as drawText() stacks them: each on a whole pixel, the leading
    // between them, the block's height rounded up, then centred in the box.
    const qreal leading = QFontMetricsF(font).leading();
    qreal height = -leading;
    l->layout.beginLayout();
    for (QTextLine line = l->layout.createLine(); line.isValid(); line = l->layout.createLine()) {
        line.setLineWidth(std::max<qreal>(0, box.width()));
        height += leading;
        height = qCeil(height);
        line.setPosition(QPointF(0, height));
        height += line.ascent() + line.descent();
    }
    l->layout.endLayout();
    height = qCeil(height);
    l->origin = QPointF(box.x(), box.y() + (box.height() - height) / 2);
    return l;
}

// The one strip's current and previous line layouts.
std::unique_ptr<LineLayout> currentLine, previousLine;

void releaseWithApplication() {
    static const bool registered = [] {
        qAddPostRoutine([] {
            currentLine.reset();
            previousLine.reset();
            keptFont.reset();
        });
        return true;
    }();
    Q_UNUSED(registered);
}

const LineLayout& lineLayout(const QString& text, const LabelFont& font, const QRectF& box) {
    if (!currentLine || currentLine->text != text || currentLine->fontKey != font.key ||
        currentLine->width != box.width() || currentLine->height != box.height()) {
        previousLine = std::move(currentLine);
        currentLine = laidOut(text, font, box);
    }
    currentLine->origin.setX(box.x());
    return *currentLine;
}

// The spans of box x in which `before` and `after` differ, each widened by `margin`, left to
// right: the runs of the line that changed (the seconds every tick, the load figure often, the
// date once a day), with the glyphs between them left where they stand. A run ends where the
// texts agree again for a few characters that stand at the same x in both; when none do, it
// runs to the end of the line (a run that changed width moved everything after it). Empty when
// either text lays out on more than one line or may be reordered (everything may move then).
std::optional<std::vector<Span>> changedSpans(const LineLayout& before, const LineLayout& after,
                                              qreal margin) {
    if (before.layout.lineCount() != 1 || after.layout.lineCount() != 1 ||
        before.fontKey != after.fontKey || before.width != after.width || mayReorder(before.text) ||
        mayReorder(after.text))
        return std::nullopt;
    const QString &a = before.text, &b = after.text;
    const QTextLine la = before.layout.lineAt(0), lb = after.layout.lineAt(0);
    constexpr qsizetype kAgreeing = 3; // characters that must agree for a run to end
    const auto sameX = [&](qsizetype i, qsizetype j) {
        return qFuzzyCompare(1 + la.cursorToX(int(i)), 1 + lb.cursorToX(int(j)));
    };
    const auto agreeAt = [&](qsizetype i, qsizetype j) {
        if (i + kAgreeing > a.size() || j + kAgreeing > b.size() || a[i].isLowSurrogate())
            return false;
        return QStringView(a).mid(i, kAgreeing) == QStringView(b).mid(j, kAgreeing) && sameX(i, j);
    };
    std::vector<Span> spans;
    qsizetype i = 0, j = 0; // in step: a[i] and b[j] stand at the same x
    for (;;) {
        while (i < a.size() && j < b.size() && a[i] == b[j])
            ++i, ++j;
        if (i == a.size() && j == b.size()) break;
        if (i > 0 && i < a.size() && a[i].isLowSurrogate()) --i, --j;
        const qreal left = std::min(la.cursorToX(int(i)), lb.cursorToX(int(j)));
        // The nearest place where the texts agree again, fewest characters skipped first.
        std::optional<std::pair<qsizetype, qsizetype>> again;
        const qsizetype most = (a.size() - i) + (b.size() - j);
        for (qsizetype skipped = 1; !again && skipped <= most; ++skipped)
            for (qsizetype inA = 0; inA <= skipped; ++inA)
                if (agreeAt(i + inA, j + skipped - inA)) {
                    again = std::make_pair(i + inA, j + skipped - inA);
                    break;
                }
        if (!again) {
            spans.emplace_back(left, std::max(la.naturalTextWidth(), lb.naturalTextWidth()));
            break;
        }
        std::tie(i, j) = *again;
        spans.emplace_back(left, la.cursorToX(int(i)));
    }
    for (Span& s : spans)
        s = {s.first - margin, s.second + margin};
    return spans;
}

// changedSpans from `before` to `after`, an em of the font wide on each side, kept with `after`.
// The line before a layout is replaced only with that layout, so `before` stays the same object
// while `after` is current.
const std::optional<std::vector<Span>>& spansSince(const LineLayout& before,
                                                   const LineLayout& after) {
    if (after.spansFrom != &before) {
        after.spans = changedSpans(before, after, after.pixelSize);
        after.spansFrom = &before;
    }
    return after.spans;
}

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
    bool sameButText(const ShadowSource& o) const {
        ShadowSource copy = o;
        copy.text = text;
        return copy == *this;
    }
};

// The text's glyphs drawn from `line` into `img` (whose column 0 is layer column `fromX`),
// blurred and tinted.
void renderShadow(QImage& img, const ShadowSource& source, const LineLayout& line, int fromX) {
    img.fill(Qt::transparent);
    {
        QPainter lp(&img);
        lp.setRenderHint(QPainter::TextAntialiasing);
        lp.setTransform(source.toLayer * QTransform::fromTranslate(-fromX, 0));
        lp.setPen(QColor(0, 0, 0, source.textAlpha));
        drawLineWithin(lp, line.layout, line.text, line.origin, line.pixelSize,
                       lp.transform().inverted().mapRect(QRectF(img.rect())));
    }
    blurAndTint(img, source.blur, source.color);
}

// The shadow of the text: its glyphs drawn into a device-pixel layer, blurred and tinted. One
// strip per process, so one layer is kept. When only the text changed on one line, only the
// columns its changed glyphs reach are made again: the three box passes of the blur reach 3 x
// the radius, so those columns are blurred from a band that reaches that far beyond them on
// each side, and come out as the whole layer's blur would make them.
const QImage& shadowLayer(const ShadowSource& source, const LineLayout& line,
                          const LineLayout* before) {
    static ShadowSource made;
    static QImage layer;
    if (!layer.isNull() && source == made) return layer;
    const std::vector<Span>* spans = nullptr;
    if (before && !layer.isNull() && source.sameButText(made) && before->text == made.text)
        if (const std::optional<std::vector<Span>>& since = spansSince(*before, line))
            spans = &*since;
    if (spans) {
        // Each run's columns, with the blur's reach on each side; runs whose columns come near
        // are made as one.
        const int reach = 3 * std::max(source.blur, 0) + 1;
        std::vector<std::pair<int, int>> keep;
        for (const Span& span : *spans) {
            const qreal x0 = source.toLayer.map(QPointF(line.origin.x() + span.first, 0)).x();
            const qreal x1 = source.toLayer.map(QPointF(line.origin.x() + span.second, 0)).x();
            const int from = std::max(0, qFloor(x0) - reach);
            const int to = std::min(layer.width(), qCeil(x1) + reach);
            if (to <= from) continue;
            if (!keep.empty() && from <= keep.back().second + 2 * reach)
                keep.back().second = std::max(keep.back().second, to);
            else
                keep.emplace_back(from, to);
        }
        for (const auto& [keepFrom, keepTo] : keep) {
            const int bandFrom = std::max(0, keepFrom - reach);
            const int bandTo = std::min(layer.width(), keepTo + reach);
            QImage band(bandTo - bandFrom, layer.height(), QImage::Format_ARGB32_Premultiplied);
            renderShadow(band, source, line, bandFrom);
            for (int y = 0; y < layer.height(); ++y)
                std::copy_n(
                    reinterpret_cast<const QRgb*>(band.constScanLine(y)) + (keepFrom - bandFrom),
                    keepTo - keepFrom, reinterpret_cast<QRgb*>(layer.scanLine(y)) + keepFrom);
        }
        made = source;
        return layer;
    }
    if (layer.size() != source.size)
        layer = QImage(source.size, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(1);
    renderShadow(layer, source, line, 0);
    layer.setDevicePixelRatio(source.dpr);
    made = source;
    return layer;
}

} // namespace

double TForm1::lineWidth(const QString& text) const {
    QTextLayout layout(text, labelFont(strip_.view().Label1).font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    return line.isValid() ? line.naturalTextWidth() : 0;
}

QRegion TForm1::changeArea(const QString& was, const QString& now) {
    const StripView v = strip_.view();
    const QRectF l1 = toQRectF(v.label1Rect());
    if (was.isEmpty() || now.isEmpty() || l1.width() <= 0) return rect();
    const TextShadow& ShadowEffect1 = v.ShadowEffect1;
    const LabelFont& font = labelFont(v.Label1);
    lineLayout(was, font, l1);
    const LineLayout& next = lineLayout(now, font, l1);
    const std::optional<std::vector<Span>>& spans = spansSince(*previousLine, next);
    if (!spans) return rect();
    // The shadow is drawn shifted right and blurred: three box passes of its radius reach past
    // the glyphs on either side.
    qreal before = 2, beyond = 2;
    if (ShadowEffect1.enabled) {
        const BoxPlacement box = strip_.placement();
        const qreal dpr = devicePixelRatioF();
        const int blur = ShadowEffect1.blurRadius(box.scaleY, dpr);
        const qreal spread = (3 * blur + 1) / dpr;
        const qreal shift = ShadowEffect1.offset(box.scaleX, box.scaleY).x;
        before += std::max<qreal>(0, spread - shift);
        beyond += spread + std::max<qreal>(0, shift);
    }
    QRegion area;
    for (const Span& span : *spans) {
        const qreal left = fromLayout(QPointF(next.origin.x() + span.first, 0)).x();
        const qreal right = fromLayout(QPointF(next.origin.x() + span.second, 0)).x();
        area |= QRect(QPoint(qFloor(left - before), 0), QPoint(qCeil(right + beyond), height() - 1))
                    .intersected(rect());
    }
    return area;
}

void TForm1::invalidateBackground() {
    backgroundCache_ = QImage();
    update();
}

void TForm1::paintEvent(QPaintEvent* e) {
    const StripView v = strip_.view();
    const RoundedBox& Rectangle1 = v.Rectangle1;
    const LineText &Label1 = v.Label1, &Label2 = v.Label2, &SpeedButton1 = v.SpeedButton1;
    const TextShadow& ShadowEffect1 = v.ShadowEffect1;
    const BoxPlacement box = strip_.placement();
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
        const QRectF r = toQRectF(box.area);
        QPainterPath path;
        path.addRoundedRect(r, Rectangle1.radius, Rectangle1.radius);
        const BoxFill& f = Rectangle1.fill;
        if (f.kind == FillKind::Solid) {
            bp.fillPath(path, QColor::fromRgba(f.color));
        } else if (f.kind == FillKind::Gradient) {
            bp.fillPath(path, gradientBrush(f, r));
        } else if (!picture_.isNull()) {
            bp.setClipPath(path);
            bp.drawImage(r, picture_);
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
    const QRectF r = toQRectF(box.area);
    QTransform t;
    t.translate(r.left(), r.top());
    t.scale(box.scaleX, box.scaleY);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setTransform(t);

    // A tick repaints a few glyphs of the line: what lies wholly outside the area to paint is
    // not drawn at all (the painter would only clip it away).
    const QRegion& dirty = e->region();
    // A glyph drawn from shapes reaches no further than its bars (and their outline); any other
    // text is drawn with a font and may reach anywhere.
    const auto glyphReaches = [&](const LineText& glyph, const RectF& box) {
        const std::optional<glyphs::GlyphShape> shape =
            glyphs::glyphShape(glyph.text, box, glyph.size);
        if (!shape) return true;
        QRectF ink;
        for (const glyphs::GlyphBar& bar : shape->bars)
            ink |= toQRectF(bar.box).adjusted(-shape->line, -shape->line, shape->line, shape->line);
        return dirty.intersects(t.mapRect(ink).toAlignedRect().adjusted(-2, -2, 2, 2));
    };
    if (glyphReaches(SpeedButton1, v.speedButtonRect()))
        glyphs::drawGlyphText(p, toQRectF(v.speedButtonRect()), toQString(SpeedButton1.text),
                              SpeedButton1.size, QColor::fromRgba(SpeedButton1.color));

    const QRectF l1 = toQRectF(v.label1Rect());
    if (l1.width() > 0 && !Label1.text.empty()) {
        const QString shown = toQString(Label1.text);
        const LabelFont& font = labelFont(Label1);
        const LineLayout& line = lineLayout(shown, font, l1);
        // Where the glyphs can reach (the text's own width, and an em beyond for ink that
        // overhangs), and their shadow (shifted, and blurred by three box passes of its
        // radius), in window coordinates.
        const qreal em = font.pixelSize;
        QRectF text;
        for (int i = 0; i < line.layout.lineCount(); ++i)
            text |= line.layout.lineAt(i).naturalTextRect();
        const QRectF ink = t.mapRect(text.translated(line.origin).adjusted(-em, -em, em, em));
        QRectF reach = ink;
        const QRectF dev = t.mapRect(l1);
        const int blur = ShadowEffect1.enabled ? ShadowEffect1.blurRadius(box.scaleY, dpr) : 0;
        const QSize size(qCeil(dev.width() * dpr) + 4 * blur, qCeil(dev.height() * dpr) + 4 * blur);
        const QPointF shift = toQPointF(ShadowEffect1.offset(box.scaleX, box.scaleY));
        const QPointF layerAt = dev.topLeft() + shift - QPointF(2 * blur, 2 * blur) / dpr;
        if (ShadowEffect1.enabled) {
            const qreal spread = (3 * blur + 1) / dpr;
            reach |= ink.translated(shift).adjusted(-spread, -spread, spread, spread);
        }
        if (dirty.intersects(reach.toAlignedRect().adjusted(-2, -2, 2, 2))) {
            // Word wrap may make the line taller than the strip, and a long word wider than its
            // place: nothing of the line or its shadow is drawn outside the strip's rectangle.
            // What is painted stays inside the area to paint: where that part of the line's reach
            // lies clear of the rounded corners, the clip would cut nothing.
            p.save();
            const QRectF touched = QRectF(dirty.boundingRect()) & reach;
            const qreal radius = Rectangle1.radius;
            if (!r.adjusted(radius, 0, -radius, 0).contains(touched) &&
                !r.adjusted(0, radius, 0, -radius).contains(touched)) {
                QPainterPath strip;
                strip.addRoundedRect(r, radius, radius);
                p.setClipPath(t.inverted().map(strip));
            }
            if (ShadowEffect1.enabled) {
                // The shadow layer drawn shifted by the effect's distance in its direction.
                const QTransform lt = t * QTransform::fromTranslate(-dev.left(), -dev.top()) *
                                      QTransform::fromScale(dpr, dpr) *
                                      QTransform::fromTranslate(2 * blur, 2 * blur);
                const QImage& layer = shadowLayer({shown, font.key, l1, lt, size, blur,
                                                   qAlpha(Label1.color), ShadowEffect1.color, dpr},
                                                  line, previousLine.get());
                p.save();
                p.resetTransform();
                p.setOpacity(ShadowEffect1.opacity); // the tint carries the colour's own alpha
                p.drawImage(layerAt, layer);
                p.restore();
            }
            p.setPen(QColor::fromRgba(Label1.color));
            drawLineWithin(p, line.layout, line.text, line.origin, line.pixelSize,
                           t.inverted().mapRect(QRectF(dirty.boundingRect())));
            p.restore();
        }
    }

    if (glyphReaches(Label2, v.label2Rect())) {
        QFont glyphFont(toQString(Label2.family));
        p.setFont(glyphFont);
        glyphs::drawGlyphText(p, toQRectF(v.label2Rect()), toQString(Label2.text), Label2.size,
                              QColor::fromRgba(Label2.color));
    }
    if (!std::exchange(paintedOnce_, true)) emit firstPainted();
}

QBrush gradientBrush(const BoxFill& fill, const QRectF& rect) {
    QLinearGradient g(toQPointF(fill.startPoint), toQPointF(fill.endPoint));
    g.setColorAt(0, QColor::fromRgba(fill.gradientColor0));
    g.setColorAt(1, QColor::fromRgba(fill.gradientColor1));
    QBrush brush(g);
    brush.setTransform(
        QTransform::fromTranslate(rect.left(), rect.top()).scale(rect.width(), rect.height()));
    return brush;
}

} // namespace zrm58
