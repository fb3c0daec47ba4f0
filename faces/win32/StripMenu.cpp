#include "faces/win32/StripMenu.h"
#include "faces/win32/Dpi.h"
#include "faces/win32/FontChoice.h"
#include "faces/win32/Gdip.h"
#include "strip/MenuPlacement.h"
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zrm58::win32face {
namespace {

using Gdiplus::Color;

Color argb(std::uint32_t c) {
    return Color(static_cast<Gdiplus::ARGB>(c));
}

bool shows(std::uint32_t c) {
    return (c >> 24) != 0;
}

// The points at `scale` from (x, y).
std::vector<Gdiplus::PointF> points(const std::vector<PointF>& from, float x = 0, float y = 0,
                                    float scale = 1) {
    std::vector<Gdiplus::PointF> to;
    for (PointF p : from)
        to.emplace_back(x + static_cast<float>(p.x) * scale, y + static_cast<float>(p.y) * scale);
    return to;
}

void drawShape(Gdiplus::Graphics& g, const MenuShape& s) {
    const std::vector<Gdiplus::PointF> pts = points(s.points);
    const INT count = static_cast<INT>(pts.size());
    Gdiplus::Pen pen(argb(s.pen), static_cast<float>(s.penWidth));
    if (s.line) {
        pen.SetStartCap(Gdiplus::LineCapRound);
        pen.SetEndCap(Gdiplus::LineCapRound);
        g.DrawLines(&pen, pts.data(), count);
        return;
    }
    pen.SetLineJoin(Gdiplus::LineJoinBevel); // as the pictures are drawn everywhere: no spikes
    Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
    path.AddPolygon(pts.data(), count);
    if (s.hole) {
        const auto r = static_cast<float>(s.hole->radius);
        path.AddEllipse(static_cast<float>(s.hole->centre.x) - r,
                        static_cast<float>(s.hole->centre.y) - r, 2 * r, 2 * r);
    }
    if (shows(s.fill)) {
        Gdiplus::SolidBrush brush(argb(s.fill));
        g.FillPath(&brush, &path);
    }
    if (shows(s.pen)) g.DrawPath(&pen, &path);
}

// A picture drawn on its grid, `side` pixels square, with transparency: drawn at the size it is
// shown, so it stays sharp at any DPI.
Gdiplus::Bitmap* picture(const MenuPicture& shapes, int side) {
    auto* bmp = new Gdiplus::Bitmap(side, side, PixelFormat32bppPARGB);
    Gdiplus::Graphics g(bmp);
    g.Clear(Color(0, 0, 0, 0));
    g.ScaleTransform(side / static_cast<float>(kMenuPictureSide),
                     side / static_cast<float>(kMenuPictureSide));
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    for (const MenuShape& s : shapes)
        drawShape(g, s);
    return bmp;
}

// Lengths of the description's look are at 96 DPI; the menu scales them to the DPI of the
// strip's monitor. The item's height and the text's size are this face's.
constexpr int kItemHeight = 24;
constexpr float kTextSize = 13;

// The DPI of the menu being shown (its items are measured and drawn without a window to ask).
UINT menuDpi = 96;

float px(double v) {
    return static_cast<float>(v) * static_cast<float>(menuDpi) / 96.0f;
}

// The pictures at a DPI, made once per DPI and kept for the program's life.
const std::vector<Gdiplus::Bitmap*>& picturesAt(UINT dpi) {
    static std::map<UINT, std::vector<Gdiplus::Bitmap*>> made;
    auto it = made.find(dpi);
    if (it == made.end()) {
        std::vector<Gdiplus::Bitmap*> bitmaps;
        for (const MenuPicture& p : menuPictures())
            bitmaps.push_back(picture(p, scaled(kMenuPictureSide, dpi)));
        it = made.emplace(dpi, std::move(bitmaps)).first;
    }
    return it->second;
}

struct Item {
    UINT id;
    std::wstring text;
    Gdiplus::Bitmap* picture;
    bool checked;
};

// The font of the items: one that holds all their texts.
std::u16string itemTexts() {
    std::u16string all;
    for (const MenuItemDescription& item : kMenuItems)
        all += localText(item.text);
    return all;
}

Gdiplus::Font itemFont(const FontChoice& family) {
    return Gdiplus::Font(family.get(), px(kTextSize), Gdiplus::FontStyleRegular,
                         Gdiplus::UnitPixel);
}

// The check mark, filled, its grid scaled to the DPI, its top-left corner at (x, y).
void drawCheckMark(Gdiplus::Graphics& g, float x, float y, Color color) {
    const std::vector<Gdiplus::PointF> tick = points(menuCheckMark(), x, y, px(1));
    Gdiplus::SolidBrush brush(color);
    g.FillPolygon(&brush, tick.data(), static_cast<INT>(tick.size()));
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
        const FontChoice family(std::u16string(kMenuFont), itemTexts());
        const Gdiplus::Font font = itemFont(family);
        Gdiplus::RectF bounds;
        g.MeasureString(item.text.c_str(), -1, &font, Gdiplus::PointF(0, 0),
                        Gdiplus::StringFormat::GenericTypographic(), &bounds);
        textWidth = bounds.Width;
    }
    ReleaseDC(nullptr, dc);
    m.itemWidth =
        static_cast<UINT>(scaled(kMenuColumn + 2 * kMenuTextSpace, menuDpi) + std::ceil(textWidth));
    m.itemHeight = static_cast<UINT>(scaled(kItemHeight, menuDpi));
    return true;
}

bool drawMenuItem(const DRAWITEMSTRUCT& d) {
    if (d.CtlType != ODT_MENU || !d.itemData) return false;
    const auto& item = *reinterpret_cast<const Item*>(d.itemData);
    const RECT& r = d.rcItem;
    const bool hot = (d.itemState & ODS_SELECTED) != 0;
    const Color ink = argb(hot ? kMenuHotInk : kMenuInk);
    Gdiplus::Graphics g(d.hDC);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    Gdiplus::SolidBrush panel(argb(kMenuPanel));
    g.FillRectangle(&panel, static_cast<INT>(r.left), static_cast<INT>(r.top),
                    static_cast<INT>(r.right - r.left), static_cast<INT>(r.bottom - r.top));
    const float top = static_cast<float>(r.top), left = static_cast<float>(r.left);
    const float middle = top + (r.bottom - r.top) / 2.0f;
    if (item.checked)
        drawCheckMark(g, left + px(kMenuColumn - kMenuCheckSide) / 2,
                      middle - px(kMenuCheckSide) / 2, ink);
    if (item.picture) {
        // At whole pixels and its own size: one picture pixel per screen pixel.
        const int side = static_cast<int>(item.picture->GetWidth());
        g.DrawImage(
            item.picture, static_cast<INT>(r.left) + (scaled(kMenuColumn, menuDpi) - side) / 2,
            static_cast<INT>(r.top) + (static_cast<INT>(r.bottom - r.top) - side) / 2, side, side);
    }
    const FontChoice family(std::u16string(kMenuFont), itemTexts());
    const Gdiplus::Font font = itemFont(family);
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    Gdiplus::SolidBrush text(ink);
    const float textLeft = px(kMenuColumn + kMenuTextSpace);
    g.DrawString(item.text.c_str(), -1, &font,
                 Gdiplus::RectF(left + textLeft, top, static_cast<float>(r.right) - left - textLeft,
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

std::optional<MenuCommand> showStripMenu(HWND owner, const RECT& button, bool resizeChecked) {
    menuDpi = windowDpi(owner);
    const std::vector<Gdiplus::Bitmap*>& pictures = picturesAt(menuDpi);
    static const HBRUSH panel = CreateSolidBrush(
        RGB((kMenuPanel >> 16) & 0xFF, (kMenuPanel >> 8) & 0xFF, kMenuPanel & 0xFF));
    HMENU menu = CreatePopupMenu();
    if (!menu) return std::nullopt;
    MENUINFO look{};
    look.cbSize = sizeof look;
    look.fMask = MIM_BACKGROUND;
    look.hbrBack = panel;
    SetMenuInfo(menu, &look);
    // Item i has the id i + 1 (0 is TrackPopupMenuEx's "none chosen").
    std::vector<Item> items;
    for (const MenuItemDescription& d : kMenuItems) {
        const std::u16string_view text = localText(d.text);
        items.push_back(
            {static_cast<UINT>(items.size() + 1), std::wstring(text.begin(), text.end()),
             pictures[static_cast<std::size_t>(d.picture)], d.checkable && resizeChecked});
    }
    for (const Item& item : items)
        addItem(menu, item);
    // The owner in front, so that a click elsewhere closes the menu; the null message after it
    // lets the menu loop end cleanly.
    SetForegroundWindow(owner);
    // Upward: the menu's bottom at the button's top, whatever its exact height.
    const bool up = opensUpward(button, static_cast<int>(items.size()));
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenuEx(menu,
                         TPM_RETURNCMD | TPM_LEFTALIGN | (up ? TPM_BOTTOMALIGN : TPM_TOPALIGN) |
                             TPM_RIGHTBUTTON | TPM_NONOTIFY,
                         button.left, up ? button.top : button.bottom, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (chosen == 0 || chosen > kMenuItems.size()) return std::nullopt;
    return kMenuItems[chosen - 1].command;
}

} // namespace zrm58::win32face
