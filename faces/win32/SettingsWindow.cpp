#include "faces/win32/SettingsWindow.h"
#include "faces/win32/ColourDialog.h"
#include "faces/win32/Dpi.h"
#include "faces/win32/FontChoice.h"
#include "faces/win32/TextFit.h"
#include "strip/SettingsLists.h"
#include "strip/SettingsModel.h"
#include <algorithm>
#include <cmath>
#include <commctrl.h>
#include <commdlg.h>
#include <cstdio>
#include <string>

namespace zrm58::win32face {
namespace {

constexpr wchar_t kClass[] = L"ZRM58Settings";

enum Id : int {
    kShowTask = 101,
    kTop,
    kOpacity,
    kOpacitySpin,
    kInterval,
    kIntervalSpin,
    kWidth,
    kWidthSpin,
    kSeparator,
    kSeparatorList,
    kFormat,
    kGradient,
    kDirection,
    kColour1,
    kColour2,
    kPicture,
    kSelectFile,
    kFontColour,
    kBold,
    kShadow,
    kFamily,
    kClose,
};

// A spin box: a text field with an up-down control beside it, holding a number of the range
// shown with a fixed number of decimals. Typed text is limited to the range when read.
struct Spin {
    int edit, updown;
    double lo, hi, step;
    int decimals;
};
constexpr Spin kSpins[] = {
    {kOpacity, kOpacitySpin, SettingsModel::kMinOpacity, SettingsModel::kMaxOpacity, 0.1, 1},
    {kInterval, kIntervalSpin, SettingsModel::kMinSeconds, SettingsModel::kMaxSeconds, 1, 0},
    {kWidth, kWidthSpin, SettingsModel::kMinWidthFactor, SettingsModel::kMaxWidthFactor, 0.02, 2},
};

struct Dialog {
    SettingsModel* model;
    StripFace* face;
    HWND hwnd = nullptr;
    HWND tooltip = nullptr;
    HFONT font = nullptr;
    UINT dpi = 96; // the monitor's, fixed while the window is open
    bool done = false;
    bool filling = false; // the model's values going into the controls: no user's edit
    // The colour pickers' values while the window is open.
    std::uint32_t colour1 = 0, colour2 = 0, fontColour = 0;
};

// Where the window was last (centred on the desktop the first time), and the states the check
// boxes with change handlers last showed: the window keeps its controls between openings.
POINT lastPosition{CW_USEDEFAULT, CW_USEDEFAULT};
bool shownTop = false, shownBold = false, shownShadow = false;
COLORREF customColours[16] = {};

HWND item(const Dialog& d, int id) {
    return GetDlgItem(d.hwnd, id);
}

std::wstring text(const Dialog& d, int id) {
    HWND h = item(d, id);
    std::wstring s(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    s.resize(static_cast<std::size_t>(GetWindowTextW(h, s.data(), static_cast<int>(s.size()))));
    return s;
}

std::u16string u16(const std::wstring& s) {
    return std::u16string(s.begin(), s.end());
}

bool checked(const Dialog& d, int id) {
    return SendMessageW(item(d, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void setChecked(const Dialog& d, int id, bool on) {
    SendMessageW(item(d, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

double spinValue(const Dialog& d, const Spin& s) {
    std::wstring t = text(d, s.edit);
    for (wchar_t& c : t)
        if (c == L',') c = L'.'; // either decimal separator
    wchar_t* end = nullptr;
    const double v = std::wcstod(t.c_str(), &end);
    if (end == t.c_str() || std::isnan(v)) return s.lo;
    return std::clamp(v, s.lo, s.hi);
}

void setSpinValue(const Dialog& d, const Spin& s, double v) {
    v = std::clamp(v, s.lo, s.hi);
    wchar_t buf[32];
    std::swprintf(buf, 32, L"%.*f", s.decimals, v);
    SetWindowTextW(item(d, s.edit), buf);
}

HWND add(Dialog& d, const wchar_t* cls, const wchar_t* caption, DWORD style, int x, int y, int w,
         int h, int id, DWORD exStyle = 0) {
    // Positions as designed at 96 DPI, scaled to the monitor's.
    HWND c = CreateWindowExW(exStyle, cls, caption, WS_CHILD | WS_VISIBLE | style, scaled(x, d.dpi),
                             scaled(y, d.dpi), scaled(w, d.dpi), scaled(h, d.dpi), d.hwnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(d.font), FALSE);
    return c;
}

void addCheck(Dialog& d, const wchar_t* caption, int x, int y, int w, int id) {
    add(d, L"BUTTON", caption, BS_AUTOCHECKBOX | WS_TABSTOP, x, y, w, 19, id);
}

void addLabel(Dialog& d, const wchar_t* caption, int x, int y, int w, int h = 17) {
    add(d, L"STATIC", caption, SS_LEFT, x, y, w, h, -1);
}

void addSpin(Dialog& d, const Spin& s, int x, int y, int w) {
    HWND edit =
        add(d, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, x, y, w, 22, s.edit, WS_EX_CLIENTEDGE);
    HWND updown = add(d, UPDOWN_CLASSW, L"", UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0, 0, 0, 0, s.updown);
    SendMessageW(updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    // The arrows are turned into steps of the spin box's own (UDN_DELTAPOS).
    SendMessageW(updown, UDM_SETRANGE32, 0, 100000);
    SendMessageW(updown, UDM_SETPOS32, 0, 50000);
}

void createControls(Dialog& d) {
    // The groups' captions and the texts are the program's; positions as designed, in pixels.
    add(d, L"BUTTON", L"Form", BS_GROUPBOX, 16, 16, 305, 321, -1);
    add(d, L"BUTTON", L"背景", BS_GROUPBOX, 328, 16, 217, 161, -1);
    add(d, L"BUTTON", L"文字", BS_GROUPBOX, 328, 184, 217, 153, -1);
    // 背景, then 文字, then Form: the keyboard's order through the window.
    const int bx = 328, by = 16;
    addCheck(d, L"グラジエント", bx + 24, by + 32, 89, kGradient);
    add(d, L"BUTTON", L"", BS_OWNERDRAW | WS_TABSTOP, bx + 120, by + 72, 81, 22, kColour2);
    add(d, L"BUTTON", L"", BS_OWNERDRAW | WS_TABSTOP, bx + 24, by + 72, 81, 22, kColour1);
    HWND direction = add(d, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, bx + 112,
                         by + 32, 81, 200, kDirection);
    for (const wchar_t* entry : {L"垂直", L"水平", L"斜め"})
        SendMessageW(direction, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    addCheck(d, L"画像表示", bx + 24, by + 120, 89, kPicture);
    add(d, L"BUTTON", L"画像選択", BS_PUSHBUTTON | WS_TABSTOP, bx + 120, by + 120, 80, 22,
        kSelectFile);
    const int tx = 328, ty = 184;
    addLabel(d, L"文字色", tx + 16, ty + 24, 41);
    add(d, L"BUTTON", L"", BS_OWNERDRAW | WS_TABSTOP, tx + 7, ty + 40, 90, 22, kFontColour);
    addCheck(d, L"ボールド", tx + 119, ty + 25, 81, kBold);
    addCheck(d, L"影を付ける", tx + 119, ty + 57, 82, kShadow);
    addLabel(d, L"フォント名", tx + 16, ty + 88, 81);
    HWND family = add(d, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, tx + 16,
                      ty + 112, 185, 300, kFamily);
    for (std::u16string_view f : kFontFamilies) {
        const std::wstring w(f.begin(), f.end());
        SendMessageW(family, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    }
    const int fx = 16, fy = 16;
    addLabel(d, L"透明度", fx + 16, fy + 64, 57);
    addSpin(d, kSpins[0], fx + 72, fy + 64, 57);
    addLabel(d, L"インターバル", fx + 144, fy + 64, 65);
    addSpin(d, kSpins[1], fx + 216, fy + 59, 57);
    addCheck(d, L"タスクバーに表示", fx + 16, fy + 32, 113, kShowTask);
    addCheck(d, L"前面表示", fx + 144, fy + 32, 73, kTop);
    addLabel(d, L"表示幅", fx + 16, fy + 104, 49);
    addSpin(d, kSpins[2], fx + 64, fy + 104, 68);
    addLabel(d, L"日付・時間フォーマット", fx + 16, fy + 248, 200);
    add(d, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, fx + 8, fy + 280, 273, 22, kFormat,
        WS_EX_CLIENTEDGE);
    addLabel(d, L"セパレート文字", fx + 16, fy + 160, 85);
    add(d, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, fx + 104, fy + 160, 65, 22, kSeparator,
        WS_EX_CLIENTEDGE);
    HWND list = add(d, L"LISTBOX", L"", LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, fx + 200, fy + 120,
                    73, 121, kSeparatorList, WS_EX_CLIENTEDGE);
    for (std::size_t i = 0; i < kSeparatorEntries.size(); ++i) {
        const std::u16string e = separatorEntry(static_cast<int>(i));
        const std::wstring w(e.begin(), e.end());
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    }
    addLabel(d,
             L"yyyy:年 mm:月 dd:日付 ddd:曜日  gg:年号 ee:年号の年  hh:時 nn:分 ss:秒 "
             L"シングル文字の場合は0無し表示",
             8, 360, 545);
    add(d, L"BUTTON", L"Close", BS_DEFPUSHBUTTON | WS_TABSTOP, 128, 408, 209, 41, kClose);

    // The hover hint of the task-bar check box.
    d.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                0, 0, 0, 0, d.hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = d.hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(item(d, kShowTask));
    tool.lpszText = const_cast<wchar_t*>(L"再起動が必要です");
    SendMessageW(d.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The controls from the model; the check boxes with change handlers run them when the state
// they show changes.
void fill(Dialog& d) {
    SettingsModel& m = *d.model;
    d.filling = true;
    d.colour1 = m.ComboColorBox1;
    d.colour2 = m.ComboColorBox2;
    d.fontColour = m.FontColorBox1;
    setChecked(d, kGradient, m.GraCheck);
    SendMessageW(item(d, kDirection), CB_SETCURSEL,
                 m.DirectionBox1 >= 0 && m.DirectionBox1 <= 2 ? m.DirectionBox1 : -1, 0);
    setSpinValue(d, kSpins[1], m.SpinBox1);
    setChecked(d, kPicture, m.GazouCheck);
    setSpinValue(d, kSpins[0], m.OpSpin);
    m.boxShown(SettingsModel::Box::Opacity, spinValue(d, kSpins[0]));
    setChecked(d, kShowTask, m.ShowTaskCheck);
    setChecked(d, kTop, m.TopCheck);
    if (m.TopCheck != shownTop) shownTop = m.TopCheck, m.TopCheckChange();
    setChecked(d, kBold, m.BoldCheck);
    if (m.BoldCheck != shownBold) shownBold = m.BoldCheck, m.BoldCheckChange();
    setChecked(d, kShadow, m.ShadowCheck);
    if (m.ShadowCheck != shownShadow) shownShadow = m.ShadowCheck, m.ShadowCheckChange();
    setSpinValue(d, kSpins[2], m.OrgWidthSpin);
    m.boxShown(SettingsModel::Box::WidthFactor, spinValue(d, kSpins[2]));
    SetWindowTextW(item(d, kFormat), std::wstring(m.Edit1.begin(), m.Edit1.end()).c_str());
    SetWindowTextW(item(d, kSeparator), std::wstring(m.Edit2.begin(), m.Edit2.end()).c_str());
    SendMessageW(item(d, kFamily), CB_SETCURSEL, m.ComboBox1, 0);
    d.filling = false;
}

// The controls' values into the model. DirectionBox1 keeps the value it was given until the
// user picks an entry.
void readBack(Dialog& d) {
    SettingsModel& m = *d.model;
    m.ComboColorBox1 = d.colour1;
    m.ComboColorBox2 = d.colour2;
    m.FontColorBox1 = d.fontColour;
    m.GraCheck = checked(d, kGradient);
    const LRESULT direction = SendMessageW(item(d, kDirection), CB_GETCURSEL, 0, 0);
    if (direction != CB_ERR) m.DirectionBox1 = static_cast<std::int32_t>(direction);
    m.SpinBox1 = static_cast<int>(spinValue(d, kSpins[1]));
    m.GazouCheck = checked(d, kPicture);
    m.OpSpin = spinValue(d, kSpins[0]);
    m.ShowTaskCheck = checked(d, kShowTask);
    m.TopCheck = checked(d, kTop);
    m.BoldCheck = checked(d, kBold);
    m.ShadowCheck = checked(d, kShadow);
    m.OrgWidthSpin = spinValue(d, kSpins[2]);
    m.Edit1 = u16(text(d, kFormat));
    m.Edit2 = u16(text(d, kSeparator));
    m.ComboBox1 = static_cast<int>(SendMessageW(item(d, kFamily), CB_GETCURSEL, 0, 0));
}

void pickColour(Dialog& d, std::uint32_t& argb, int id) {
    if (const std::optional<std::uint32_t> picked = pickArgbColour(d.hwnd, argb, customColours)) {
        argb = *picked;
        InvalidateRect(item(d, id), nullptr, TRUE);
    }
}

void drawColourButton(const Dialog& d, const DRAWITEMSTRUCT& di) {
    const std::uint32_t argb = di.CtlID == kColour1   ? d.colour1
                               : di.CtlID == kColour2 ? d.colour2
                                                      : d.fontColour;
    RECT r = di.rcItem;
    DrawEdge(di.hDC, &r, (di.itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED,
             BF_RECT | BF_ADJUST);
    InflateRect(&r, -2, -2);
    paintColourSwatch(di.hDC, r, argb);
    if (di.itemState & ODS_FOCUS) DrawFocusRect(di.hDC, &di.rcItem);
}

void command(Dialog& d, int id, int code) {
    SettingsModel& m = *d.model;
    switch (id) {
    case kTop:
        m.TopCheck = checked(d, kTop);
        shownTop = m.TopCheck;
        m.TopCheckChange();
        break;
    case kBold:
        m.BoldCheck = checked(d, kBold);
        shownBold = m.BoldCheck;
        m.BoldCheckChange();
        break;
    case kShadow:
        m.ShadowCheck = checked(d, kShadow);
        shownShadow = m.ShadowCheck;
        m.ShadowCheckChange();
        break;
    case kOpacity: // typed in, or stepped with the arrows
    case kWidth:
        if (code == EN_CHANGE && !d.filling)
            m.boxEdited(id == kOpacity ? SettingsModel::Box::Opacity
                                       : SettingsModel::Box::WidthFactor);
        break;
    case kSeparatorList:
        if (code == LBN_SELCHANGE) {
            m.Edit2 = u16(text(d, kSeparator));
            m.ListBox1Click(
                static_cast<int>(SendMessageW(item(d, kSeparatorList), LB_GETCURSEL, 0, 0)));
            SetWindowTextW(item(d, kSeparator),
                           std::wstring(m.Edit2.begin(), m.Edit2.end()).c_str());
        }
        break;
    case kSelectFile:
        m.SelectFileBtnClick();
        break;
    case kColour1:
        pickColour(d, d.colour1, id);
        break;
    case kColour2:
        pickColour(d, d.colour2, id);
        break;
    case kFontColour:
        pickColour(d, d.fontColour, id);
        break;
    case kClose:
    case IDOK:
        readBack(d);
        if (m.CloseBtnClick()) d.done = true;
        break;
    case IDCANCEL: // Escape: as the caption bar's close button
        readBack(d);
        d.done = true;
        break;
    default:
        break;
    }
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* d = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_NCCREATE:
        d = static_cast<Dialog*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        d->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(d));
        break;
    case WM_COMMAND:
        if (d) command(*d, LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_NOTIFY:
        if (d && reinterpret_cast<NMHDR*>(lp)->code == UDN_DELTAPOS) {
            const auto* n = reinterpret_cast<NMUPDOWN*>(lp);
            for (const Spin& s : kSpins)
                if (static_cast<int>(n->hdr.idFrom) == s.updown)
                    setSpinValue(*d, s, spinValue(*d, s) + (n->iDelta > 0 ? s.step : -s.step));
            return TRUE; // the up-down's own position does not change
        }
        break;
    case WM_DRAWITEM:
        if (d) drawColourButton(*d, *reinterpret_cast<DRAWITEMSTRUCT*>(lp));
        return TRUE;
    case WM_CLOSE: // the caption bar's close button: applies, saves nothing
        if (d) {
            readBack(*d);
            d->done = true;
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

constexpr int kClientWidth = 559, kClientHeight = 473; // at 96 DPI

// The window's frame for a client area `width` wide (pixels) and the design's height, scaled.
SIZE frameFor(const Dialog& d, DWORD style, DWORD exStyle, int width) {
    RECT frame{0, 0, width, scaled(kClientHeight, d.dpi)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// Where it was last, or centred on the strip's monitor the first time; the DPI and font of that
// monitor: a font that holds the Japanese texts (FontChoice's fallbacks), 12 pixels at 96 DPI.
void placeScaled(Dialog& d, DWORD style, DWORD exStyle, HWND owner) {
    d.dpi = windowDpi(owner);
    SIZE size = frameFor(d, style, exStyle, scaled(kClientWidth, d.dpi));
    if (lastPosition.x == CW_USEDEFAULT) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& work = monitor.rcMonitor;
        lastPosition.x = work.left + (work.right - work.left - size.cx) / 2;
        lastPosition.y = work.top + (work.bottom - work.top - size.cy) / 2;
    }
    SetWindowPos(d.hwnd, nullptr, lastPosition.x, lastPosition.y, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    d.dpi = windowDpi(d.hwnd); // the monitor it is on now
    const std::wstring family = coveringFamily(
        u"Yu Gothic UI", u"タスクバーに表示前面表示透明度インターバル表示幅設定背景文字");
    d.font = CreateFontW(-scaled(12, d.dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, family.c_str());
}

void resizeClient(const Dialog& d, DWORD style, DWORD exStyle, int width) {
    const SIZE size = frameFor(d, style, exStyle, width);
    SetWindowPos(d.hwnd, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

} // namespace

void runSettingsDialog(HWND owner, SettingsModel& model, StripFace& face) {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = windowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    Dialog d{&model, &face};
    // A fixed-size tool window with a close button only, client area 559 x 473 at 96 DPI.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    HWND hwnd = CreateWindowExW(exStyle, kClass, L"設定", style, 0, 0, 0, 0, owner, nullptr,
                                GetModuleHandleW(nullptr), &d);
    if (!hwnd) return;
    placeScaled(d, style, exStyle, owner);
    createControls(d);
    const int fitted = fitTexts(hwnd, d.font, d.dpi, scaled(kClientWidth, d.dpi));
    resizeClient(d, style, exStyle, fitted);
    fill(d);
    // Modal: the strip takes no input meanwhile, its timer goes on ticking.
    EnableWindow(owner, FALSE);
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    MSG msg;
    while (!d.done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam)); // for the outer loop
            readBack(d);
            break;
        }
        if (!IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    EnableWindow(owner, TRUE);
    RECT placed{};
    GetWindowRect(hwnd, &placed);
    lastPosition = {placed.left, placed.top};
    DestroyWindow(hwnd);
    DeleteObject(d.font);
}

} // namespace zrm58::win32face
