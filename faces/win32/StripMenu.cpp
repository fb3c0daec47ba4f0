#include "faces/win32/StripMenu.h"
#include "faces/win32/Gdip.h"
#include <cmath>
#include <cstdint>

namespace zrm58::win32face {
namespace {

using Gdiplus::Color;
using Gdiplus::PointF;

constexpr double kPi = 3.14159265358979323846;

// An open brown door in a grey frame with a green arrow pointing out to the left (exit).
void drawDoor(Gdiplus::Graphics& g) {
    Gdiplus::SolidBrush frame(Color(255, 0x80, 0x80, 0x80)), doorway(Color(255, 0x30, 0x30, 0x30));
    g.FillRectangle(&frame, 6.0f, 1.0f, 9.0f, 14.0f);
    g.FillRectangle(&doorway, 7.0f, 2.0f, 7.0f, 12.0f);
    const PointF door[] = {{7, 2}, {12, 3.5f}, {12, 15.5f}, {7, 14}};
    Gdiplus::SolidBrush brown(Color(255, 0x9A, 0x5B, 0x2A));
    Gdiplus::Pen edge(Color(255, 0x5A, 0x32, 0x14), 0.8f);
    g.FillPolygon(&brown, door, 4);
    g.DrawPolygon(&edge, door, 4);
    Gdiplus::Pen arrow(Color(255, 0x22, 0x9A, 0x2E), 2.2f);
    arrow.SetStartCap(Gdiplus::LineCapRound);
    arrow.SetEndCap(Gdiplus::LineCapRound);
    g.DrawLine(&arrow, 9.0f, 8.5f, 2.0f, 8.5f);
    Gdiplus::SolidBrush green(Color(255, 0x22, 0x9A, 0x2E));
    const PointF head[] = {{0.5f, 8.5f}, {4.5f, 4.5f}, {4.5f, 12.5f}};
    g.FillPolygon(&green, head, 3);
}

// Four green arrows pointing outward to the four corners (enlarge).
void drawArrowsOut(Gdiplus::Graphics& g) {
    const Color green(255, 0x22, 0x9A, 0x2E);
    Gdiplus::Pen pen(green, 1.8f);
    pen.SetStartCap(Gdiplus::LineCapRound);
    pen.SetEndCap(Gdiplus::LineCapRound);
    Gdiplus::SolidBrush brush(green);
    for (const PointF& dir : {PointF(-1, -1), PointF(1, -1), PointF(-1, 1), PointF(1, 1)}) {
        const PointF tip(8 + dir.X * 7, 8 + dir.Y * 7);
        g.DrawLine(&pen, 8 + dir.X * 1.5f, 8 + dir.Y * 1.5f, tip.X - dir.X * 2, tip.Y - dir.Y * 2);
        const PointF head[] = {tip, PointF(tip.X - dir.X * 5, tip.Y),
                               PointF(tip.X, tip.Y - dir.Y * 5)};
        g.FillPolygon(&brush, head, 3);
    }
}

// A blue gear wheel (settings).
void drawGear(Gdiplus::Graphics& g) {
    Gdiplus::GraphicsPath gear(Gdiplus::FillModeAlternate);
    const int teeth = 8;
    PointF points[teeth * 4];
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = kPi * 2 * i / (teeth * 2), a1 = kPi * 2 * (i + 1) / (teeth * 2);
        const double r = (i % 2 == 0) ? 7.5 : 5.6;
        points[2 * i] = PointF(static_cast<float>(8 + std::cos(a0) * r),
                               static_cast<float>(8 + std::sin(a0) * r));
        points[2 * i + 1] = PointF(static_cast<float>(8 + std::cos(a1) * r),
                                   static_cast<float>(8 + std::sin(a1) * r));
    }
    gear.AddPolygon(points, teeth * 4);
    gear.AddEllipse(8 - 2.4f, 8 - 2.4f, 4.8f, 4.8f); // the hole
    Gdiplus::SolidBrush blue(Color(255, 0x2F, 0x6F, 0xD0));
    Gdiplus::Pen edge(Color(255, 0x21, 0x4F, 0x94), 0.7f);
    g.FillPath(&blue, &gear);
    g.DrawPath(&edge, &gear);
}

// A 16 x 16 premultiplied 32-bit bitmap that a menu item shows with its transparency.
HBITMAP picture(void (*draw)(Gdiplus::Graphics&)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = -16; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp) return nullptr;
    std::fill_n(static_cast<std::uint32_t*>(bits), 16 * 16, 0u);
    Gdiplus::Bitmap canvas(16, 16, 16 * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits));
    Gdiplus::Graphics g(&canvas);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    draw(g);
    return bmp;
}

void addItem(HMENU menu, UINT id, const wchar_t* text, HBITMAP bmp, bool checked) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP | MIIM_STATE;
    item.wID = id;
    item.dwTypeData = const_cast<wchar_t*>(text);
    item.hbmpItem = bmp;
    item.fState = checked ? MFS_CHECKED : MFS_UNCHECKED;
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item);
}

} // namespace

MenuChoice showStripMenu(HWND owner, POINT at, bool resizeChecked) {
    // Made once: the pictures live as long as the program.
    static const HBITMAP arrows = picture(drawArrowsOut), gear = picture(drawGear),
                         door = picture(drawDoor);
    HMENU menu = CreatePopupMenu();
    if (!menu) return MenuChoice::None;
    addItem(menu, 1, L"リサイズ", arrows, resizeChecked);
    addItem(menu, 2, L"設定", gear, false);
    addItem(menu, 3, L"終了", door, false);
    // The owner in front, so that a click elsewhere closes the menu; the null message after it
    // lets the menu loop end cleanly.
    SetForegroundWindow(owner);
    const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
        menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x,
        at.y, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    switch (chosen) {
    case 1:
        return MenuChoice::Resize;
    case 2:
        return MenuChoice::Settings;
    case 3:
        return MenuChoice::Close;
    default:
        return MenuChoice::None;
    }
}

} // namespace zrm58::win32face
