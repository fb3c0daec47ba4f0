// The menu's and the settings window's descriptions that every face builds from: places that
// fit, the keyboard's order, the ranges the model holds, pictures within their grids.
#include "strip/MenuDescription.h"
#include "strip/SettingsModel.h"
#include "strip/SettingsWindowLayout.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace zrm58;

namespace {

bool within(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top &&
           inner.left + inner.width <= outer.left + outer.width &&
           inner.top + inner.height <= outer.top + outer.height;
}

bool overlap(const Rect& a, const Rect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

TEST(SettingsWindowLayout, EveryControlLiesInItsGroupAndTheWindow) {
    const Rect window{0, 0, kSettingsClient.width, kSettingsClient.height};
    for (const ControlDescription& c : settingsControls()) {
        SCOPED_TRACE(std::string(c.name));
        const Rect placed = windowPlace(c);
        EXPECT_TRUE(within(placed, window));
        if (c.group != c.control) {
            EXPECT_EQ(describe(c.group).kind, ControlKind::Group);
            EXPECT_TRUE(within(placed, windowPlace(describe(c.group))));
        }
    }
}

// Fields, lists and buttons keep clear of each other. (A check box's box holds room beyond its
// text: the design lets GraCheck's reach a pixel into DirectionBox1's.)
bool field(ControlKind kind) {
    return takesFocus(kind) && kind != ControlKind::CheckBox;
}

TEST(SettingsWindowLayout, FieldsDoNotOverlap) {
    const auto controls = settingsControls();
    for (std::size_t i = 0; i < controls.size(); ++i)
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            if (!field(controls[i].kind) || !field(controls[j].kind)) continue;
            EXPECT_FALSE(overlap(windowPlace(controls[i]), windowPlace(controls[j])))
                << controls[i].name << " and " << controls[j].name;
        }
}

TEST(SettingsWindowLayout, KeyboardOrderRunsThroughTheGroupsThenClose) {
    std::vector<std::string_view> order;
    for (const ControlDescription& c : settingsControls())
        if (takesFocus(c.kind)) order.push_back(c.name);
    const std::vector<std::string_view> expected = {
        "GraCheck",      "ComboColorBox2", "ComboColorBox1", "DirectionBox1", "GazouCheck",
        "SelectFileBtn", "FontColorBox1",  "BoldCheck",      "ShadowCheck",   "ComboBox1",
        "OpSpin",        "SpinBox1",       "ShowTaskCheck",  "TopCheck",      "OrgWidthSpin",
        "Edit1",         "Edit2",          "ListBox1",       "CloseBtn"};
    EXPECT_EQ(order, expected);
}

// The boxes offer exactly the ranges the model limits its values to.
TEST(SettingsWindowLayout, NumberBoxesShowTheModelsRanges) {
    struct Row {
        Control box;
        double min, max;
        int decimals;
    };
    const Row rows[] = {
        {Control::OpSpin, SettingsModel::kMinOpacity, SettingsModel::kMaxOpacity, 1},
        {Control::SpinBox1, SettingsModel::kMinSeconds, SettingsModel::kMaxSeconds, 0},
        {Control::OrgWidthSpin, SettingsModel::kMinWidthFactor, SettingsModel::kMaxWidthFactor, 2},
    };
    int boxes = 0;
    for (const ControlDescription& c : settingsControls())
        boxes += c.kind == ControlKind::NumberBox;
    EXPECT_EQ(boxes, static_cast<int>(std::size(rows)));
    for (const Row& r : rows) {
        const NumberFormat& n = describe(r.box).number;
        EXPECT_EQ(n.min, r.min);
        EXPECT_EQ(n.max, r.max);
        EXPECT_EQ(n.decimals, r.decimals);
        EXPECT_GT(n.step, 0);
    }
}

TEST(SettingsWindowLayout, ListsHoldTheirEntries) {
    EXPECT_EQ(controlEntries(Control::DirectionBox1),
              (std::vector<std::u16string>{u"垂直", u"水平", u"斜め"}));
    const auto separators = controlEntries(Control::ListBox1);
    ASSERT_EQ(separators.size(), 44u);
    EXPECT_EQ(separators.front(), u"｜");
    EXPECT_EQ(separators[1], u"\U0001F42F"); // an astral entry: two units
    EXPECT_EQ(controlEntries(Control::ComboBox1).size(), 12u);
    EXPECT_TRUE(controlEntries(Control::Edit1).empty());
}

bool onGrid(const PointF& p, double side) {
    return p.x >= 0 && p.y >= 0 && p.x <= side && p.y <= side;
}

TEST(MenuDescription, ItemsInOrderWithTheirCommandsAndPictures) {
    ASSERT_EQ(kMenuItems.size(), 3u);
    EXPECT_EQ(localText(kMenuItems[0].text), u"リサイズ");
    EXPECT_EQ(kMenuItems[0].command, MenuCommand::Resize);
    EXPECT_TRUE(kMenuItems[0].checkable);
    EXPECT_EQ(localText(kMenuItems[1].text), u"設定");
    EXPECT_EQ(kMenuItems[1].command, MenuCommand::Settings);
    EXPECT_EQ(localText(kMenuItems[2].text), u"終了");
    EXPECT_EQ(kMenuItems[2].command, MenuCommand::Close);
    for (const MenuItemDescription& item : kMenuItems) {
        ASSERT_GE(item.picture, 0);
        ASSERT_LT(item.picture, static_cast<int>(menuPictures().size()));
    }
}

// Every point of a picture lies on its 16 x 16 grid (a pen may reach half its width beyond),
// and the tick fills its 11 x 11 box.
TEST(MenuDescription, PicturesAndCheckMarkStayOnTheirGrids) {
    for (const MenuPicture& picture : menuPictures()) {
        ASSERT_FALSE(picture.empty());
        for (const MenuShape& shape : picture) {
            EXPECT_GE(shape.points.size(), shape.line ? 2u : 3u);
            EXPECT_TRUE(shape.fill >> 24 || shape.pen >> 24) << "a shape that draws nothing";
            for (const PointF& p : shape.points)
                EXPECT_TRUE(onGrid(p, kMenuPictureSide)) << p.x << ", " << p.y;
        }
    }
    for (const PointF& p : menuCheckMark())
        EXPECT_TRUE(onGrid(p, kMenuCheckSide)) << p.x << ", " << p.y;
}

} // namespace
