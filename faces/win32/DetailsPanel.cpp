#include "faces/win32/DetailsPanel.h"
#include "faces/win32/FontChoice.h"
#include "faces/win32/Gdip.h"
#include "status/DetailsText.h"
#include "strip/Strip.h"
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

DetailsPanel::DetailsPanel(Strip& strip, HWND stripWindow, ProcessSource& processes,
                           SystemDetailsSource& source, char16_t decimalSep)
    : strip_(strip), owner_(stripWindow), processes_(processes), details_(processes, source),
      decimalSep_(decimalSep) {
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
    hide();
    if (hwnd_) DestroyWindow(hwnd_);
}

double DetailsPanel::now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void DetailsPanel::pointerMoved(bool inHoverArea, bool buttonHeld) {
    if (buttonHeld || !inHoverArea) {
        hide();
    } else if (!shown_) {
        SetTimer(owner_, kRestTimer, kRestMs, nullptr); // resting starts again with every move
    }
}

void DetailsPanel::restElapsed() {
    KillTimer(owner_, kRestTimer);
    const bool buttonHeld =
        (GetKeyState(VK_LBUTTON) | GetKeyState(VK_RBUTTON) | GetKeyState(VK_MBUTTON)) < 0;
    if (!buttonHeld) show();
}

void DetailsPanel::show() {
    if (shown_) return;
    // The per-process sampling runs only while the panel shows its shares; started first, so
    // that the per-processor base taken next is the later reading.
    uTotalCpuUsagePct::ProcessSamplingStart(processes_);
    details_.start(now());
    shown_ = true;
    refresh();
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void DetailsPanel::hide() {
    KillTimer(owner_, kRestTimer);
    if (!shown_) return;
    shown_ = false;
    ShowWindow(hwnd_, SW_HIDE);
    details_.stop();
    uTotalCpuUsagePct::ProcessSamplingEnd();
}

void DetailsPanel::ticked() {
    if (!shown_) return;
    (void)uTotalCpuUsagePct::SampleProcessShares(); // this tick's busiest processes
    refresh();
}

void DetailsPanel::refresh() {
    const DetailsSnapshot snapshot = details_.update(uTotalCpuUsagePct::LastTickShares(), now());
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
    // Below the strip, or above it when there is no room; always on the strip's monitor.
    RECT strip{};
    GetWindowRect(owner_, &strip);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(owner_, MONITOR_DEFAULTTONEAREST), &info);
    const RECT& area = info.rcWork;
    POINT at{strip.left, strip.bottom};
    if (at.y + h > area.bottom) at.y = strip.top - h;
    at.x = std::clamp<LONG>(at.x, area.left, std::max<LONG>(area.left, area.right - w));
    at.y = std::clamp<LONG>(at.y, area.top, std::max<LONG>(area.top, area.bottom - h));

    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h, 0);
    {
        Gdiplus::Bitmap canvas(w, h, w * 4, PixelFormat32bppPARGB,
                               reinterpret_cast<BYTE*>(px.data()));
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
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    if (HBITMAP dib = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0)) {
        std::copy(px.begin(), px.end(), static_cast<std::uint32_t*>(bits));
        HGDIOBJ old = SelectObject(memory, dib);
        POINT origin{0, 0};
        SIZE size{w, h};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(hwnd_, screen, &at, &size, memory, &origin, 0, &blend, ULW_ALPHA);
        SelectObject(memory, old);
        DeleteObject(dib);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

} // namespace zrm58::win32face
