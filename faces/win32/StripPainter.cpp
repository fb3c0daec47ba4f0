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

constexpr float kMargin = 5;
constexpr double kPi = 3.14159265358979323846;
// The line's drop shadow.
constexpr double kShadowDistance = 3, kShadowDegrees = 45, kShadowSoftness = 0.3,
                 kShadowOpacity = 0.6;

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
std::uint32_t gradientAt(const StripScene& s, double u, double v) {
    const double dx = s.endX - s.startX, dy = s.endY - s.startY;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((u - s.startX) * dx + (v - s.startY) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const double a = (s.gradient0 >> shift) & 0xFF, b = (s.gradient1 >> shift) & 0xFF;
        out |= static_cast<std::uint32_t>(std::lround(a + (b - a) * t)) << shift;
    }
    return out;
}

// The background rectangle, fill and outline, at its opacity.
void paintBackground(const StripScene& s, std::uint32_t* px) {
    const int w = s.width, h = s.height;
    const float margin = kMargin * s.scale;
    const float rx = margin, ry = margin;
    const float rw = std::max(0.0f, w - 2 * margin), rh = std::max(0.0f, h - 2 * margin);
    if (rw <= 0 || rh <= 0) return;
    // The rounded rectangle's coverage, anti-aliased by GDI+.
    std::vector<std::uint32_t> cover(static_cast<std::size_t>(w) * h, 0);
    {
        PixelCanvas c(cover.data(), w, h);
        Gdiplus::GraphicsPath path;
        addRoundedRect(path, rx, ry, rw, rh, s.radius * s.scale);
        Gdiplus::SolidBrush white(Gdiplus::Color(255, 255, 255, 255));
        c.graphics.FillPath(&white, &path);
    }
    // The fill, unclipped, then cut to the coverage.
    if (s.fill == FillKind::Picture) {
        if (s.picture) {
            PixelCanvas c(px, w, h);
            c.graphics.DrawImage(s.picture.get(), Gdiplus::RectF(rx, ry, rw, rh));
        }
    } else {
        const std::uint32_t solid = premultiplied(s.fillColor);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                px[y * w + x] =
                    s.fill == FillKind::Solid
                        ? solid
                        : premultiplied(gradientAt(s, (x + 0.5 - rx) / rw, (y + 0.5 - ry) / rh));
    }
    for (std::size_t i = 0; i < cover.size(); ++i)
        px[i] = scaled(px[i], static_cast<float>(cover[i] >> 24) / 255.0f);
    if (s.strokeOn) {
        PixelCanvas c(px, w, h);
        Gdiplus::GraphicsPath path;
        const float half = s.scale / 2; // the outline is one logical unit wide
        addRoundedRect(path, rx + half, ry + half, rw - s.scale, rh - s.scale,
                       s.radius * s.scale - half);
        Gdiplus::Pen pen(Gdiplus::Color(s.strokeColor), s.scale);
        c.graphics.DrawPath(&pen, &path);
    }
    const float opacity = std::clamp(s.opacity, 0.0f, 1.0f);
    if (opacity < 1)
        for (std::size_t i = 0; i < cover.size(); ++i)
            px[i] = scaled(px[i], opacity);
}

void setBoxTransform(Gdiplus::Graphics& g, const BoxGeometry& box) {
    g.ResetTransform();
    g.TranslateTransform(box.left, box.top);
    g.ScaleTransform(box.scaleX, box.scaleY);
}

// The line on one line in its box (between the menu button and the glyph), cut where the box
// ends.
void drawLine(Gdiplus::Graphics& g, const StripScene& s, const LineRuns& line,
              std::uint32_t color) {
    const float lw = std::max(1.0f, s.logicalWidth), lh = std::max(1.0f, s.logicalHeight);
    line.draw(g, 33, 0, lw - 66, lh, color);
}

LineRuns lineRuns(const StripScene& s, float boxWidth) {
    return LineRuns(s.line, s.family, s.lineSize, s.bold, boxWidth);
}

// The line's shadow: its glyphs at the text's alpha, blurred, tinted, shifted, at the shadow's
// opacity, over what is drawn so far.
void paintShadow(const StripScene& s, const BoxGeometry& box, const LineRuns& line,
                 std::uint32_t* px) {
    const int w = s.width, h = s.height;
    std::vector<std::uint32_t> glyphs(static_cast<std::size_t>(w) * h, 0);
    {
        PixelCanvas c(glyphs.data(), w, h);
        setBoxTransform(c.graphics, box);
        drawLine(c.graphics, s, line, (s.lineColor & 0xFF000000u));
    }
    std::vector<std::uint8_t> alpha(glyphs.size());
    for (std::size_t i = 0; i < glyphs.size(); ++i)
        alpha[i] = static_cast<std::uint8_t>(glyphs[i] >> 24);
    const int blur = std::max(1, static_cast<int>(std::lround(kShadowSoftness * 5 * box.scaleY)));
    blurAlphaPlane(alpha.data(), w, h, blur);
    const double rad = kShadowDegrees * kPi / 180;
    const int dx = static_cast<int>(std::lround(kShadowDistance * std::cos(rad) * box.scaleX));
    const int dy = static_cast<int>(std::lround(kShadowDistance * std::sin(rad) * box.scaleY));
    const std::uint32_t tint = premultiplied(s.shadowColor);
    for (int y = 0; y < h; ++y) {
        const int sy = y - dy;
        if (sy < 0 || sy >= h) continue;
        for (int x = 0; x < w; ++x) {
            const int sx = x - dx;
            if (sx < 0 || sx >= w) continue;
            const std::uint8_t a = alpha[sy * w + sx];
            if (a == 0) continue;
            px[y * w + x] =
                over(scaled(tint, static_cast<float>(a / 255.0 * kShadowOpacity)), px[y * w + x]);
        }
    }
}

} // namespace

BoxGeometry::BoxGeometry(const StripScene& s)
    : left(kMargin * s.scale), top(kMargin * s.scale),
      width(std::max(0.0f, s.width - 2 * kMargin * s.scale)),
      height(std::max(0.0f, s.height - 2 * kMargin * s.scale)),
      scaleX(width / std::max(1.0f, s.logicalWidth)),
      scaleY(height / std::max(1.0f, s.logicalHeight)), logicalHeight_(s.logicalHeight) {}

bool BoxGeometry::insideMargin(float x, float y) const {
    return x >= left && y >= top && x < left + width && y < top + height;
}

bool BoxGeometry::onMenuButton(float x, float y) const {
    return insideMargin(x, y) && (x - left) < 33 * scaleX;
}

void BoxGeometry::menuAnchor(int& x, int& y) const {
    x = static_cast<int>(std::lround(left));
    y = static_cast<int>(std::lround(top + logicalHeight_ * scaleY));
}

double measureLine(const StripScene& s, const std::u16string& text) {
    if (text.empty()) return 0;
    // No box is wider than the widest the settings allow: what lies beyond it is not measured.
    StripScene widest = s;
    widest.line = text;
    const LineRuns line =
        lineRuns(widest, static_cast<float>(limits::kMaxWidthFactor * linefit::kDesignWidth));
    std::uint32_t pixel = 0;
    PixelCanvas c(&pixel, 1, 1);
    // Laid out under the transform the line is drawn with once the box is at scale 1 across
    // (the box's height keeps its scale): GDI+ may lay text out wider under a scaled transform
    // than without one, and the width asked for is the drawn line's.
    c.graphics.ScaleTransform(s.scale, BoxGeometry(s).scaleY);
    return line.width(c.graphics);
}

void paintStrip(const StripScene& s, std::uint32_t* px) {
    std::fill(px, px + static_cast<std::size_t>(s.width) * s.height, 0u);
    if (s.width <= 0 || s.height <= 0) return;
    paintBackground(s, px);
    const BoxGeometry box(s);
    const float lw = std::max(1.0f, s.logicalWidth), lh = std::max(1.0f, s.logicalHeight);
    const LineRuns line = lineRuns(s, lw - 66);
    if (s.shadow && !line.empty() && lw - 66 > 0) paintShadow(s, box, line, px);
    PixelCanvas c(px, s.width, s.height);
    setBoxTransform(c.graphics, box);
    glyphs::drawGlyphText(c.graphics, 0, 0, 33, lh, s.menuGlyph, s.menuSize, s.menuColor);
    if (!line.empty() && lw - 66 > 0) drawLine(c.graphics, s, line, s.lineColor);
    glyphs::drawGlyphText(c.graphics, lw - 6 - 27, 0, 27, lh, s.glyph, s.glyphSize, s.glyphColor);
}

} // namespace zrm58::win32face
