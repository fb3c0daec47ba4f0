#include "faces/win32/Glyphs.h"
#include "faces/win32/Gdip.h"
#include <algorithm>
#include <string>

namespace zrm58::glyphs {
namespace {

using Gdiplus::RectF;

void drawMenuBars(Gdiplus::Graphics& g, const RectF& em, Gdiplus::Color color) {
    const float barH = em.Height / 14.0f;
    const float w = em.Width * 0.8f;
    const float cx = em.X + em.Width / 2, cy = em.Y + em.Height / 2;
    Gdiplus::SolidBrush brush(color);
    for (int i = -1; i <= 1; ++i)
        g.FillRectangle(&brush, cx - w / 2, cy + i * em.Height * 0.25f - barH / 2, w, barH);
}

// Five bars rising left to right; `lit` of them are filled, the rest drawn as outlines.
void drawLoadMeter(Gdiplus::Graphics& g, const RectF& em, Gdiplus::Color color, int lit) {
    const int bars = 5;
    const float gap = em.Width * 0.06f;
    const float barW = (em.Width - gap * (bars - 1)) / bars;
    const float line = std::max(em.Width / 20.0f, 0.5f);
    Gdiplus::SolidBrush brush(color);
    Gdiplus::Pen pen(color, line);
    for (int i = 0; i < bars; ++i) {
        const float h = em.Height * (0.25f + 0.75f * (i + 1) / bars);
        const RectF bar(em.X + i * (barW + gap), em.Y + em.Height - h, barW, h);
        if (i < lit)
            g.FillRectangle(&brush, bar);
        else
            g.DrawRectangle(&pen, bar.X + line / 2, bar.Y + line / 2, bar.Width - line,
                            bar.Height - line);
    }
}

} // namespace

bool isOwnGlyph(std::u16string_view text) {
    if (text.size() != 1) return false;
    const char16_t c = text[0];
    return c == kMenu || c == kLoadUnknown || (c >= kLoad1 && c <= kLoad5);
}

void drawGlyphText(Gdiplus::Graphics& g, float x, float y, float w, float h,
                   std::u16string_view text, float size, std::uint32_t color) {
    const Gdiplus::Color c(color);
    if (!isOwnGlyph(text)) {
        Gdiplus::FontFamily family(L"Segoe UI");
        const Gdiplus::FontFamily* use =
            family.IsAvailable() ? &family : Gdiplus::FontFamily::GenericSansSerif();
        Gdiplus::Font font(use, std::max(1.0f, size), Gdiplus::FontStyleRegular,
                           Gdiplus::UnitPixel);
        Gdiplus::StringFormat format;
        format.SetAlignment(Gdiplus::StringAlignmentCenter);
        format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
        Gdiplus::SolidBrush brush(c);
        const std::wstring wide(text.begin(), text.end());
        g.DrawString(wide.c_str(), static_cast<INT>(wide.size()), &font, RectF(x, y, w, h), &format,
                     &brush);
        return;
    }
    const RectF em(x + w / 2 - size / 2, y + h / 2 - size / 2, size, size);
    const Gdiplus::SmoothingMode was = g.GetSmoothingMode();
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    if (text[0] == kMenu)
        drawMenuBars(g, em, c);
    else if (text[0] == kLoadUnknown)
        drawLoadMeter(g, em, c, 0);
    else
        drawLoadMeter(g, em, c, text[0] - kLoad1 + 1);
    g.SetSmoothingMode(was);
}

} // namespace zrm58::glyphs
