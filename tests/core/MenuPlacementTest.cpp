// Where the strip's menu opens: below the button where it fits, above it near the screen's bottom.
#include "strip/MenuPlacement.h"
#include <cctype>
#include <gtest/gtest.h>
#include <string>

using namespace zrm58;

namespace {

struct MenuRow {
    const char* name;
    Rect button; // the menu button's box on the screen
    Size menu;
    Rect area; // the screen's usable area
    Rect frame;
};

class MenuPlacement : public ::testing::TestWithParam<MenuRow> {};

TEST_P(MenuPlacement, OpensWhereItFits) {
    EXPECT_EQ(menuFrame(GetParam().button, GetParam().menu, GetParam().area), GetParam().frame);
}

// A 1280 x 800 screen with a 32-pixel panel on top; a 33 x 40 button and a 120 x 90 menu.
constexpr Rect kArea{0, 32, 1280, 768};
constexpr Size kMenu{120, 90};

INSTANTIATE_TEST_SUITE_P(
    Rows, MenuPlacement,
    ::testing::Values(
        MenuRow{"middle: downward from the bottom-left",
                {200, 300, 33, 40},
                kMenu,
                kArea,
                {200, 340, 120, 90}},
        MenuRow{"exactly fits below", {200, 670, 33, 40}, kMenu, kArea, {200, 710, 120, 90}},
        MenuRow{"one pixel short below: upward from the top-left",
                {200, 671, 33, 40},
                kMenu,
                kArea,
                {200, 581, 120, 90}},
        MenuRow{"at the bottom edge", {10, 760, 33, 40}, kMenu, kArea, {10, 670, 120, 90}},
        MenuRow{"below the area (a strip over the task bar)",
                {10, 790, 33, 40},
                kMenu,
                kArea,
                {10, 700, 120, 90}},
        MenuRow{"near the top: downward", {10, 32, 33, 40}, kMenu, kArea, {10, 72, 120, 90}},
        MenuRow{"right edge: pulled left", {1250, 300, 33, 40}, kMenu, kArea, {1160, 340, 120, 90}},
        MenuRow{
            "left of the area: pulled right", {-20, 700, 33, 40}, kMenu, kArea, {0, 610, 120, 90}},
        MenuRow{"a second screen to the right",
                {1300, 1000, 33, 40},
                kMenu,
                {1280, 0, 1024, 1050},
                {1300, 910, 120, 90}},
        MenuRow{"no room either side, more below",
                {0, 30, 33, 40},
                {120, 90},
                {0, 0, 300, 120},
                {0, 30, 120, 90}},
        MenuRow{"no room either side, more above",
                {0, 60, 33, 40},
                {120, 90},
                {0, 0, 300, 120},
                {0, 0, 120, 90}},
        MenuRow{"menu taller than the area",
                {0, 50, 33, 40},
                {120, 200},
                {0, 0, 300, 120},
                {0, 0, 120, 200}},
        MenuRow{"menu wider than the area: its left edge kept",
                {50, 10, 33, 40},
                {400, 50},
                {0, 0, 300, 120},
                {0, 50, 400, 50}}),
    [](const ::testing::TestParamInfo<MenuRow>& info) {
        std::string n;
        for (const char* c = info.param.name; *c; ++c)
            n += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return n;
    });

} // namespace
