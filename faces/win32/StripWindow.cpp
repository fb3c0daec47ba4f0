#include "faces/win32/StripWindow.h"
#include "faces/win32/Dpi.h"
#include "faces/win32/Gdip.h"
#include "faces/win32/SettingsWindow.h"
#include "faces/win32/StripMenu.h"
#include "strip/Strip.h"
#include "texts/Texts.h"
#include <cmath>
#include <commctrl.h>
#include <commdlg.h>
#include <shlwapi.h>
#include <vector>
#include <windowsx.h>

namespace zrm58::win32face {
namespace {

constexpr UINT_PTR kTimerId = 1;
// Posted to the strip itself: draw what changed (several changes, one drawing), and open the
// menu after the press that asked for it has been handled.
constexpr UINT kMsgPresent = WM_APP + 2;
constexpr UINT kMsgOpenMenu = WM_APP + 3;

StripWindow* fromHwnd(HWND hwnd) {
    return reinterpret_cast<StripWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool isTopmost(HWND hwnd) {
    return (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// The top-level windows that `owner` owns, in their order from the top.
std::vector<HWND> ownedWindows(HWND owner) {
    struct Search {
        HWND owner;
        std::vector<HWND> found;
    } search{owner, {}};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (GetWindow(w, GW_OWNER) == s->owner) s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

} // namespace

StripWindow::StripWindow(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.lpszClassName = kStripClass;
    RegisterClassExW(&wc);
    // Created hidden with the task-bar button's extended style; the strip may take it away
    // before the first showing.
    hwnd_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_APPWINDOW, kStripClass, L"ZRM58", WS_POPUP,
                            frame_.left, frame_.top, frame_.width, frame_.height, nullptr, nullptr,
                            instance, this);
    SetTimer(hwnd_, kTimerId, kDesignInterval, nullptr);
}

StripWindow::~StripWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void StripWindow::enableDetails(ProcessSource& processes, SystemDetailsSource& source,
                                char16_t decimalSep) {
    if (strip_)
        details_ = std::make_unique<DetailsPanel>(*strip_, hwnd_, processes, source, decimalSep);
}

void StripWindow::hover(PointF p, WPARAM buttons) {
    if (!details_) return;
    details_->hover().pointerMoved(p, (buttons & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0);
    TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, hwnd_, 0};
    TrackMouseEvent(&leave);
}

// --- The window ---

double StripWindow::scale() const {
    return windowDpi(hwnd_) / 96.0;
}

RECT StripWindow::pixels() const {
    const double k = scale();
    const auto px = [k](int v) { return static_cast<LONG>(std::lround(v * k)); };
    return {px(frame_.left), px(frame_.top), px(frame_.left) + px(frame_.width),
            px(frame_.top) + px(frame_.height)};
}

void StripWindow::setGeometry(const Rect& frame) {
    const bool resized = frame.width != frame_.width || frame.height != frame_.height;
    frame_ = frame;
    if (resized) {
        schedulePresent(); // the new size reaches the window with its new pixels
    } else if (IsWindowVisible(hwnd_)) {
        const RECT r = pixels();
        SetWindowPos(hwnd_, nullptr, r.left, r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

Size StripWindow::desktopSize() const {
    const double k = scale();
    return {std::max(kMinStripWidth, static_cast<int>(GetSystemMetrics(SM_CXVIRTUALSCREEN) / k)),
            std::max(kMinStripHeight, static_cast<int>(GetSystemMetrics(SM_CYVIRTUALSCREEN) / k))};
}

Rect StripWindow::logical(const RECT& r) const {
    const double k = scale();
    const auto v = [k](LONG px) { return static_cast<int>(std::lround(px / k)); };
    return Rect{v(r.left), v(r.top), v(r.right - r.left), v(r.bottom - r.top)};
}

std::optional<Rect> StripWindow::primaryScreen() const {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info))
        return std::nullopt;
    return logical(info.rcMonitor);
}

std::optional<Rect> StripWindow::workArea() const {
    // The monitor of the frame the strip last asked for: a hidden window keeps its old place.
    const RECT strip = pixels();
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromRect(&strip, MONITOR_DEFAULTTOPRIMARY), &info))
        return std::nullopt;
    return logical(info.rcWork);
}

std::vector<Screen> StripWindow::screens() const {
    struct Search {
        const StripWindow* self;
        std::vector<Screen> found;
    } search{this, {}};
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (!GetMonitorInfoW(monitor, &info)) return TRUE;
            const Screen screen{s->self->logical(info.rcMonitor), s->self->logical(info.rcWork)};
            if (info.dwFlags & MONITORINFOF_PRIMARY)
                s->found.insert(s->found.begin(), screen);
            else
                s->found.push_back(screen);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void StripWindow::createWindow() {
    // The window exists since the constructor.
}

void StripWindow::showWindow() {
    surface_.forget();
    present();
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void StripWindow::setStaysOnTop(bool on) {
    constexpr UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(hwnd_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    if (!on || isTopmost(hwnd_)) return;
    // Wine first moves the windows the strip owns (an open settings window, a message box) to
    // the top and then links the strip after the last of them, where it is made topmost only
    // when the window after it is topmost too: the strip stays as it was. Its owned windows are
    // let go for the move and taken back after it, above the strip as Windows keeps them.
    const std::vector<HWND> owned = ownedWindows(hwnd_);
    for (HWND w : owned)
        SetWindowLongPtrW(w, GWLP_HWNDPARENT, 0);
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, flags);
    for (HWND w : owned) {
        SetWindowLongPtrW(w, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(hwnd_));
        SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, flags);
    }
}

void StripWindow::setTaskBarButton(bool shown) {
    // A tool window has no task-bar button; the change reaches the task bar when the window is
    // shown again.
    LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    ex = shown ? (ex | WS_EX_APPWINDOW) & ~WS_EX_TOOLWINDOW
               : (ex | WS_EX_TOOLWINDOW) & ~WS_EX_APPWINDOW;
    const bool visible = IsWindowVisible(hwnd_);
    if (visible) ShowWindow(hwnd_, SW_HIDE);
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex);
    if (visible) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    // The next drawing hands over every pixel, whatever the window kept through the change.
    surface_.forget();
}

void StripWindow::requestClose() {
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

// --- Drawing ---

void StripWindow::schedulePresent() {
    if (presentPending_ || !hwnd_) return;
    presentPending_ = true;
    PostMessageW(hwnd_, kMsgPresent, 0, 0);
}

double StripWindow::lineWidth(std::u16string_view text) const {
    return measureLine(scene(false), std::u16string(text));
}

StripScene StripWindow::scene(bool withPicture) const {
    const RECT r = pixels();
    StripScene s{strip_->view(), r.right - r.left, r.bottom - r.top, static_cast<float>(scale()),
                 nullptr};
    if (withPicture && s.view.Rectangle1.fill.kind == FillKind::Bitmap) {
        // Decoded anew for a new size once a resize by the pointer has ended (the release
        // draws again), stretched meanwhile.
        int width = 0, height = 0;
        pictureSize(s, width, height);
        s.picture = picture_.at(width, height, strip_->tracking() != Strip::Tracking::Resizing);
    }
    return s;
}

void StripWindow::present() {
    presentPending_ = false;
    if (!hwnd_ || !strip_ || frame_.width <= 0 || frame_.height <= 0) return;
    const StripScene s = scene();
    std::uint32_t* bits = surface_.pixels(s.width, s.height);
    if (!bits) return;
    painter_.paint(s, bits);
    const RECT r = pixels();
    surface_.update(hwnd_, POINT{r.left, r.top});
}

void StripWindow::pictureSize(const StripScene& s, int& width, int& height) {
    const RectF area = s.box().area;
    width = static_cast<int>(std::ceil(static_cast<float>(area.width)));
    height = static_cast<int>(std::ceil(static_cast<float>(area.height)));
}

bool StripWindow::loadBackgroundPicture(const std::string&, std::string_view bytes) {
    int width = 0, height = 0;
    pictureSize(scene(false), width, height);
    return picture_.load(bytes, width, height);
}

// --- Pointer and menu ---

void StripWindow::capturePointer(bool on) {
    if (on)
        SetCapture(hwnd_);
    else if (GetCapture() == hwnd_)
        ReleaseCapture();
}

void StripWindow::setSizingPointer(bool on) {
    sizing_ = on;
    SetCursor(LoadCursorW(nullptr, on ? IDC_SIZENWSE : IDC_ARROW));
}

void StripWindow::openMenu(const RectF& b) {
    // After the release that asked for it has been handled: the menu runs a loop of its own.
    const double k = scale();
    const RECT r = pixels();
    menuButton_ = RECT{r.left + static_cast<LONG>(std::lround(b.x * k)),
                       r.top + static_cast<LONG>(std::lround(b.y * k)),
                       r.left + static_cast<LONG>(std::lround((b.x + b.width) * k)),
                       r.top + static_cast<LONG>(std::lround((b.y + b.height) * k))};
    PostMessageW(hwnd_, kMsgOpenMenu, 0, 0);
}

void StripWindow::runMenu() {
    if (const std::optional<MenuCommand> chosen =
            showStripMenu(hwnd_, menuButton_, strip_->resizeMode()))
        runMenuCommand(*strip_, *chosen);
}

// --- Timer and dialogs ---

void StripWindow::setTimerInterval(int ms) {
    KillTimer(hwnd_, kTimerId);
    if (ms > 0) SetTimer(hwnd_, kTimerId, static_cast<UINT>(ms), nullptr);
}

void StripWindow::showError(std::u16string_view text) {
    MessageBoxW(hwnd_, wide(text).c_str(), L"ZRM58", MB_OK | MB_ICONERROR);
}

FailedSaveChoice StripWindow::showFailedSaveAtClose(std::u16string_view text) {
    // A task dialog (common controls 6, which the manifest asks for): a message box cannot name
    // its buttons. Escape and the box's close give the default, the abandoned close.
    enum : int { kKeep = 100, kEnd = 101 };
    const std::wstring message = wide(text), keep = wide(localText(TextId::KeepRunningButton)),
                       end = wide(localText(TextId::EndWithoutSavingButton));
    const TASKDIALOG_BUTTON buttons[] = {{kKeep, keep.c_str()}, {kEnd, end.c_str()}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = hwnd_;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = L"ZRM58";
    config.pszMainIcon = TD_ERROR_ICON;
    config.pszContent = message.c_str();
    config.cButtons = static_cast<UINT>(std::size(buttons));
    config.pButtons = buttons;
    config.nDefaultButton = kKeep;
    int chosen = kKeep;
    if (FAILED(TaskDialogIndirect(&config, &chosen, nullptr, nullptr))) {
        showError(text); // no task dialog to be had: the plain box, and the close abandoned
        return FailedSaveChoice::KeepRunning;
    }
    return chosen == kEnd ? FailedSaveChoice::EndWithoutSaving : FailedSaveChoice::KeepRunning;
}

void StripWindow::runSettingsWindow(SettingsModel& model) {
    runSettingsDialog(hwnd_, model, *this);
}

std::optional<std::u16string> StripWindow::openFileDialog() {
    // All files, no filter, no title, no starting folder: the dialog remembers the last one.
    wchar_t file[32768] = L"";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFile = file;
    ofn.nMaxFile = static_cast<DWORD>(std::size(file));
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return std::nullopt;
    const std::wstring chosen(file);
    return std::u16string(chosen.begin(), chosen.end());
}

// --- Messages ---

PointF StripWindow::windowPoint(LPARAM lp) const {
    // From the screen position and the frame this window last asked for, so that moves
    // reported before a move was carried out do not jitter.
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    ClientToScreen(hwnd_, &p);
    const RECT r = pixels();
    const double k = scale();
    return {(p.x - r.left) / k, (p.y - r.top) / k};
}

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
    if (self && msg == WM_SETCURSOR && self->sizing_) return TRUE;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool StripWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (details_) details_->hover().hide();
        if (strip_) strip_->pointerPress(windowPoint(lp));
        return true;
    case WM_MOUSEMOVE:
        if (strip_) {
            strip_->pointerMove(windowPoint(lp));
            hover(windowPoint(lp), wp);
        }
        return true;
    case WM_MOUSELEAVE:
        if (details_) details_->hover().hide();
        return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (strip_) {
            const bool resizing = strip_->tracking() == Strip::Tracking::Resizing;
            strip_->pointerRelease(windowPoint(lp));
            if (resizing) schedulePresent(); // the picture at the size the resize ended at
        }
        return true;
    case WM_CAPTURECHANGED:
        // Another window took the pointer in the middle of a move or resize (a system dialog,
        // a menu of another program): the tracking ends where the pointer is, as at a release;
        // else the strip would follow the pointer with no button held.
        if (strip_ && reinterpret_cast<HWND>(lp) != hwnd_ &&
            (strip_->tracking() == Strip::Tracking::Moving ||
             strip_->tracking() == Strip::Tracking::Resizing)) {
            POINT p{};
            GetCursorPos(&p);
            ScreenToClient(hwnd_, &p);
            strip_->pointerRelease(windowPoint(MAKELPARAM(p.x, p.y)));
            schedulePresent();
        }
        return true;
    case WM_SETCURSOR:
        if (sizing_) SetCursor(LoadCursorW(nullptr, IDC_SIZENWSE));
        return false; // windowProc answers TRUE while sizing
    case WM_TIMER:
        if (wp == kTimerId && strip_) {
            strip_->Timer1Timer();
            if (details_) details_->hover().ticked();
        } else if (wp == DetailsPanel::kRestTimer && details_) {
            details_->hover().restElapsed();
        }
        return true;
    case kMsgPresent:
        present();
        return true;
    case kMsgOpenMenu:
        if (strip_) runMenu();
        return true;
    case WM_MEASUREITEM:
        return wp == 0 && measureMenuItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lp));
    case WM_DRAWITEM:
        return wp == 0 && drawMenuItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    case WM_CLOSE:
        // The close query saves; a failed save keeps the strip open.
        if (!strip_ || strip_->FormCloseQuery()) DestroyWindow(hwnd_);
        return true;
    case WM_DESTROY:
        details_.reset();
        KillTimer(hwnd_, kTimerId);
        hwnd_ = nullptr;
        PostQuitMessage(0);
        return true;
    case WM_DPICHANGED:
        // Moved onto a monitor of another scale: the same logical frame in its pixels.
        schedulePresent();
        return true;
    case kMsgComeForward:
        if (strip_) strip_->bringWholeOnScreen();
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        if (strip_) setStaysOnTop(strip_->IsTop);
        SetForegroundWindow(hwnd_);
        return true;
    default:
        return false;
    }
}

} // namespace zrm58::win32face
