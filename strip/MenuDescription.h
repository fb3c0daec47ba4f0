#pragma once
// The strip's pop-up menu `PopupMenu1` without a toolkit: its items in order, the command each
// runs, their 16 x 16 pictures (ImageList1) and the check mark, as shapes in logical units that
// every face draws as they are, and the measures of its look.
#include "strip/StripGeometry.h"
#include "texts/Texts.h"
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zrm58 {

class Strip;

// What choosing an item does: the strip's command of that name.
enum class MenuCommand { Resize, Settings, Close };

struct MenuItemDescription {
    std::string_view name; // the item's design name
    TextId text;           // shown as it is (localText), in the menu's font
    int picture;           // index into menuPictures()
    MenuCommand command;   //
    bool checkable;        // its check mark shows the strip's resize mode
};

// The items, top to bottom.
inline constexpr std::array<MenuItemDescription, 3> kMenuItems{{
    {"ResizeMenu", TextId::MenuResize, 1, MenuCommand::Resize, true},
    {"SetMenu", TextId::MenuSettings, 2, MenuCommand::Settings, false},
    {"CloseMenu", TextId::MenuClose, 0, MenuCommand::Close, false},
}};

// Runs the item's command on the strip. The resize item toggles the resize mode; its check mark
// then follows Strip::resizeMode().
void runMenuCommand(Strip& strip, MenuCommand command);

// One shape of a picture, on the picture's grid with (0, 0) its top-left corner.
struct MenuShape {
    struct Circle {
        PointF centre;
        double radius = 0;
    };
    // A closed polygon, or with `line` an open line through the points.
    std::vector<PointF> points;
    std::uint32_t fill = 0;     // ARGB; alpha 0: not filled
    std::uint32_t pen = 0;      // ARGB of the outline (of the line), its corners bevelled;
                                // alpha 0: none
    double penWidth = 0;        //
    bool line = false;          // drawn with the pen only, round caps at both ends
    std::optional<Circle> hole; // cut out of the fill and outlined with it (even-odd)
};
using MenuPicture = std::vector<MenuShape>;

// The pictures' grid: 16 x 16 logical pixels.
inline constexpr int kMenuPictureSide = 16;

// ImageList1: 0 an open door with an arrow pointing out (exit), 1 four arrows pointing to the
// corners (resize), 2 a gear (settings). Drawn anti-aliased, in this order of shapes.
const std::array<MenuPicture, 3>& menuPictures();

// The check mark: a filled tick on an 11 x 11 grid, centred in the picture column; it fades in
// and out over kMenuCheckFadeMs.
inline constexpr double kMenuCheckSide = 11;
const std::vector<PointF>& menuCheckMark();
inline constexpr int kMenuCheckFadeMs = 100;

// The look (logical pixels at 96 DPI): a dark-sea-green panel with a silver outline; per item a
// picture column with the check mark and, over it, the picture with a margin; then the text in
// Tahoma with space on both sides. Text and check mark are black, white under the pointer, grey
// when the item is disabled.
inline constexpr std::uint32_t kMenuPanel = 0xFF8FBC8F;
inline constexpr std::uint32_t kMenuOutline = 0xFFC0C0C0;
inline constexpr std::uint32_t kMenuInk = 0xFF000000;
inline constexpr std::uint32_t kMenuHotInk = 0xFFFFFFFF;
inline constexpr int kMenuColumn = 25;
inline constexpr int kMenuPictureMargin = 2;
inline constexpr int kMenuTextSpace = 8;
inline constexpr std::u16string_view kMenuFont = u"Tahoma";

} // namespace zrm58
