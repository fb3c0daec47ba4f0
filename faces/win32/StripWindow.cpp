#include "faces/win32/StripWindow.h"
#include "faces/win32/ErrorDialog.h"
#include "faces/win32/Gdip.h"
#include "faces/win32/StripMenu.h"
#include "settings/SettingsFile.h"
#include "status/StatusTexts.h"
#include <cmath>
#include <cstdio>
#include <vector>
#include <windowsx.h>

namespace zrm58::win32face {
namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr int kMinWidth = 80, kMinHeight = 30;

StripWindow* fromHwnd(HWND hwnd) {
    return reinterpret_cast<StripWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Nearest integer, halves to the even neighbour (the default rounding mode).
int roundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

} // namespace

StripWindow::StripWindow(HINSTANCE instance, const StripServices& services) : services_(services) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.lpszClassName = kStripClass;
    RegisterClassExW(&wc);
    // Created hidden; the extended styles for the task bar are set by FormCreate before showing.
    hwnd_ = CreateWindowExW(WS_EX_LAYERED, kStripClass, L"ZRM58", WS_POPUP, 0, 0, 525, 43, nullptr,
                            nullptr, instance, this);
}

StripWindow::~StripWindow() {
    // A destroyed handler must never be offered a message: leave the list before going.
    TMessageDispatcherWin::UnregisterHandler(this);
    if (hwnd_) DestroyWindow(hwnd_);
}

const MessageHandler::Table& StripWindow::messageTable() const {
    static const Entry entries[] = {
        {kMsgQueryEndSession,
         [](MessageHandler& h, MessageRecord& m) {
             static_cast<StripWindow&>(h).WMQueryEndSession(m);
         }},
    };
    static const Table table{&MessageHandler::BaseTable(), entries};
    return table;
}

void StripWindow::FormCreate() {
    settings_ = readStripSettings(services_.settingsPath, services_.localeSettings.decimalSep);
    FormResize();
    sceneFromSettings();
    // The task-bar button: set at start only.
    LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    ex = settings_.taskBar ? (ex | WS_EX_APPWINDOW) & ~WS_EX_TOOLWINDOW
                           : (ex | WS_EX_TOOLWINDOW) & ~WS_EX_APPWINDOW;
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex);
    applyWindowStyle();
    TMessageDispatcherWin::RegisterHandler(this);
}

void StripWindow::sceneFromSettings() {
    scene_.width = settings_.width;
    scene_.height = settings_.height;
    scene_.opacity = settings_.opacity;
    scene_.logicalWidth = static_cast<float>(settings_.original * 515);
    scene_.bold = settings_.bold;
    scene_.lineColor = scene_.glyphColor = scene_.menuColor = settings_.fontColor;
    scene_.glyphSize = 20;
    scene_.shadow = settings_.shadow;
    scene_.family = settings_.family;
    if (settings_.gazou) {
        const std::wstring path(settings_.gazouFile.begin(), settings_.gazouFile.end());
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            scene_.strokeOn = false;
            scene_.fill = FillKind::Picture;
            auto bmp = std::make_shared<Gdiplus::Bitmap>(path.c_str());
            scene_.picture = bmp->GetLastStatus() == Gdiplus::Ok ? bmp : nullptr;
        }
    } else if (settings_.gradient) {
        scene_.fill = FillKind::Gradient;
        scene_.gradient0 = settings_.color1;
        scene_.gradient1 = settings_.color2;
        static const double ends[3][2] = {{0, 1}, {1, 0}, {1, 1}};
        if (settings_.direction >= 0 && settings_.direction <= 2)
            scene_.startX = 0, scene_.startY = 0, scene_.endX = ends[settings_.direction][0],
            scene_.endY = ends[settings_.direction][1];
    } else {
        scene_.fill = FillKind::Solid;
        scene_.fillColor = settings_.color1;
    }
}

void StripWindow::applyWindowStyle() {
    SetWindowPos(hwnd_, settings_.topLevel ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void StripWindow::showFirst() {
    if (settings_.left == 0 && settings_.top == 0) {
        // Nothing moved the strip from its design position: centred on the primary monitor.
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        settings_.left = work.left + (work.right - work.left - settings_.width) / 2;
        settings_.top = work.top + (work.bottom - work.top - settings_.height) / 2;
    }
    SetWindowPos(hwnd_, nullptr, settings_.left, settings_.top, settings_.width, settings_.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    present();
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    setIntervalMs(settings_.interval);
}

void StripWindow::setIntervalMs(int ms) {
    if (ms == intervalMs_) return;
    KillTimer(hwnd_, kTimerId);
    intervalMs_ = ms > 0 ? ms : 0;
    if (intervalMs_ > 0) SetTimer(hwnd_, kTimerId, static_cast<UINT>(intervalMs_), nullptr);
}

void StripWindow::Timer1Timer() {
    const DateTimeFields t = makeDateTimeFields(services_.clock->now());
    const std::u16string date =
        RenderDateTime(settings_.format, t, services_.localeSettings,
                       EraContext{services_.altCalendar, services_.startupLocale});
    const std::u16string memory =
        UpdateMemoryInfo(*services_.memory, services_.localeSettings.decimalSep);
    const CpuTexts cpu = UpdateCpuInfo();
    scene_.line = settings_.sep + date + settings_.sep + memory + settings_.sep + cpu.cpuInfo;
    scene_.glyph = cpu.busyGlyph;
    present();
}

void StripWindow::present() {
    scene_.width = settings_.width;
    scene_.height = settings_.height;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = scene_.width;
    info.bmiHeader.biHeight = -scene_.height; // top-down, as the painter writes
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib) {
        paintStrip(scene_, static_cast<std::uint32_t*>(bits));
        HGDIOBJ old = SelectObject(memory, dib);
        POINT at{settings_.left, settings_.top}, origin{0, 0};
        SIZE size{scene_.width, scene_.height};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(hwnd_, screen, &at, &size, memory, &origin, 0, &blend, ULW_ALPHA);
        SelectObject(memory, old);
        DeleteObject(dib);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

void StripWindow::FormResize() {
    if (settings_.height < kMinHeight) settings_.height = kMinHeight;
    if (settings_.width < kMinWidth) settings_.width = kMinWidth;
}

void StripWindow::WriteIniFile() {
    zrm58::WriteIniFile(services_.settingsPath, services_.localeSettings.decimalSep,
                        [this] { return settings_; });
}

void StripWindow::WMQueryEndSession(MessageRecord& message) {
    try {
        WriteIniFile();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zrm58: saving the settings at the session end failed: %s\n",
                     e.what());
    }
    message.result = 1;
}

void StripWindow::closeQuery() {
    // The close never refuses, but a save that fails abandons it.
    try {
        WriteIniFile();
    } catch (const std::exception& e) {
        showStandardError(hwnd_, e.what());
        return;
    }
    DestroyWindow(hwnd_);
}

void StripWindow::comeForward() {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    applyWindowStyle();
    SetForegroundWindow(hwnd_);
}

// --- Pointer ---

void StripWindow::onPress(int x, int y) {
    if (tracking_ != Tracking::None) return;
    const BoxGeometry box(scene_);
    if (!box.insideMargin(static_cast<float>(x), static_cast<float>(y))) return;
    if (box.onMenuButton(static_cast<float>(x), static_cast<float>(y))) {
        tracking_ = Tracking::ButtonPress;
        return;
    }
    if (resizeMode_) {
        tracking_ = Tracking::Resizing;
        workingWidth_ = settings_.width;
        workingHeight_ = settings_.height;
        lastPoint_ = {x, y};
    } else {
        tracking_ = Tracking::Moving;
        pressPoint_ = {x, y};
    }
    SetCapture(hwnd_);
}

void StripWindow::onMove(int x, int y) {
    if (tracking_ == Tracking::Moving) {
        settings_.left = roundEven(settings_.left + (x - pressPoint_.x));
        settings_.top = roundEven(settings_.top + (y - pressPoint_.y));
        SetWindowPos(hwnd_, nullptr, settings_.left, settings_.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (tracking_ == Tracking::Resizing) {
        workingWidth_ = roundEven(x - lastPoint_.x + workingWidth_);
        workingHeight_ = roundEven(y - lastPoint_.y + workingHeight_);
        settings_.width = workingWidth_;
        settings_.height = workingHeight_;
        FormResize();
        present();
        SetCursor(LoadCursorW(nullptr, IDC_SIZENWSE));
        lastPoint_ = {x, y};
    }
}

void StripWindow::onRelease(int x, int y) {
    const Tracking was = tracking_;
    tracking_ = Tracking::None;
    const BoxGeometry box(scene_);
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    if (was == Tracking::ButtonPress) {
        if (box.onMenuButton(fx, fy)) openMenu();
        return;
    }
    if (was == Tracking::None) return;
    ReleaseCapture();
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    // The release ends the resize mode only over the strip, not over the menu button.
    if (box.insideMargin(fx, fy) && !box.onMenuButton(fx, fy)) resizeMode_ = false;
}

void StripWindow::openMenu() {
    int x = 0, y = 0;
    BoxGeometry(scene_).menuAnchor(x, y);
    const POINT at{settings_.left + x, settings_.top + y};
    switch (showStripMenu(hwnd_, at, resizeMode_)) {
    case MenuChoice::Resize:
        resizeMode_ = !resizeMode_;
        break;
    case MenuChoice::Settings:
        break;
    case MenuChoice::Close:
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        break;
    case MenuChoice::None:
        break;
    }
}

// --- Messages ---

LRESULT CALLBACK StripWindow::windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<StripWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    StripWindow* self = fromHwnd(hwnd);
    if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (self && self->handle(msg, wp, lp)) return 0;
    if (self && msg == WM_SETCURSOR && self->tracking_ == Tracking::Resizing) return TRUE;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool StripWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
    // Window coordinates: the client area is the whole window. Taken from the screen position
    // and the position this window last asked for, so that moves reported before a move was
    // carried out do not jitter.
    const auto windowPoint = [this](LPARAM l, int& x, int& y) {
        POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        ClientToScreen(hwnd_, &p);
        x = p.x - settings_.left;
        y = p.y - settings_.top;
    };
    int x = 0, y = 0;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        windowPoint(lp, x, y);
        onPress(x, y);
        return true;
    case WM_MOUSEMOVE:
        windowPoint(lp, x, y);
        onMove(x, y);
        return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        windowPoint(lp, x, y);
        onRelease(x, y);
        return true;
    case WM_CAPTURECHANGED:
        if (tracking_ == Tracking::Moving || tracking_ == Tracking::Resizing)
            tracking_ = Tracking::None;
        return true;
    case WM_SETCURSOR:
        if (tracking_ == Tracking::Resizing) SetCursor(LoadCursorW(nullptr, IDC_SIZENWSE));
        return false; // the answer TRUE while resizing is given by windowProc
    case WM_TIMER:
        if (wp == kTimerId) Timer1Timer();
        return true;
    case WM_CLOSE:
        closeQuery();
        return true;
    case WM_DESTROY:
        KillTimer(hwnd_, kTimerId);
        TMessageDispatcherWin::UnregisterHandler(this);
        hwnd_ = nullptr;
        PostQuitMessage(0);
        return true;
    case kMsgComeForward:
        comeForward();
        return true;
    default:
        break;
    }
    return false;
}

} // namespace zrm58::win32face
