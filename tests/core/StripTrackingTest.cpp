// Move and resize tracking, the menu button and the size guard, fed with window points as a
// face delivers them: the pointer's desktop position less the window's position at the time.
#include "StripFixture.h"
#include <gtest/gtest.h>
#include <vector>

using namespace zrm58;
using namespace zrm58::testing;

namespace {

// Pointer positions on the desktop.
struct Step {
    enum Kind { Press, Move, Release } kind;
    double x, y;
};

void feed(Strip& strip, const fakes::FakeStripFace& face, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
        const PointF p{s.x - face.frame.left, s.y - face.frame.top};
        switch (s.kind) {
        case Step::Press:
            strip.pointerPress(p);
            break;
        case Step::Move:
            strip.pointerMove(p);
            break;
        case Step::Release:
            strip.pointerRelease(p);
            break;
        }
    }
}

struct TrackingRow {
    const char* name;
    bool resizeMode;
    std::vector<Step> steps;
    Rect frame; // after the steps; the strip starts at 200, 200, 523 x 40
    bool resizeModeAfter;
};

class StripTracking : public ::testing::TestWithParam<TrackingRow> {};

TEST_P(StripTracking, FollowsThePointer) {
    StripFixture f;
    Strip& strip = f.create();
    if (GetParam().resizeMode) strip.ResizeCmdExecute();
    feed(strip, f.face, GetParam().steps);
    EXPECT_EQ(f.face.frame, GetParam().frame);
    EXPECT_EQ(strip.resizeMode(), GetParam().resizeModeAfter);
    EXPECT_EQ(strip.tracking(), Strip::Tracking::None);
    EXPECT_FALSE(f.face.captured);
    EXPECT_FALSE(f.face.sizingPointer);
}

using S = Step;
INSTANTIATE_TEST_SUITE_P(
    Rows, StripTracking,
    ::testing::Values(
        // The press point stays under the pointer; fractions round halves to even.
        TrackingRow{"move",
                    false,
                    {{S::Press, 300, 220}, {S::Move, 330, 235}, {S::Release, 330, 235}},
                    {230, 215, 523, 40},
                    false},
        TrackingRow{"move by halves",
                    false,
                    {{S::Press, 300.5, 220}, {S::Move, 301, 221.5}, {S::Release, 301, 221.5}},
                    {200, 202, 523, 40},
                    false},
        // The top-left corner stays; the size follows the pointer's travel since the press.
        TrackingRow{"resize",
                    true,
                    {{S::Press, 500, 220}, {S::Move, 540, 230}, {S::Release, 540, 230}},
                    {200, 200, 563, 50},
                    false},
        // Below the minimum the window stops at 80 x 30 and grows again only once the working
        // size has passed it.
        TrackingRow{
            "resize below the minimum",
            true,
            {{S::Press, 500, 220}, {S::Move, 47, 205}, {S::Move, 56, 209}, {S::Release, 240, 210}},
            {200, 200, 80, 30},
            false},
        TrackingRow{
            "resize back past the minimum",
            true,
            {{S::Press, 500, 220}, {S::Move, 47, 205}, {S::Move, 67, 215}, {S::Release, 240, 210}},
            {200, 200, 90, 35},
            false},
        TrackingRow{"a plain click ends resize mode",
                    true,
                    {{S::Press, 400, 220}, {S::Release, 400, 220}},
                    {200, 200, 523, 40},
                    false},
        // Pressed near the left end and dragged left: the release lies left of the strip and
        // leaves resize mode on.
        TrackingRow{"release outside keeps resize mode",
                    true,
                    {{S::Press, 260, 220}, {S::Move, 160, 220}, {S::Release, 160, 220}},
                    {200, 200, 423, 40},
                    true},
        // The menu button and the margin never start tracking.
        TrackingRow{"press on the menu button",
                    false,
                    {{S::Press, 215, 220}, {S::Move, 300, 300}, {S::Release, 300, 300}},
                    {200, 200, 523, 40},
                    false},
        TrackingRow{"press on the margin",
                    false,
                    {{S::Press, 202, 220}, {S::Move, 300, 300}, {S::Release, 300, 300}},
                    {200, 200, 523, 40},
                    false}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (c == ' ') c = '_';
        return name;
    });

TEST(StripMenu, TheButtonOpensTheMenuForItsBox) {
    StripFixture f;
    Strip& strip = f.create();
    feed(strip, f.face, {{S::Press, 215, 220}, {S::Release, 216, 221}});
    // The logical box is 513 x 30 for 515 x 33: the button's bottom edge at 5 + 30.
    EXPECT_EQ(f.face.calls, std::vector<std::string>{"menu 5,35"});
    // Its top-left corner too, where the menu opens upward near the screen's bottom.
    EXPECT_DOUBLE_EQ(f.face.menuButton.x, 5);
    EXPECT_DOUBLE_EQ(f.face.menuButton.y, 5);
    EXPECT_DOUBLE_EQ(f.face.menuButton.height, 30);
    f.face.calls.clear();
    feed(strip, f.face, {{S::Press, 215, 220}, {S::Release, 300, 221}}); // released elsewhere
    EXPECT_TRUE(f.face.calls.empty());
}

TEST(StripMenu, TheResizeItemTogglesResizeMode) {
    StripFixture f;
    Strip& strip = f.create();
    strip.ResizeCmdExecute();
    EXPECT_TRUE(strip.resizeMode());
    strip.ResizeCmdExecute();
    EXPECT_FALSE(strip.resizeMode());
    // The face is told nothing: it reads the mode when it shows its menu.
    EXPECT_TRUE(f.face.calls.empty());
}

TEST(StripTracking, CapturesThePointerWhileTracking) {
    StripFixture f;
    Strip& strip = f.create();
    strip.ResizeCmdExecute();
    feed(strip, f.face, {{S::Press, 500, 220}, {S::Move, 510, 225}});
    EXPECT_EQ(strip.tracking(), Strip::Tracking::Resizing);
    EXPECT_TRUE(f.face.captured);
    EXPECT_TRUE(f.face.sizingPointer);
    EXPECT_FALSE(strip.pointerPress({100, 10})); // a second press while tracking is not taken
}

TEST(StripTracking, ResizingNeverAsksTheWindowForLessThanTheMinimum) {
    StripFixture f;
    Strip& strip = f.create();
    strip.ResizeCmdExecute();
    // A drag far up and left: the working size goes below zero, the window never below 80 x 30
    // (a window system cannot show less; X unmaps the window and the drag's grab goes with it).
    feed(strip, f.face, {{S::Press, 500, 220}, {S::Move, -400, 100}, {S::Move, -300, 150}});
    EXPECT_EQ(f.face.smallestSet, (Size{80, 30}));
    EXPECT_EQ(f.face.frame, (Rect{200, 200, 80, 30}));
    feed(strip, f.face, {{S::Move, 500, 220}, {S::Release, 500, 220}}); // back to the press point
    EXPECT_EQ(f.face.frame, (Rect{200, 200, 523, 40}));
}

struct GuardRow {
    Size before, after;
};

class StripSizeGuard : public ::testing::TestWithParam<GuardRow> {};

TEST_P(StripSizeGuard, KeepsAtLeast80By30) {
    StripFixture f;
    Strip& strip = f.create();
    f.face.frame = {10, 20, GetParam().before.width, GetParam().before.height};
    strip.FormResize();
    EXPECT_EQ(f.face.frame, (Rect{10, 20, GetParam().after.width, GetParam().after.height}));
}

INSTANTIATE_TEST_SUITE_P(Rows, StripSizeGuard,
                         ::testing::Values(GuardRow{{523, 40}, {523, 40}},
                                           GuardRow{{80, 30}, {80, 30}},
                                           GuardRow{{79, 40}, {80, 40}},
                                           GuardRow{{523, 29}, {523, 30}},
                                           GuardRow{{-5, -7}, {80, 30}}));

struct WidthRow {
    double factor;
    int originalWidth, windowWidth;
};

class StripDialogWidth : public ::testing::TestWithParam<WidthRow> {};

TEST_P(StripDialogWidth, DrawsTheContentAtScaleOneAcross) {
    StripFixture f;
    Strip& strip = f.create();
    strip.MuWidth = GetParam().factor;
    strip.applyDialogWidth();
    EXPECT_EQ(strip.OriginalWidth, GetParam().originalWidth);
    EXPECT_EQ(f.face.frame.width, GetParam().windowWidth);
    EXPECT_EQ(strip.ScaledLayout1.logicalWidth, float(GetParam().originalWidth));
}

INSTANTIATE_TEST_SUITE_P(Rows, StripDialogWidth,
                         ::testing::Values(WidthRow{1.0, 515, 525}, WidthRow{1.5, 772, 782},
                                           WidthRow{1.2, 617, 627}, WidthRow{0.6, 308, 318},
                                           WidthRow{0.1, 51, 80}));

} // namespace

// The box both faces draw in: the margin scales with the face's pixels per logical pixel, the
// box fills the rest axis by axis, and the controls' columns follow the box's logical width.
struct PlacementRow {
    const char* name;
    double width, height, pixelsPerUnit;
    float logicalWidth;
    RectF area;
    double scaleX, scaleY;
};

TEST(StripLayout, TheBoxFillsWhatTheMarginLeaves) {
    const PlacementRow rows[] = {
        {"design frame", 525, 43, 1, 515, {5, 5, 515, 33}, 1, 1},
        {"150 % pixels", 788, 65, 1.5, 515, {7.5, 7.5, 773, 50}, 773.0 / 515, 50.0 / 33},
        {"wider box", 655, 43, 1, 645, {5, 5, 645, 33}, 1, 1},
        {"narrower than the margins", 8, 4, 1, 515, {5, 5, 0, 0}, 0, 0},
        {"a box below 1 counts as 1", 30, 43, 1, 0.25f, {5, 5, 20, 33}, 20, 1},
    };
    for (const PlacementRow& r : rows) {
        SCOPED_TRACE(r.name);
        ScaledArea box;
        box.logicalWidth = r.logicalWidth;
        const BoxPlacement p = placeBox(r.width, r.height, box, r.pixelsPerUnit);
        EXPECT_EQ(p.area, r.area);
        EXPECT_DOUBLE_EQ(p.scaleX, r.scaleX);
        EXPECT_DOUBLE_EQ(p.scaleY, r.scaleY);
    }
}

TEST(StripLayout, TheControlsFollowTheLogicalWidthAndTheShadowTheScale) {
    StripFixture f;
    Strip& strip = f.create();
    strip.ScaledLayout1.logicalWidth = 645;
    const StripView v = strip.view();
    EXPECT_EQ(v.speedButtonRect(), (RectF{0, 0, 33, 33}));
    EXPECT_EQ(v.label1Rect(), (RectF{33, 0, 579, 33})); // up to the glyph's column
    EXPECT_EQ(v.label2Rect(), (RectF{612, 0, 27, 33})); // 6 units before the right edge
    EXPECT_EQ(strip.label1Rect(), v.label1Rect());
    // Distance 3 at 45 degrees, a blur of 5 x 0.3 units, at least one pixel.
    const TextShadow& shadow = v.ShadowEffect1;
    EXPECT_NEAR(shadow.offset(1, 1.5).x, 2.1213, 1e-4);
    EXPECT_NEAR(shadow.offset(1, 1.5).y, 3.1820, 1e-4);
    EXPECT_EQ(shadow.blurRadius(1), 2);
    EXPECT_EQ(shadow.blurRadius(1.5, 2), 5);
    EXPECT_EQ(shadow.blurRadius(0.1), 1);
}
