// The on-screen rule: where the strip goes when too little of it can be reached, or when it must
// lie wholly on a screen (a screen went away, another start asked it forward).
#include "strip/OnScreen.h"
#include "StripFixture.h"
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

using namespace zrm58;
using namespace zrm58::testing;

namespace {

constexpr Rect kLeft{0, 0, 1280, 800}, kRight{1280, 0, 1280, 800};

struct WholeRow {
    const char* name;
    Rect strip;
    std::vector<Rect> areas; // the primary first
    int left, top;
};

void PrintTo(const WholeRow& row, std::ostream* os) {
    *os << row.name;
}

class WholeOnScreen : public ::testing::TestWithParam<WholeRow> {};

TEST_P(WholeOnScreen, IntoTheAreaHoldingMostMovedTheLeast) {
    const WholeRow& row = GetParam();
    const Rect to = wholeOnScreen(row.strip, row.areas);
    EXPECT_EQ(to, (Rect{row.left, row.top, row.strip.width, row.strip.height}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WholeOnScreen,
    ::testing::Values(
        WholeRow{"WhollyOnAScreenStays", {100, 100, 523, 40}, {kLeft}, 100, 100},
        WholeRow{"ItsMenuButtonAloneOnTheScreen", {1228, 300, 523, 40}, {kLeft}, 757, 300},
        WholeRow{"OnNoScreenOntoThePrimary", {3000, -500, 523, 40}, {kLeft}, 757, 0},
        WholeRow{
            "StraddlingTwoOntoTheOneHoldingMore", {1100, 300, 523, 40}, {kLeft, kRight}, 1280, 300},
        WholeRow{
            "TheOneHoldingMoreWinsOverThePrimary", {900, 300, 523, 40}, {kRight, kLeft}, 757, 300},
        WholeRow{"LargerThanTheScreenLeftAndTopOnIt", {-50, -60, 2000, 900}, {kLeft}, 0, 0},
        WholeRow{"AnAreaBelowATopPanel", {10, 0, 523, 40}, {Rect{0, 28, 1280, 772}}, 10, 28},
        WholeRow{"NoScreenAtAllUnchanged", {5, 6, 523, 40}, {}, 5, 6}));

// --- Through the strip: the first showing and a screen's change ---

const Screen kPrimary{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}}; // a task bar of 40 below
const Screen kSecond{{1920, 0, 1280, 1024}, {1920, 0, 1280, 1024}};

struct ReachRow {
    const char* name;
    Rect stored;
    std::vector<Screen> screens;
    int left, top; // after the first showing, and in the file after the close
};

void PrintTo(const ReachRow& row, std::ostream* os) {
    *os << row.name;
}

class Reachable : public ::testing::TestWithParam<ReachRow> {};

TEST_P(Reachable, AGripOfItOnAScreenElseIntoThePrimarysWorkArea) {
    const ReachRow& row = GetParam();
    StripFixture f;
    f.face.screenList = row.screens;
    const Rect& s = row.stored;
    f.writeIni(u"[Form]\nTop=" + *fromUtf8(std::to_string(s.top)) + u"\nLeft=" +
               *fromUtf8(std::to_string(s.left)) + u"\nHeight=40\nWidth=523\n");
    Strip& strip = f.create();
    strip.showFirst();
    EXPECT_EQ(f.face.frame, (Rect{row.left, row.top, 523, 40}));
    // Reachable at the first showing, it stays so at a screen's change.
    EXPECT_FALSE(strip.keepReachable());
    ASSERT_TRUE(strip.FormCloseQuery());
    // A place of the program's own, which the save keeps (a negative one pulled to 0).
    const std::u16string saved = u"[Form]\r\nTop=" +
                                 *fromUtf8(std::to_string(std::max(0, row.top))) + u"\r\nLeft=" +
                                 *fromUtf8(std::to_string(std::max(0, row.left)));
    EXPECT_TRUE(f.ini().starts_with(saved)) << toUtf8(f.ini().substr(0, 40));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Reachable,
    ::testing::Values(
        ReachRow{"WhollyOnTheScreenStays", {600, 300, 523, 40}, {kPrimary}, 600, 300},
        ReachRow{"AGripInTheBottomRightCornerStays", {1900, 1060, 523, 40}, {kPrimary}, 1900, 1060},
        ReachRow{"OnTheTaskBarStays", {600, 1050, 523, 40}, {kPrimary}, 600, 1050},
        ReachRow{"OnePixelShortOfAGripMovesIntoTheWorkArea",
                 {1901, 1060, 523, 40},
                 {kPrimary},
                 1397,
                 1000},
        ReachRow{
            "OnNoScreenIntoThePrimarysWorkArea", {5000, 3000, 523, 40}, {kPrimary}, 1397, 1000},
        ReachRow{"LeftOfEveryScreen", {-900, 300, 523, 40}, {kPrimary}, 0, 300},
        ReachRow{"OnTheSecondScreenStays", {2500, 900, 523, 40}, {kPrimary, kSecond}, 2500, 900},
        ReachRow{
            "BelowTheSmallerSecondScreen", {2500, 1050, 523, 40}, {kPrimary, kSecond}, 1397, 1000},
        ReachRow{"NoScreenLeftAlone", {5000, 3000, 523, 40}, {}, 5000, 3000}));

TEST(OnScreen, AScreenGoneBringsTheWholeStripOntoTheOneHoldingMost) {
    StripFixture f;
    f.face.screenList = std::vector<Screen>{kPrimary, kSecond};
    f.writeIni(u"[Form]\nTop=500\nLeft=1700\nHeight=40\nWidth=523\n");
    Strip& strip = f.create();
    strip.showFirst();
    EXPECT_TRUE(strip.bringWholeOnScreen()); // on both: the second holds more
    EXPECT_EQ(f.face.frame, (Rect{1920, 500, 523, 40}));
    f.face.screenList = std::vector<Screen>{kPrimary}; // the second screen went away
    EXPECT_TRUE(strip.bringWholeOnScreen());
    EXPECT_EQ(f.face.frame, (Rect{1397, 500, 523, 40}));
    EXPECT_FALSE(strip.bringWholeOnScreen()); // wholly on it now
    ASSERT_TRUE(strip.FormCloseQuery());
    EXPECT_TRUE(f.ini().starts_with(u"[Form]\r\nTop=500\r\nLeft=1397\r\n"));
}

} // namespace
