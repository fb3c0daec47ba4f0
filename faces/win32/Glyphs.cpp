#include "faces/win32/Glyphs.h"
#include "faces/win32/Gdip.h"
#include <algorithm>
#include <string>

namespace zrm58::glyphs {

void drawGlyphText(Gdiplus::Graphics& g, float x, float y, float w, float h,
                   std::u16string_view text, float size, std::uint32_t color) {
    const Gdiplus::Color c(color);
    const std::optional<GlyphShape> shape = glyphShape(text, {x, y, w, h}, size);
    if (!shape) {
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
        g.DrawString(wide.c_str(), static_cast<INT>(wide.size()), &font, Gdiplus::RectF(x, y, w, h),
                     &format, &brush);
        return;
    }
    const Gdiplus::SmoothingMode was = g.GetSmoothingMode();
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::SolidBrush brush(c);
    Gdiplus::Pen pen(c, static_cast<float>(shape->line));
    for (const GlyphBar& bar : shape->bars) {
        const Gdiplus::RectF r(static_cast<float>(bar.box.x), static_cast<float>(bar.box.y),
                               static_cast<float>(bar.box.width),
                               static_cast<float>(bar.box.height));
        if (bar.filled)
            g.FillRectangle(&brush, r);
        else
            g.DrawRectangle(&pen, r);
    }
    g.SetSmoothingMode(was);
}

} // namespace zrm58::glyphs
