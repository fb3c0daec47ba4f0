#include "faces/win32/StripMenu.h"
#include "faces/win32/Dpi.h"
#include "faces/win32/FontChoice.h"
#include "faces/win32/Gdip.h"
#include "strip/MenuPlacement.h"
#include <cmath>
#include <cstdint>
#include <iterator>
#include <map>

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

// A picture drawn on a 16 x 16 grid, `side` pixels square, with transparency: drawn at the size
// it is shown, so it stays sharp at any DPI.
Gdiplus::Bitmap* picture(void (*draw)(Gdiplus::Graphics&), int side) {
    auto* bmp = new Gdiplus::Bitmap(side, side, PixelFormat32bppPARGB);
    Gdiplus::Graphics g(bmp);
    g.Clear(Color(0, 0, 0, 0));
    g.ScaleTransform(side / 16.0f, side / 16.0f);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    draw(g);
    return bmp;
}

// The menu's look: a dark sea green panel with a silver outline; per item a 25-wide column
// with the check mark and, over it, the picture (margin 2), then the text in Tahoma with 8 of
// space on both sides. Text and check mark are black, white under the pointer.
constexpr COLORREF kPanel = RGB(0x8F, 0xBC, 0x8F);
// Lengths at 96 DPI; the menu scales them to the DPI of the strip's monitor.
constexpr int kColumn = 25, kTextSpace = 8, kItemHeight = 24, kPicture = 16;
constexpr float kTextSize = 13;

// The DPI of the menu being shown (its items are measured and drawn without a window to ask).
UINT menuDpi = 96;

float px(float v) {
    return v * static_cast<float>(menuDpi) / 96.0f;
}

// The three pictures at a DPI, made once per DPI and kept for the program's life.
struct Pictures {
    Gdiplus::Bitmap *arrows, *gear, *door;
};
const Pictures& picturesAt(UINT dpi) {
    static std::map<UINT, Pictures> made;
    auto it = made.find(dpi);
    if (it == made.end()) {
        const int side = scaled(kPicture, dpi);
        it = made.emplace(dpi, Pictures{picture(drawArrowsOut, side), picture(drawGear, side),
                                        picture(drawDoor, side)})
                 .first;
    }
    return it->second;
}

struct Item {
    UINT id;
    const wchar_t* text;
    Gdiplus::Bitmap* picture;
    bool checked;
};

// The tick of the check mark, filled, in an 11 x 11 box (at 96 DPI) at (x, y).
void drawCheckMark(Gdiplus::Graphics& g, float x, float y, Color color) {
    const PointF tick[] = {{x + px(0.5f), y + px(6)},  {x + px(2), y + px(4.5f)},
                           {x + px(4.5f), y + px(7)},  {x + px(9.5f), y + px(1)},
                           {x + px(11), y + px(2.5f)}, {x + px(4.5f), y + px(10)}};
    Gdiplus::SolidBrush brush(color);
    g.FillPolygon(&brush, tick, 6);
}

void addItem(HMENU menu, const Item& item) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_DATA | MIIM_STATE;
    info.fType = MFT_OWNERDRAW;
    info.wID = item.id;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(&item);
    info.fState = item.checked ? MFS_CHECKED : MFS_UNCHECKED;
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
}

} // namespace

bool measureMenuItem(MEASUREITEMSTRUCT& m) {
    if (m.CtlType != ODT_MENU || !m.itemData) return false;
    const auto& item = *reinterpret_cast<const Item*>(m.itemData);
    HDC dc = GetDC(nullptr);
    float textWidth = 0;
    {
        Gdiplus::Graphics g(dc);
        const FontChoice family(u"Tahoma", u"リサイズ設定終了");
        const Gdiplus::Font font(family.get(), px(kTextSize), Gdiplus::FontStyleRegular,
                                 Gdiplus::UnitPixel);
        Gdiplus::RectF bounds;
        g.MeasureString(item.text, -1, &font, PointF(0, 0),
                        Gdiplus::StringFormat::GenericTypographic(), &bounds);
        textWidth = bounds.Width;
    }
    ReleaseDC(nullptr, dc);
    m.itemWidth =
        static_cast<UINT>(scaled(kColumn + 2 * kTextSpace, menuDpi) + std::ceil(textWidth));
    m.itemHeight = static_cast<UINT>(scaled(kItemHeight, menuDpi));
    return true;
}

bool drawMenuItem(const DRAWITEMSTRUCT& d) {
    if (d.CtlType != ODT_MENU || !d.itemData) return false;
    const auto& item = *reinterpret_cast<const Item*>(d.itemData);
    const RECT& r = d.rcItem;
    const bool hot = (d.itemState & ODS_SELECTED) != 0;
    const Color ink = hot ? Color(255, 255, 255, 255) : Color(255, 0, 0, 0);
    Gdiplus::Graphics g(d.hDC);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    Gdiplus::SolidBrush panel(Color(255, GetRValue(kPanel), GetGValue(kPanel), GetBValue(kPanel)));
    g.FillRectangle(&panel, static_cast<INT>(r.left), static_cast<INT>(r.top),
                    static_cast<INT>(r.right - r.left), static_cast<INT>(r.bottom - r.top));
    const float top = static_cast<float>(r.top), left = static_cast<float>(r.left);
    const float middle = top + (r.bottom - r.top) / 2.0f;
    if (item.checked) drawCheckMark(g, left + px(kColumn - 11) / 2, middle - px(5.5f), ink);
    if (item.picture) {
        // At whole pixels and its own size: one picture pixel per screen pixel.
        const int side = static_cast<int>(item.picture->GetWidth());
        g.DrawImage(item.picture, static_cast<INT>(r.left) + (scaled(kColumn, menuDpi) - side) / 2,
                    static_cast<INT>(r.top) + (static_cast<INT>(r.bottom - r.top) - side) / 2, side,
                    side);
    }
    const FontChoice family(u"Tahoma", u"リサイズ設定終了");
    const Gdiplus::Font font(family.get(), px(kTextSize), Gdiplus::FontStyleRegular,
                             Gdiplus::UnitPixel);
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    Gdiplus::SolidBrush text(ink);
    g.DrawString(item.text, -1, &font,
                 Gdiplus::RectF(left + px(kColumn + kTextSpace), top,
                                static_cast<float>(r.right) - left - px(kColumn + kTextSpace),
                                static_cast<float>(r.bottom - r.top)),
                 &format, &text);
    return true;
}

namespace {

// Whether the menu opens upward: the placement rule, with the menu's height as its owner-drawn
// items (at the menu's DPI) and the frame give it.
bool opensUpward(const RECT& button, int items) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromRect(&button, MONITOR_DEFAULTTONEAREST), &info)) return false;
    const RECT& work = info.rcWork;
    const int height =
        items * scaled(kItemHeight, menuDpi) + 2 * (GetSystemMetrics(SM_CYFIXEDFRAME) + 1);
    const Rect frame = menuFrame(
        {button.left, button.top, button.right - button.left, button.bottom - button.top},
        {1, height}, {work.left, work.top, work.right - work.left, work.bottom - work.top});
    return frame.top < button.top;
}

} // namespace

MenuChoice showStripMenu(HWND owner, const RECT& button, bool resizeChecked) {
    menuDpi = windowDpi(owner);
    const Pictures& pictures = picturesAt(menuDpi);
    static const HBRUSH panel = CreateSolidBrush(kPanel);
    HMENU menu = CreatePopupMenu();
    if (!menu) return MenuChoice::None;
    MENUINFO look{};
    look.cbSize = sizeof look;
    look.fMask = MIM_BACKGROUND;
    look.hbrBack = panel;
    SetMenuInfo(menu, &look);
    const Item items[] = {{1, L"リサイズ", pictures.arrows, resizeChecked},
                          {2, L"設定", pictures.gear, false},
                          {3, L"終了", pictures.door, false}};
    for (const Item& item : items)
        addItem(menu, item);
    // The owner in front, so that a click elsewhere closes the menu; the null message after it
    // lets the menu loop end cleanly.
    SetForegroundWindow(owner);
    // Upward: the menu's bottom at the button's top, whatever its exact height.
    const bool up = opensUpward(button, static_cast<int>(std::size(items)));
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenuEx(menu,
                         TPM_RETURNCMD | TPM_LEFTALIGN | (up ? TPM_BOTTOMALIGN : TPM_TOPALIGN) |
                             TPM_RIGHTBUTTON | TPM_NONOTIFY,
                         button.left, up ? button.top : button.bottom, owner, nullptr));
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
