// The strip drawn with GDI+ into a premultiplied 32-bit buffer. The pixel work that GDI+ does
// not do the same way everywhere (the rectangle's fill inside its anti-aliased outline, its
// opacity, the shadow's blur and tint) is done here on the pixels, so that Windows and Wine
// give the same picture.
#include "faces/win32/StripPainter.h"
#include "drawing/ShadowBlur.h"
#include "faces/win32/Gdip.h"
#include "faces/win32/Glyphs.h"
#include "faces/win32/LineRuns.h"
#include "strip/LineFit.h"
#include "strip/SettingLimits.h"
#include <cmath>
#include <vector>

namespace zrm58::win32face {
namespace {

// A GDI+ bitmap over a buffer of premultiplied pixels, without a copy.
struct PixelCanvas {
    PixelCanvas(std::uint32_t* pixels, int w, int h)
        : bitmap(w, h, w * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels)),
          graphics(&resolved()) {
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
    }
    // Pixels are pixels: the scale is the transform's alone, whatever the screen's DPI (GDI+
    // lays out text in pixel units with the bitmap's resolution otherwise).
    Gdiplus::Bitmap& resolved() {
        bitmap.SetResolution(96, 96);
        return bitmap;
    }
    Gdiplus::Bitmap bitmap;
    Gdiplus::Graphics graphics;
};

void addRoundedRect(Gdiplus::GraphicsPath& path, float x, float y, float w, float h, float r) {
    r = std::max(0.0f, std::min({r, w / 2, h / 2}));
    if (r <= 0) {
        path.AddRectangle(Gdiplus::RectF(x, y, w, h));
        return;
    }
    const float d = 2 * r;
    path.AddArc(x, y, d, d, 180, 90);
    path.AddArc(x + w - d, y, d, d, 270, 90);
    path.AddArc(x + w - d, y + h - d, d, d, 0, 90);
    path.AddArc(x, y + h - d, d, d, 90, 90);
    path.CloseFigure();
}

std::uint32_t premultiplied(std::uint32_t argb) {
    const std::uint32_t a = argb >> 24;
    auto ch = [&](int shift) { return (((argb >> shift) & 0xFF) * a + 127) / 255; };
    return a << 24 | ch(16) << 16 | ch(8) << 8 | ch(0);
}

// Every channel of a premultiplied pixel times f (0..1).
std::uint32_t scaled(std::uint32_t px, float f) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const float v = static_cast<float>((px >> shift) & 0xFF) * f;
        out |= static_cast<std::uint32_t>(std::lround(std::min(255.0f, v))) << shift;
    }
    return out;
}

// Source over destination, both premultiplied.
std::uint32_t over(std::uint32_t src, std::uint32_t dst) {
    const std::uint32_t keep = 255 - (src >> 24);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t v =
            ((src >> shift) & 0xFF) + (((dst >> shift) & 0xFF) * keep + 127) / 255;
        out |= std::min<std::uint32_t>(v, 255) << shift;
    }
    return out;
}

// The gradient's colour (straight ARGB, channels interpolated) at the relative point (u, v).
std::uint32_t gradientAt(const BoxFill& f, double u, double v) {
    const PointF from = f.startPoint, to = f.endPoint;
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((u - from.x) * dx + (v - from.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const double a = (f.gradientColor0 >> shift) & 0xFF, b = (f.gradientColor1 >> shift) & 0xFF;
        out |= static_cast<std::uint32_t>(std::lround(a + (b - a) * t)) << shift;
    }
    return out;
}

// The background rectangle, fill and outline, at its opacity.
void paintBackground(const StripScene& s, const BoxPlacement& box, std::uint32_t* px) {
    const RoundedBox& Rectangle1 = s.view.Rectangle1;
    const BoxFill& fill = Rectangle1.fill;
    const int w = s.width, h = s.height;
    const float rx = static_cast<float>(box.area.x), ry = static_cast<float>(box.area.y);
    const float rw = static_cast<float>(box.area.width), rh = static_cast<float>(box.area.height);
    const float radius = static_cast<float>(Rectangle1.radius) * s.scale;
    if (rw <= 0 || rh <= 0) return;
    // The rounded rectangle's coverage, anti-aliased by GDI+.
    std::vector<std::uint32_t> cover(static_cast<std::size_t>(w) * h, 0);
    {
        PixelCanvas c(cover.data(), w, h);
        Gdiplus::GraphicsPath path;
        addRoundedRect(path, rx, ry, rw, rh, radius);
        Gdiplus::SolidBrush white(Gdiplus::Color(255, 255, 255, 255));
        c.graphics.FillPath(&white, &path);
    }
    // The fill, unclipped, then cut to the coverage.
    if (fill.kind == FillKind::Bitmap) {
        if (s.picture) {
            PixelCanvas c(px, w, h);
            c.graphics.DrawImage(s.picture.get(), Gdiplus::RectF(rx, ry, rw, rh));
        }
    } else {
        const std::uint32_t solid = premultiplied(fill.color);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                px[y * w + x] =
                    fill.kind == FillKind::Solid
                        ? solid
                        : premultiplied(gradientAt(fill, (x + 0.5 - rx) / rw, (y + 0.5 - ry) / rh));
    }
    for (std::size_t i = 0; i < cover.size(); ++i)
        px[i] = scaled(px[i], static_cast<float>(cover[i] >> 24) / 255.0f);
    if (Rectangle1.strokeOn) {
        PixelCanvas c(px, w, h);
        Gdiplus::GraphicsPath path;
        const float half = s.scale / 2; // the outline is one logical unit wide
        addRoundedRect(path, rx + half, ry + half, rw - s.scale, rh - s.scale, radius - half);
        Gdiplus::Pen pen(Gdiplus::Color(Rectangle1.stroke), s.scale);
        c.graphics.DrawPath(&pen, &path);
    }
    const float opacity = Rectangle1.opacity(); // 0..1
    if (opacity < 1)
        for (std::size_t i = 0; i < cover.size(); ++i)
            px[i] = scaled(px[i], opacity);
}

void setBoxTransform(Gdiplus::Graphics& g, const BoxPlacement& box) {
    g.ResetTransform();
    g.TranslateTransform(static_cast<float>(box.area.x), static_cast<float>(box.area.y));
    g.ScaleTransform(static_cast<float>(box.scaleX), static_cast<float>(box.scaleY));
}

// Draws `text` in a control's box (logical units) with GDI+'s float coordinates.
void drawGlyph(Gdiplus::Graphics& g, const RectF& r, const LineText& label) {
    glyphs::drawGlyphText(g, static_cast<float>(r.x), static_cast<float>(r.y),
                          static_cast<float>(r.width), static_cast<float>(r.height), label.text,
                          static_cast<float>(label.size), label.color);
}

// The line on one line in Label1's box (between the menu button and the glyph), cut where the
// box ends.
void drawLine(Gdiplus::Graphics& g, const StripView& v, const LineRuns& line, std::uint32_t color) {
    const RectF r = v.label1Rect();
    line.draw(g, static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.width),
              static_cast<float>(r.height), color);
}

LineRuns lineRuns(const LineText& label, const std::u16string& text, float boxWidth) {
    return LineRuns(text, label.family, static_cast<float>(label.size), label.bold, boxWidth);
}

// The line's shadow: its glyphs at the text's alpha, blurred, tinted, shifted, at the shadow's
// opacity, over what is drawn so far. The line is drawn once, in its colour, into `planes.glyphs`:
// the shadow is made from that layer's alpha, and the layer then goes over the shadow
// (blendLine), instead of the glyphs being rasterised a second time. With `keepOff` (one flag a
// pixel), false as soon as the line's glyphs or their shadow reach a flagged pixel, and what is
// drawn so far is then spoilt.
bool paintShadow(const StripScene& s, const BoxPlacement& box, const LineRuns& line,
                 std::uint32_t* px, ShadowPlanes& planes,
                 const std::vector<std::uint8_t>* keepOff = nullptr) {
    const TextShadow& shadow = s.view.ShadowEffect1;
    const int w = s.width, h = s.height;
    std::vector<std::uint32_t>& glyphs = planes.glyphs;
    glyphs.assign(static_cast<std::size_t>(w) * h, 0u);
    {
        PixelCanvas c(glyphs.data(), w, h);
        setBoxTransform(c.graphics, box);
        drawLine(c.graphics, s.view, line, s.view.Label1.color);
    }
    std::vector<std::uint8_t>& alpha = planes.alpha;
    alpha.resize(glyphs.size());
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        alpha[i] = static_cast<std::uint8_t>(glyphs[i] >> 24);
        if (keepOff && alpha[i] && (*keepOff)[i]) return false;
    }
    // The scales as the transform takes them.
    const double sx = static_cast<float>(box.scaleX), sy = static_cast<float>(box.scaleY);
    blurAlphaPlane(alpha.data(), w, h, shadow.blurRadius(sy));
    const PointF shift = shadow.offset(sx, sy);
    const int dx = static_cast<int>(std::lround(shift.x));
    const int dy = static_cast<int>(std::lround(shift.y));
    // The tint at each of the 256 alpha values: the same products, once each.
    const std::uint32_t tint = premultiplied(shadow.color);
    std::uint32_t tinted[256];
    for (int a = 0; a < 256; ++a)
        tinted[a] = scaled(tint, static_cast<float>(a / 255.0 * shadow.opacity));
    for (int y = 0; y < h; ++y) {
        const int sy = y - dy;
        if (sy < 0 || sy >= h) continue;
        for (int x = 0; x < w; ++x) {
            const int sx = x - dx;
            if (sx < 0 || sx >= w) continue;
            const std::uint8_t a = alpha[sy * w + sx];
            if (a == 0) continue;
            if (keepOff && (*keepOff)[y * w + x]) return false;
            px[y * w + x] = over(tinted[a], px[y * w + x]);
        }
    }
    return true;
}

// The line's layer made by paintShadow, over what is drawn so far.
void blendLine(const ShadowPlanes& planes, std::uint32_t* px) {
    for (std::size_t i = 0; i < planes.glyphs.size(); ++i)
        if (const std::uint32_t g = planes.glyphs[i]; g != 0) px[i] = over(g, px[i]);
}

} // namespace

double measureLine(const StripScene& s, const std::u16string& text) {
    if (text.empty()) return 0;
    // No box is wider than the widest the settings allow: what lies beyond it is not measured.
    const LineRuns line = lineRuns(
        s.view.Label1, text, static_cast<float>(limits::kMaxWidthFactor * linefit::kDesignWidth));
    std::uint32_t pixel = 0;
    PixelCanvas c(&pixel, 1, 1);
    // Laid out under the transform the line is drawn with once the box is at scale 1 across
    // (the box's height keeps its scale): GDI+ may lay text out wider under a scaled transform
    // than without one, and the width asked for is the drawn line's.
    c.graphics.ScaleTransform(s.scale, static_cast<float>(s.box().scaleY));
    return line.width(c.graphics);
}

namespace {

LineRuns sceneLine(const StripScene& s) {
    return lineRuns(s.view.Label1, s.view.Label1.text,
                    static_cast<float>(s.view.label1Rect().width));
}

bool shown(const StripScene& s, const LineRuns& line) {
    return !line.empty() && s.view.label1Rect().width > 0;
}

// What paintStrip draws over the background: the shadow, the button, the line and the glyph.
void paintOverBackground(const StripScene& s, const BoxPlacement& box, const LineRuns& line,
                         std::uint32_t* px, ShadowPlanes& planes) {
    const StripView& v = s.view;
    const bool lineShown = shown(s, line);
    const bool shadowed = v.ShadowEffect1.enabled && lineShown;
    if (shadowed) paintShadow(s, box, line, px, planes);
    PixelCanvas c(px, s.width, s.height);
    setBoxTransform(c.graphics, box);
    drawGlyph(c.graphics, v.speedButtonRect(), v.SpeedButton1);
    if (shadowed) {
        c.graphics.Flush(Gdiplus::FlushIntentionSync); // the button is in px before the blend
        blendLine(planes, px);
    } else if (lineShown) {
        drawLine(c.graphics, v, line, v.Label1.color);
    }
    drawGlyph(c.graphics, v.label2Rect(), v.Label2);
}

} // namespace

void paintStrip(const StripScene& s, std::uint32_t* px) {
    std::fill(px, px + static_cast<std::size_t>(s.width) * s.height, 0u);
    if (s.width <= 0 || s.height <= 0) return;
    const BoxPlacement box = s.box();
    paintBackground(s, box, px);
    ShadowPlanes planes;
    paintOverBackground(s, box, sceneLine(s), px, planes);
}

void StripPainter::paint(const StripScene& s, std::uint32_t* px) {
    if (s.width <= 0 || s.height <= 0) return;
    const std::size_t count = static_cast<std::size_t>(s.width) * s.height;
    const BoxPlacement box = s.box();
    const BackgroundKey key{s.width, s.height, s.scale, box.area, s.view.Rectangle1, s.picture};
    if (key_ != key) {
        background_.assign(count, 0u);
        paintBackground(s, box, background_.data());
        key_ = key;
        decorated_.reset();
    }
    const LineRuns line = sceneLine(s);
    // The button is kept drawn on the background; the shadow comes over it where it does not
    // reach the button's box, which gives the same pixels as paintStrip's order (the shadow,
    // then the button). Otherwise, and without a shadow (which tells where the line reaches),
    // paintStrip's order.
    if (s.view.ShadowEffect1.enabled && shown(s, line) && decorate(s, box)) {
        std::copy(decorated_->pixels.begin(), decorated_->pixels.end(), px);
        if (paintShadow(s, box, line, px, planes_, &decorated_->area)) {
            blendLine(planes_, px);
            PixelCanvas c(px, s.width, s.height);
            setBoxTransform(c.graphics, box);
            drawGlyph(c.graphics, s.view.label2Rect(), s.view.Label2);
            return;
        }
    }
    std::copy(background_.begin(), background_.end(), px);
    paintOverBackground(s, box, line, px, planes_);
}

bool StripPainter::decorate(const StripScene& s, const BoxPlacement& box) {
    const auto same = [](const LineText& a, const LineText& b) {
        return a.text == b.text && a.family == b.family && a.size == b.size && a.bold == b.bold &&
               a.color == b.color;
    };
    if (decorated_ && same(decorated_->button, s.view.SpeedButton1)) return decorated_->usable;
    decorated_.emplace();
    Decorated& d = *decorated_;
    d.button = s.view.SpeedButton1;
    d.pixels = background_;
    {
        PixelCanvas c(d.pixels.data(), s.width, s.height);
        setBoxTransform(c.graphics, box);
        drawGlyph(c.graphics, s.view.speedButtonRect(), d.button);
    }
    // The box in window pixels, two more pixels every way for anti-aliasing.
    const int w = s.width, h = s.height;
    d.area.assign(d.pixels.size(), 0);
    const RectF r = s.view.speedButtonRect();
    const double x0 = box.area.x + r.x * box.scaleX, y0 = box.area.y + r.y * box.scaleY;
    const int left = std::max(0, static_cast<int>(std::floor(x0)) - 2);
    const int top = std::max(0, static_cast<int>(std::floor(y0)) - 2);
    const int right = std::min(w, static_cast<int>(std::ceil(x0 + r.width * box.scaleX)) + 2);
    const int bottom = std::min(h, static_cast<int>(std::ceil(y0 + r.height * box.scaleY)) + 2);
    for (int y = top; y < bottom; ++y)
        std::fill(d.area.begin() + y * w + left, d.area.begin() + y * w + std::max(left, right),
                  std::uint8_t{1});
    // Usable only if the button drew nothing outside its box.
    d.usable = true;
    for (std::size_t i = 0; i < d.pixels.size() && d.usable; ++i)
        d.usable = d.area[i] || d.pixels[i] == background_[i];
    return d.usable;
}

} // namespace zrm58::win32face
