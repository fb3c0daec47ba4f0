#include "faces/win32/SettingsWindow.h"
#include "faces/win32/ColourDialog.h"
#include "faces/win32/Dpi.h"
#include "faces/win32/FontChoice.h"
#include "faces/win32/TextFit.h"
#include "strip/SettingsLists.h"
#include "strip/SettingsModel.h"
#include "strip/SettingsWindowLayout.h"
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

// The dialog item ids of the controls that take input (send_to_strip and the end-to-end checks
// address the controls by them); labels and groups have none.
int idOf(Control c) {
    switch (c) {
    case Control::ShowTaskCheck:
        return kShowTask;
    case Control::TopCheck:
        return kTop;
    case Control::OpSpin:
        return kOpacity;
    case Control::SpinBox1:
        return kInterval;
    case Control::OrgWidthSpin:
        return kWidth;
    case Control::Edit2:
        return kSeparator;
    case Control::ListBox1:
        return kSeparatorList;
    case Control::Edit1:
        return kFormat;
    case Control::GraCheck:
        return kGradient;
    case Control::DirectionBox1:
        return kDirection;
    case Control::ComboColorBox1:
        return kColour1;
    case Control::ComboColorBox2:
        return kColour2;
    case Control::GazouCheck:
        return kPicture;
    case Control::SelectFileBtn:
        return kSelectFile;
    case Control::FontColorBox1:
        return kFontColour;
    case Control::BoldCheck:
        return kBold;
    case Control::ShadowCheck:
        return kShadow;
    case Control::ComboBox1:
        return kFamily;
    case Control::CloseBtn:
        return kClose;
    default:
        return -1;
    }
}

// A spin box: a text field with an up-down control beside it (whose id follows the field's),
// holding a number of its range shown with its decimals. Typed text is limited to the range
// when read.
struct Spin {
    int edit, updown;
    NumberFormat number;
};
Spin spin(Control c) {
    return {idOf(c), idOf(c) + 1, describe(c).number};
}
const Spin kSpins[] = {spin(Control::OpSpin), spin(Control::SpinBox1), spin(Control::OrgWidthSpin)};

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
    if (end == t.c_str() || std::isnan(v)) return s.number.min;
    return std::clamp(v, s.number.min, s.number.max);
}

void setSpinValue(const Dialog& d, const Spin& s, double v) {
    v = std::clamp(v, s.number.min, s.number.max);
    wchar_t buf[32];
    std::swprintf(buf, 32, L"%.*f", s.number.decimals, v);
    SetWindowTextW(item(d, s.edit), buf);
}

std::wstring wide(std::u16string_view s) {
    return std::wstring(s.begin(), s.end());
}

HWND add(Dialog& d, const wchar_t* cls, const std::wstring& caption, DWORD style, const Rect& r,
         int id, DWORD exStyle = 0) {
    // Positions as designed at 96 DPI, scaled to the monitor's.
    HWND c = CreateWindowExW(
        exStyle, cls, caption.c_str(), WS_CHILD | WS_VISIBLE | style, scaled(r.left, d.dpi),
        scaled(r.top, d.dpi), scaled(r.width, d.dpi), scaled(r.height, d.dpi), d.hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(d.font), FALSE);
    return c;
}

void addEntries(HWND h, UINT message, Control c) {
    for (const std::u16string& e : controlEntries(c)) {
        const std::wstring w = wide(e);
        SendMessageW(h, message, 0, reinterpret_cast<LPARAM>(w.c_str()));
    }
}

void addSpin(Dialog& d, const Spin& s, const Rect& r) {
    HWND edit = add(d, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, r, s.edit, WS_EX_CLIENTEDGE);
    HWND updown = add(d, UPDOWN_CLASSW, L"", UDS_ALIGNRIGHT | UDS_ARROWKEYS, {}, s.updown);
    SendMessageW(updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    // The arrows are turned into steps of the spin box's own (UDN_DELTAPOS).
    SendMessageW(updown, UDM_SETRANGE32, 0, 100000);
    SendMessageW(updown, UDM_SETPOS32, 0, 50000);
}

void addControl(Dialog& d, const ControlDescription& c) {
    const Rect r = windowPlace(c);
    const int id = idOf(c.control);
    const std::wstring caption = wide(captionOf(c));
    switch (c.kind) {
    case ControlKind::Group:
        add(d, L"BUTTON", caption, BS_GROUPBOX, r, id);
        break;
    case ControlKind::Label:
        add(d, L"STATIC", caption, SS_LEFT, r, id);
        break;
    case ControlKind::CheckBox:
        add(d, L"BUTTON", caption, BS_AUTOCHECKBOX | WS_TABSTOP, r, id);
        break;
    case ControlKind::NumberBox:
        addSpin(d, spin(c.control), r);
        break;
    case ControlKind::TextField:
        add(d, L"EDIT", caption, ES_AUTOHSCROLL | WS_TABSTOP, r, id, WS_EX_CLIENTEDGE);
        break;
    case ControlKind::List:
        addEntries(add(d, L"LISTBOX", caption, LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, r, id,
                       WS_EX_CLIENTEDGE),
                   LB_ADDSTRING, c.control);
        break;
    case ControlKind::DropDown: // the control's height is its open list's
        addEntries(add(d, L"COMBOBOX", caption, CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL,
                       {r.left, r.top, r.width, c.listHeight}, id),
                   CB_ADDSTRING, c.control);
        break;
    case ControlKind::ColourPicker:
        add(d, L"BUTTON", caption, BS_OWNERDRAW | WS_TABSTOP, r, id);
        break;
    case ControlKind::Button: // Enter presses Close
        add(d, L"BUTTON", caption,
            (c.control == Control::CloseBtn ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, r,
            id);
        break;
    }
    if (!hintOf(c).empty()) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = d.hwnd;
        tool.uId = reinterpret_cast<UINT_PTR>(item(d, id));
        std::wstring hint = wide(hintOf(c)); // the tool control keeps its own copy
        tool.lpszText = hint.data();
        SendMessageW(d.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// The controls in the description's order, which is also the keyboard's.
void createControls(Dialog& d) {
    d.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                0, 0, 0, 0, d.hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (const ControlDescription& c : settingsControls())
        addControl(d, c);
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
                    setSpinValue(
                        *d, s, spinValue(*d, s) + (n->iDelta > 0 ? s.number.step : -s.number.step));
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

// The window's frame for a client area `width` wide (pixels) and the design's height, scaled.
SIZE frameFor(const Dialog& d, DWORD style, DWORD exStyle, int width) {
    RECT frame{0, 0, width, scaled(kSettingsClient.height, d.dpi)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// Where it was last, or centred on the strip's monitor the first time; the DPI and font of that
// monitor: a font that holds the Japanese texts (FontChoice's fallbacks), 12 pixels at 96 DPI.
void placeScaled(Dialog& d, DWORD style, DWORD exStyle, HWND owner) {
    d.dpi = windowDpi(owner);
    SIZE size = frameFor(d, style, exStyle, scaled(kSettingsClient.width, d.dpi));
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
    std::u16string texts(settingsTitle());
    for (const ControlDescription& c : settingsControls())
        texts += captionOf(c);
    const std::wstring family = coveringFamily(u"Yu Gothic UI", texts);
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
    // A fixed-size tool window with a close button only, client area as designed at 96 DPI.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    HWND hwnd = CreateWindowExW(exStyle, kClass, wide(settingsTitle()).c_str(), style, 0, 0, 0, 0,
                                owner, nullptr, GetModuleHandleW(nullptr), &d);
    if (!hwnd) return;
    placeScaled(d, style, exStyle, owner);
    createControls(d);
    const int fitted = fitTexts(hwnd, d.font, d.dpi, scaled(kSettingsClient.width, d.dpi));
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
