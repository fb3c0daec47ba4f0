// The details panel's behaviour on a fake panel: when a rest shows it, what hides it, that its
// sampling runs only while it shows, and where it goes beside the strip.
#include "strip/DetailsHover.h"
#include "StripFixture.h"
#include "fakes/FakeDetailsPanel.h"
#include "fakes/FakeProcessSource.h"
#include "fakes/FakeSystemDetailsSource.h"
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

using namespace zrm58;
using namespace zrm58::testing;

namespace {

// A shown strip (at 200, 200, 523 x 40) with its hover on a fake panel, two processors and two
// processes.
struct Hover {
    StripFixture f;
    fakes::FakeProcessSource processes;
    fakes::FakeSystemDetailsSource details;
    fakes::FakeDetailsPanel panel;
    double now = 100; // seconds
    std::unique_ptr<DetailsHover> hover;

    Hover() {
        processes.processors = std::vector<ProcessorTimes>{{0, 100, 200}, {1, 100, 200}};
        processes.setProcesses({10, 20}, CpuTimes{});
        details.names = {{10, "spinner"}, {20, "idle"}};
        f.writeIni(u"[Form]\nTop=200\nLeft=200\nHeight=40\nWidth=523\n");
        f.create().showFirst();
        hover = std::make_unique<DetailsHover>(*f.strip, panel, processes, details,
                                               [this] { return now; });
    }
    Strip& strip() { return *f.strip; }
    // The centre of a control's box (logical coordinates) in window coordinates.
    PointF centre(const RectF& box) const {
        return f.strip->fromLayout({box.x + box.width / 2, box.y + box.height / 2});
    }
    PointF line() const { return centre(f.strip->label1Rect()); }
    PointF glyph() const { return centre(f.strip->label2Rect()); }
    PointF button() const { return centre(f.strip->speedButtonRect()); }
    bool sampling() const { return uTotalCpuUsagePct::ProcessSamplingStarted(); }
};

struct HoverRow {
    const char* name;
    std::function<void(Hover&)> steps;
    bool shown;
    bool resting; // the rest timer runs afterwards
};

void PrintTo(const HoverRow& row, std::ostream* os) {
    *os << row.name;
}

class HoverStates : public ::testing::TestWithParam<HoverRow> {};

TEST_P(HoverStates, ShownOnlyAfterARestAndGoneAtAPressOrLeave) {
    Hover h;
    GetParam().steps(h);
    EXPECT_EQ(h.hover->shown(), GetParam().shown);
    EXPECT_EQ(h.panel.visible, GetParam().shown);
    EXPECT_EQ(h.panel.resting, GetParam().resting);
    // The per-process sampling and the per-processor reading run exactly while it shows.
    EXPECT_EQ(h.sampling(), GetParam().shown);
    EXPECT_EQ(h.processes.keepingProcessors, GetParam().shown);
    EXPECT_EQ(h.hover->snapshot().memory.has_value(), GetParam().shown); // emptied when hidden
}

const auto rest = [](Hover& h, PointF at) {
    h.hover->pointerMoved(at, false);
    h.hover->restElapsed();
};

INSTANTIATE_TEST_SUITE_P(
    Rows, HoverStates,
    ::testing::Values(
        HoverRow{"MoveOverTheLineStartsTheRest",
                 [](Hover& h) { h.hover->pointerMoved(h.line(), false); }, false, true},
        HoverRow{"MoveOverTheGlyphStartsTheRest",
                 [](Hover& h) { h.hover->pointerMoved(h.glyph(), false); }, false, true},
        HoverRow{"TheRestEndsOverTheLine", [](Hover& h) { rest(h, h.line()); }, true, false},
        HoverRow{"TheRestEndsWithAButtonHeld",
                 [](Hover& h) {
                     h.hover->pointerMoved(h.line(), false);
                     h.panel.held = true;
                     h.hover->restElapsed();
                 },
                 false, false},
        HoverRow{"OverTheMenuButtonNoRest",
                 [](Hover& h) { h.hover->pointerMoved(h.button(), false); }, false, false},
        HoverRow{"InTheMarginNoRest",
                 [](Hover& h) {
                     h.hover->pointerMoved({2, 2}, false);
                 },
                 false, false},
        HoverRow{"AMoveWithAButtonHeldNoRest",
                 [](Hover& h) { h.hover->pointerMoved(h.line(), true); }, false, false},
        HoverRow{"AMoveDuringADragNoRest",
                 [](Hover& h) {
                     h.strip().pointerPress(h.line());
                     h.hover->pointerMoved(h.line(), false);
                 },
                 false, false},
        HoverRow{"MoveOntoTheButtonStopsTheRest",
                 [](Hover& h) {
                     h.hover->pointerMoved(h.line(), false);
                     h.hover->pointerMoved(h.button(), false);
                 },
                 false, false},
        HoverRow{"LeavingWhileRestingStopsTheRest",
                 [](Hover& h) {
                     h.hover->pointerMoved(h.line(), false);
                     h.hover->hide();
                 },
                 false, false},
        HoverRow{"ShownAPressHides",
                 [](Hover& h) {
                     rest(h, h.line());
                     h.hover->hide();
                 },
                 false, false},
        HoverRow{"ShownAMoveOntoTheButtonHides",
                 [](Hover& h) {
                     rest(h, h.line());
                     h.hover->pointerMoved(h.button(), false);
                 },
                 false, false},
        HoverRow{"ShownADragHides",
                 [](Hover& h) {
                     rest(h, h.glyph());
                     h.hover->pointerMoved(h.glyph(), true);
                 },
                 false, false},
        HoverRow{"ShownMovesOverTheLineKeepItWithoutARest",
                 [](Hover& h) {
                     rest(h, h.line());
                     h.hover->pointerMoved(h.glyph(), false);
                 },
                 true, false},
        HoverRow{"ShownTwiceSamplesOnce",
                 [](Hover& h) {
                     rest(h, h.line());
                     h.hover->show();
                     h.hover->hide();
                 },
                 false, false}));

TEST(DetailsHover, FollowsTheTicksWhileShownAndReadsNothingWhileHidden) {
    Hover h;
    h.hover->ticked(); // hidden: nothing read
    EXPECT_TRUE(h.details.calls.empty());
    EXPECT_TRUE(h.processes.calls.empty());

    rest(h, h.line());
    ASSERT_TRUE(h.hover->shown());
    EXPECT_EQ(h.panel.calls.back(), "show 205,241 300x200"); // below the rounded box
    h.processes.processors = std::vector<ProcessorTimes>{{0, 100, 300}, {1, 190, 300}};
    h.now += 1;
    h.panel.calls.clear();
    h.hover->ticked();
    const DetailsSnapshot& d = h.hover->snapshot();
    ASSERT_EQ(d.processors.size(), 2u);
    EXPECT_EQ(d.processors[0].percent, 100.0);
    EXPECT_EQ(d.processors[1].percent, 10.0);
    EXPECT_EQ(h.panel.calls, (std::vector<std::string>{"details 2", "show 205,241 300x200"}));

    // The strip moved: the panel follows at the next tick.
    h.strip().placeAt(300, 250);
    h.hover->ticked();
    EXPECT_EQ(h.panel.calls.back(), "show 305,291 300x200");

    h.hover->hide();
    EXPECT_EQ(h.panel.calls.back(), "hide");
    h.details.calls.clear();
    h.processes.calls.clear();
    h.hover->ticked();
    h.hover->ticked();
    EXPECT_TRUE(h.details.calls.empty());
    EXPECT_TRUE(h.processes.calls.empty()); // no per-processor and no per-process reading
}

TEST(DetailsHover, GoingWhileShownEndsTheSamplingWithoutCallingThePanel) {
    Hover h;
    rest(h, h.line());
    h.panel.calls.clear();
    h.hover.reset();
    EXPECT_FALSE(uTotalCpuUsagePct::ProcessSamplingStarted());
    EXPECT_FALSE(h.processes.keepingProcessors);
    EXPECT_TRUE(h.panel.calls.empty());
}

// --- Where the panel goes ---

struct PlaceRow {
    const char* name;
    Rect box; // the strip's rounded box
    std::optional<Rect> area;
    Rect expected; // for a panel of 300 x 200
};

void PrintTo(const PlaceRow& row, std::ostream* os) {
    *os << row.name;
}

class PanelPlace : public ::testing::TestWithParam<PlaceRow> {};

TEST_P(PanelPlace, BesideTheRoundedBoxAndOnTheWorkArea) {
    const PlaceRow& row = GetParam();
    EXPECT_EQ(detailsPanelFrame(row.box, {300, 200}, row.area), row.expected);
}

constexpr Rect kScreen{0, 0, 1920, 1080};

INSTANTIATE_TEST_SUITE_P(
    Rows, PanelPlace,
    ::testing::Values(
        PlaceRow{"RoomBelow", {205, 205, 513, 30}, kScreen, {205, 241, 300, 200}},
        PlaceRow{"JustRoomBelow", {205, 844, 513, 30}, kScreen, {205, 880, 300, 200}},
        PlaceRow{"NoRoomBelowAbove", {205, 845, 513, 30}, kScreen, {205, 639, 300, 200}},
        PlaceRow{"AtTheRightEdgePulledIn", {1800, 205, 513, 30}, kScreen, {1620, 241, 300, 200}},
        PlaceRow{"LeftOfTheScreenPulledIn", {-50, 205, 513, 30}, kScreen, {0, 241, 300, 200}},
        PlaceRow{"RoomOnNeitherSideOnTheAreasTop",
                 {205, 180, 513, 30},
                 Rect{0, 0, 1920, 400},
                 {205, 0, 300, 200}},
        PlaceRow{"AWorkAreaBelowATopPanel",
                 {205, 1000, 513, 30},
                 Rect{0, 28, 1920, 1000},
                 {205, 794, 300, 200}},
        PlaceRow{"ASecondScreenLeftOfThePrimary",
                 {-1900, 205, 513, 30},
                 Rect{-1920, 0, 1920, 1080},
                 {-1900, 241, 300, 200}},
        PlaceRow{"NoScreenBelowAndNotPulled",
                 {-50, 2000, 513, 30},
                 std::nullopt,
                 {-50, 2036, 300, 200}}));

} // namespace
