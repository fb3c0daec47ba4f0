#include "faces/win32/ColourDialog.h"
#include "platform/win32/Win32Text.h"
#include "settings/Utf.h"
#include "strip/ColourHex.h"
#include "texts/Texts.h"
#include <algorithm>
#include <commctrl.h>
#include <commdlg.h>
#include <string>

namespace zrm58::win32face {
namespace {

// The colour dialog's own red, green and blue fields (colordlg.h).
constexpr int kRed = 706, kGreen = 707, kBlue = 708;
// The row added below the dialog.
constexpr int kAlphaLabel = 0x7A0, kAlpha = 0x7A1, kAlphaSpin = 0x7A2, kHexLabel = 0x7A3,
              kHex = 0x7A4;
constexpr wchar_t kStateProperty[] = L"ZRM58ColourPick";

struct PickState {
    std::uint32_t alpha;
    bool syncing = false; // fields being set from another: their change notices are ours
};

PickState* state(HWND dlg) {
    return static_cast<PickState*>(GetPropW(dlg, kStateProperty));
}

int field(HWND dlg, int id, int hi) {
    BOOL ok = FALSE;
    const UINT v = GetDlgItemInt(dlg, id, &ok, FALSE);
    return ok ? std::min(static_cast<int>(v), hi) : 0;
}

std::uint32_t shownColour(HWND dlg) {
    return static_cast<std::uint32_t>(field(dlg, kAlpha, 255)) << 24 |
           static_cast<std::uint32_t>(field(dlg, kRed, 255)) << 16 |
           static_cast<std::uint32_t>(field(dlg, kGreen, 255)) << 8 |
           static_cast<std::uint32_t>(field(dlg, kBlue, 255));
}

void showHex(HWND dlg, PickState& s) {
    const std::u16string hex = hexColourText(shownColour(dlg));
    s.syncing = true;
    SetDlgItemTextW(dlg, kHex, std::wstring(hex.begin(), hex.end()).c_str());
    s.syncing = false;
}

// The hex field, once it holds a whole colour, sets the alpha and the dialog's own fields (the
// dialog follows its fields as when typed into).
void takeHex(HWND dlg, PickState& s) {
    wchar_t text[32] = L"";
    GetDlgItemTextW(dlg, kHex, text, 32);
    const std::wstring w(text);
    const std::optional<std::uint32_t> argb = parseHexColour(std::u16string(w.begin(), w.end()));
    if (!argb) return;
    s.syncing = true;
    SetDlgItemInt(dlg, kAlpha, *argb >> 24, FALSE);
    SetDlgItemInt(dlg, kRed, (*argb >> 16) & 0xFF, FALSE);
    SetDlgItemInt(dlg, kGreen, (*argb >> 8) & 0xFF, FALSE);
    SetDlgItemInt(dlg, kBlue, *argb & 0xFF, FALSE);
    s.syncing = false;
}

HWND addControl(HWND dlg, const wchar_t* cls, const wchar_t* text, DWORD style, const RECT& units,
                int id, DWORD exStyle = 0) {
    RECT r = units;
    MapDialogRect(dlg, &r); // dialog units: the row scales with the dialog's font and DPI
    HWND c = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, dlg,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageW(c, WM_SETFONT, SendMessageW(dlg, WM_GETFONT, 0, 0), FALSE);
    return c;
}

// The row below the dialog's client area, which grows by its height.
void addAlphaRow(HWND dlg, PickState& s) {
    RECT client{};
    GetClientRect(dlg, &client);
    RECT row{0, 0, 4, 22}; // a 4-unit margin and the row's height, in dialog units
    MapDialogRect(dlg, &row);
    RECT frame{};
    GetWindowRect(dlg, &frame);
    // Taller by the row, and moved up where that would take it past the monitor's bottom.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dlg, MONITOR_DEFAULTTONEAREST), &monitor);
    const LONG height = frame.bottom - frame.top + row.bottom;
    const LONG placed =
        std::max(monitor.rcWork.top, std::min(frame.top, monitor.rcWork.bottom - height));
    SetWindowPos(dlg, nullptr, frame.left, placed, frame.right - frame.left, height, SWP_NOZORDER);
    // Client pixels back to dialog units for the row's top.
    RECT unit{0, 0, 4, 8};
    MapDialogRect(dlg, &unit);
    const int top = static_cast<int>(client.bottom) * 8 / std::max<LONG>(unit.bottom, 1) + 4;
    addControl(dlg, L"STATIC", win32::widen(toUtf8(localText(TextId::AlphaLabel))).c_str(), SS_LEFT,
               {6, top + 2, 46, top + 12}, kAlphaLabel);
    HWND alpha = addControl(dlg, L"EDIT", L"", ES_NUMBER | WS_TABSTOP, {48, top, 84, top + 12},
                            kAlpha, WS_EX_CLIENTEDGE);
    HWND spin = CreateWindowExW(
        0, UPDOWN_CLASSW, L"",
        WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
        0, 0, 0, 0, dlg, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAlphaSpin)),
        GetModuleHandleW(nullptr), nullptr);
    SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(alpha), 0);
    SendMessageW(spin, UDM_SETRANGE32, 0, 255);
    SendMessageW(spin, UDM_SETPOS32, 0, static_cast<LPARAM>(s.alpha));
    addControl(dlg, L"STATIC", win32::widen(toUtf8(localText(TextId::HexLabel))).c_str(), SS_LEFT,
               {96, top + 2, 118, top + 12}, kHexLabel);
    HWND hex = addControl(dlg, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, {120, top, 180, top + 12},
                          kHex, WS_EX_CLIENTEDGE);
    SendMessageW(hex, EM_LIMITTEXT, 12, 0);
    s.syncing = true;
    SetDlgItemInt(dlg, kAlpha, s.alpha, FALSE);
    s.syncing = false;
    showHex(dlg, s);
}

UINT_PTR CALLBACK hook(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* s = reinterpret_cast<PickState*>(reinterpret_cast<CHOOSECOLORW*>(lp)->lCustData);
        SetPropW(dlg, kStateProperty, s);
        addAlphaRow(dlg, *s);
        return TRUE;
    }
    PickState* s = state(dlg);
    if (!s) return 0;
    if (msg == WM_COMMAND) {
        const int id = LOWORD(wp);
        if (HIWORD(wp) == EN_CHANGE && !s->syncing) {
            if (id == kHex)
                takeHex(dlg, *s);
            else if (id == kRed || id == kGreen || id == kBlue || id == kAlpha)
                showHex(dlg, *s);
        }
        if (id == IDOK) s->alpha = static_cast<std::uint32_t>(field(dlg, kAlpha, 255));
    } else if (msg == WM_DESTROY) {
        RemovePropW(dlg, kStateProperty);
    }
    return 0;
}

} // namespace

std::optional<std::uint32_t> pickArgbColour(HWND owner, std::uint32_t argb, COLORREF* custom) {
    PickState s{argb >> 24};
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    cc.lpCustColors = custom;
    cc.Flags = CC_FULLOPEN | CC_RGBINIT | CC_ENABLEHOOK;
    cc.lCustData = reinterpret_cast<LPARAM>(&s);
    cc.lpfnHook = hook;
    if (!ChooseColorW(&cc)) return std::nullopt;
    return s.alpha << 24 | static_cast<std::uint32_t>(GetRValue(cc.rgbResult)) << 16 |
           static_cast<std::uint32_t>(GetGValue(cc.rgbResult)) << 8 | GetBValue(cc.rgbResult);
}

void paintColourSwatch(HDC dc, const RECT& r, std::uint32_t argb) {
    const int a = static_cast<int>(argb >> 24);
    auto over = [&](int back) {
        auto mix = [&](int c) { return static_cast<BYTE>((c * a + back * (255 - a) + 127) / 255); };
        return RGB(mix((argb >> 16) & 0xFF), mix((argb >> 8) & 0xFF), mix(argb & 0xFF));
    };
    HBRUSH light = CreateSolidBrush(over(0xFF)), dark = CreateSolidBrush(over(0xC0));
    const int cell = std::max(2, static_cast<int>(r.bottom - r.top) / 4);
    for (LONG y = r.top; y < r.bottom; y += cell)
        for (LONG x = r.left; x < r.right; x += cell) {
            const RECT c{x, y, std::min<LONG>(x + cell, r.right),
                         std::min<LONG>(y + cell, r.bottom)};
            FillRect(dc, &c, (((x - r.left) / cell + (y - r.top) / cell) % 2) ? dark : light);
        }
    DeleteObject(light);
    DeleteObject(dark);
}

} // namespace zrm58::win32face
