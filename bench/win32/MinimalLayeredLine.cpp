// The smallest Win32 window that shows the strip's line the way the strip must show it: a
// layered (per-pixel alpha), borderless, top-most pop-up of the strip's default size, titled
// "MinimalLayeredLine", that draws the strip's default line (composed by the core, as the strip
// composes it) once a second in the family and pixel size the strip draws it in by default.
//
// Per-pixel alpha means UpdateLayeredWindow: SetLayeredWindowAttributes gives one opacity for
// the whole window and cannot show opaque text over a half-transparent background, which is
// what the strip shows. So each tick does the least such a window can: the line composed, the
// kept bitmap cleared to a half-transparent grey, the line drawn once with GDI+ (anti-aliased
// text with alpha; GDI's own text leaves a 32-bit bitmap's alpha at 0), and the whole bitmap
// handed over. The bitmap, its DC, the GDI+ objects and the font live as long as the window.
#include "platform/Platform.h"
#include "settings/StripSettings.h"
#include "status/CpuLoad.h"
#include "status/LocaleFormat.h"
#include "status/StatusTexts.h"
#include "strip/StatusLine.h"

#include <algorithm>
#include <memory>
#include <objidl.h>
#include <windows.h>
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>

using namespace zrm58;

namespace {

// The strip's default size, and its line's box: 12 of the 33 logical units that the 30 pixels
// inside its 5-pixel margin hold.
constexpr int kWidth = 523, kHeight = 40;
constexpr float kFontPixels = 12.0f * 30 / 33;
constexpr float kLineLeft = 5 + 33, kLineTop = 5; // after the menu button

// The strip's default family, else what the strip falls back to where it is missing (the
// Japanese family a Wine on Linux has).
std::unique_ptr<Gdiplus::FontFamily> lineFamily() {
    for (const wchar_t* name : {L"Segoe UI", L"Yu Gothic UI", L"Meiryo UI", L"Noto Sans CJK JP"}) {
        auto family = std::make_unique<Gdiplus::FontFamily>(name);
        if (family->IsAvailable()) return family;
    }
    return std::unique_ptr<Gdiplus::FontFamily>(Gdiplus::FontFamily::GenericSansSerif()->Clone());
}

class LineWindow {
public:
    explicit LineWindow(HINSTANCE instance) {
        locale_ = initLocaleAtStartup(*createSystemLocaleSource());
        uTotalCpuUsagePct::ModuleStart(createSystemTimesSource());
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"MinimalLayeredLine";
        RegisterClassExW(&wc);
        hwnd_ =
            CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST, wc.lpszClassName, L"MinimalLayeredLine",
                            WS_POPUP, 200, 200, kWidth, kHeight, nullptr, nullptr, instance, this);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        screen_ = GetDC(nullptr);
        memory_ = CreateCompatibleDC(screen_);
        void* bits = nullptr;
        dib_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(memory_, dib_);
        bitmap_ = std::make_unique<Gdiplus::Bitmap>(
            kWidth, kHeight, kWidth * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits));
        bitmap_->SetResolution(96, 96);
        graphics_ = std::make_unique<Gdiplus::Graphics>(bitmap_.get());
        graphics_->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
        family_ = lineFamily();
        font_ = std::make_unique<Gdiplus::Font>(family_.get(), kFontPixels,
                                                Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
        format_ =
            std::make_unique<Gdiplus::StringFormat>(Gdiplus::StringFormat::GenericTypographic());
        format_->SetFormatFlags(format_->GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap);
        format_->SetLineAlignment(Gdiplus::StringAlignmentCenter);
        present(); // empty until the first tick, as the strip's
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        SetTimer(hwnd_, 1, 1000, nullptr);
    }
    ~LineWindow() {
        graphics_.reset();
        bitmap_.reset();
        SelectObject(memory_, old_);
        DeleteObject(dib_);
        DeleteDC(memory_);
        ReleaseDC(nullptr, screen_);
        uTotalCpuUsagePct::ModuleEnd();
    }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(
                hwnd, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<LineWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_TIMER && self) {
            self->tick();
            return 0;
        }
        if (msg == WM_DESTROY) {
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    void tick() {
        const std::u16string date =
            renderDatePiece(kDefaultDateFormat, clock_->now(), locale_.settings,
                            EraContext{calendar_.get(), locale_.locale});
        const std::u16string memory = UpdateMemoryInfo(*memorySource_, locale_.settings.decimalSep);
        line_ = composeLine(kDefaultSeparator, date, memory, UpdateCpuInfo().cpuInfo);
        present();
    }

    void present() {
        graphics_->Clear(Gdiplus::Color(128, 0xDC, 0xDC, 0xDC));
        const std::wstring text(line_.begin(), line_.end());
        graphics_->DrawString(
            text.c_str(), static_cast<INT>(text.size()), font_.get(),
            Gdiplus::RectF(kLineLeft, kLineTop, kWidth - 2 * kLineLeft, kHeight - 2 * kLineTop),
            format_.get(), &black_);
        POINT at{200, 200}, origin{0, 0};
        SIZE size{kWidth, kHeight};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(hwnd_, screen_, &at, &size, memory_, &origin, 0, &blend, ULW_ALPHA);
    }

    LocaleStartup locale_;
    std::unique_ptr<Clock> clock_ = createSystemClock();
    std::unique_ptr<AltCalendar> calendar_ = createSystemAltCalendar();
    std::unique_ptr<MemorySource> memorySource_ = createSystemMemorySource();
    std::u16string line_;
    HWND hwnd_ = nullptr;
    HDC screen_ = nullptr, memory_ = nullptr;
    HBITMAP dib_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
    std::unique_ptr<Gdiplus::Graphics> graphics_;
    std::unique_ptr<Gdiplus::FontFamily> family_;
    std::unique_ptr<Gdiplus::Font> font_;
    std::unique_ptr<Gdiplus::StringFormat> format_;
    Gdiplus::SolidBrush black_{Gdiplus::Color(255, 0, 0, 0)};
};

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    {
        LineWindow window(instance);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
    }
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
