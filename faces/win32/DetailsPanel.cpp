#include "faces/win32/DetailsPanel.h"
#include "faces/win32/Dpi.h"
#include "faces/win32/FontChoice.h"
#include "faces/win32/Gdip.h"
#include "status/DetailsText.h"
#include "strip/Strip.h"
#include <algorithm>
#include <cmath>

namespace zrm58::win32face {
namespace {

constexpr wchar_t kClass[] = L"ZRM58Details";
constexpr float kPad = 8, kLineSize = 12, kRadius = 8;

std::uint32_t premultiplied(std::uint32_t argb, float opacity) {
    const float a = static_cast<float>(argb >> 24) / 255.0f * opacity;
    auto ch = [&](int shift) {
        return static_cast<std::uint32_t>(std::lround(((argb >> shift) & 0xFF) * a));
    };
    return static_cast<std::uint32_t>(std::lround(a * 255)) << 24 | ch(16) << 16 | ch(8) << 8 |
           ch(0);
}

} // namespace

DetailsPanel::DetailsPanel(const Strip& strip, HWND stripWindow, ProcessSource& processes,
                           SystemDetailsSource& source, char16_t decimalSep)
    : strip_(strip), owner_(stripWindow), decimalSep_(decimalSep),
      hover_(strip, *this, processes, source) {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    // Never the focus, never a click: the strip's presses see no difference. Owned by no
    // window: a topmost window that the strip owned would keep the strip itself from being made
    // topmost under Wine (see StripWindow::setStaysOnTop), also by another program's call.
    hwnd_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW |
                                WS_EX_NOACTIVATE | WS_EX_TOPMOST,
                            kClass, L"ZRM58 details", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
}

DetailsPanel::~DetailsPanel() {
    hover_.hide();
    if (hwnd_) DestroyWindow(hwnd_);
}

void DetailsPanel::startRestTimer(int ms) {
    SetTimer(owner_, kRestTimer, static_cast<UINT>(ms), nullptr); // restarts a running one
}

void DetailsPanel::stopRestTimer() {
    KillTimer(owner_, kRestTimer);
}

bool DetailsPanel::buttonHeld() const {
    return (GetKeyState(VK_LBUTTON) | GetKeyState(VK_RBUTTON) | GetKeyState(VK_MBUTTON)) < 0;
}

double DetailsPanel::scale() const {
    return windowDpi(owner_) / 96.0;
}

Size DetailsPanel::setDetails(const DetailsSnapshot& snapshot) {
    const std::vector<std::u16string> lines = details::detailsLines(snapshot, decimalSep_);
    std::u16string all;
    for (const std::u16string& line : lines)
        all += line;
    const FontChoice family(strip_.Label1.family, all);
    const Gdiplus::Font font(family.get(), kLineSize,
                             strip_.Label1.bold ? Gdiplus::FontStyleBold
                                                : Gdiplus::FontStyleRegular,
                             Gdiplus::UnitPixel);
    // The size from the lines' extent.
    float width = 0, lineHeight = font.GetHeight(96.0f);
    {
        Gdiplus::Bitmap probe(1, 1, PixelFormat32bppPARGB);
        Gdiplus::Graphics g(&probe);
        for (const std::u16string& line : lines) {
            const std::wstring w(line.begin(), line.end());
            Gdiplus::RectF box;
            g.MeasureString(w.c_str(), static_cast<INT>(w.size()), &font, Gdiplus::PointF(0, 0),
                            Gdiplus::StringFormat::GenericTypographic(), &box);
            width = std::max(width, box.Width);
        }
    }
    const int w = static_cast<int>(std::ceil(width + 2 * kPad));
    const int h = static_cast<int>(std::ceil(lineHeight * lines.size() + 2 * kPad));
    width_ = w;
    height_ = h;
    pixels_.assign(static_cast<std::size_t>(w) * h, 0);
    {
        Gdiplus::Bitmap canvas(w, h, w * 4, PixelFormat32bppPARGB,
                               reinterpret_cast<BYTE*>(pixels_.data()));
        Gdiplus::Graphics g(&canvas);
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
        // The strip's background colour at its opacity, then the text in its colour.
        const BoxFill& fill = strip_.Rectangle1.fill;
        const std::uint32_t back =
            fill.kind == FillKind::Gradient ? fill.gradientColor0 : fill.color;
        const std::uint32_t p = premultiplied(back, strip_.Rectangle1.opacity());
        Gdiplus::SolidBrush brush(Gdiplus::Color(static_cast<BYTE>(p >> 24),
                                                 static_cast<BYTE>(p >> 16),
                                                 static_cast<BYTE>(p >> 8), static_cast<BYTE>(p)));
        Gdiplus::GraphicsPath path;
        const float d = 2 * kRadius, fw = static_cast<float>(w), fh = static_cast<float>(h);
        path.AddArc(0.0f, 0.0f, d, d, 180, 90);
        path.AddArc(fw - d, 0.0f, d, d, 270, 90);
        path.AddArc(fw - d, fh - d, d, d, 0, 90);
        path.AddArc(0.0f, fh - d, d, d, 90, 90);
        path.CloseFigure();
        g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        g.FillPath(&brush, &path);
        g.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
        Gdiplus::SolidBrush text{Gdiplus::Color(strip_.Label1.color)};
        float y = kPad;
        for (const std::u16string& line : lines) {
            const std::wstring s(line.begin(), line.end());
            g.DrawString(s.c_str(), static_cast<INT>(s.size()), &font, Gdiplus::PointF(kPad, y),
                         Gdiplus::StringFormat::GenericTypographic(), &text);
            y += lineHeight;
        }
    }
    const double k = scale();
    return {static_cast<int>(std::ceil(w / k)), static_cast<int>(std::ceil(h / k))};
}

void DetailsPanel::showAt(const Rect& frame) {
    const double k = scale();
    POINT at{static_cast<LONG>(std::lround(frame.left * k)),
             static_cast<LONG>(std::lround(frame.top * k))};
    if (std::uint32_t* px = surface_.pixels(width_, height_)) {
        std::copy(pixels_.begin(), pixels_.end(), px);
        surface_.update(hwnd_, at);
    }
    if (!IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void DetailsPanel::hidePanel() {
    ShowWindow(hwnd_, SW_HIDE);
    surface_.forget(); // shown again, it is handed the whole picture
}

} // namespace zrm58::win32face
