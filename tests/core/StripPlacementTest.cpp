// What the saves write when the window system did not carry out the strip's own frame: a tiling
// window manager's size, a place it imposed, a compositor that places every window itself. The
// window system's doings are played on the fake face (its frame changed, then FormResize, as a
// face reports them).
#include "StripFixture.h"
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

using namespace zrm58;
using namespace zrm58::testing;

namespace {

// Where the window manager puts the window and what size it gives it, as a face reports it.
void windowSystemMakes(Strip& strip, fakes::FakeStripFace& face, const Rect& frame) {
    face.frame = frame;
    strip.FormResize();
}

// A drag on the strip by the pointer's travel (dx, dy), pressed at window point (100, 10). The
// pointer is followed on the desktop; window points count from where the window is seen, as a
// face delivers them.
void drag(Strip& strip, const fakes::FakeStripFace& face, double dx, double dy) {
    const double x = face.frame.left + 100.0, y = face.frame.top + 10.0;
    auto at = [&face](double gx, double gy) {
        return PointF{gx - face.frame.left, gy - face.frame.top};
    };
    strip.pointerPress(at(x, y));
    strip.pointerMove(at(x + dx, y + dy));
    strip.pointerRelease(at(x + dx, y + dy));
}

std::u16string u16(int v) {
    return *fromUtf8(std::to_string(v));
}

struct PlacementRow {
    const char* name;
    std::function<void(Strip&, fakes::FakeStripFace&)> life; // after the first showing
    Rect saved; // Left, Top, Width and Height in the file after the close
};

void PrintTo(const PlacementRow& row, std::ostream* os) {
    *os << row.name;
}

class StripPlacement : public ::testing::TestWithParam<PlacementRow> {};

// Stored: Left=600 Top=300, 523 x 40.
TEST_P(StripPlacement, SavesTheStripsOwnFrameNeverTheWindowSystems) {
    StripFixture f;
    f.writeIni(u"[Form]\nTop=300\nLeft=600\nHeight=40\nWidth=523\n");
    Strip& strip = f.create();
    strip.showFirst();
    GetParam().life(strip, f.face);
    ASSERT_TRUE(strip.FormCloseQuery());
    const Rect s = GetParam().saved;
    const std::u16string expected = u"[Form]\r\nTop=" + u16(s.top) + u"\r\nLeft=" + u16(s.left) +
                                    u"\r\nHeight=" + u16(s.height) + u"\r\nWidth=" + u16(s.width) +
                                    u"\r\n";
    EXPECT_TRUE(f.ini().starts_with(expected)) << toUtf8(f.ini().substr(0, 60));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StripPlacement,
    ::testing::Values(
        PlacementRow{"NothingHappens", [](Strip&, fakes::FakeStripFace&) {}, {600, 300, 523, 40}},
        // i3 without a floating rule: tiled to the whole output below its bar.
        PlacementRow{"TiledToTheOutput",
                     [](Strip& s, fakes::FakeStripFace& face) {
                         windowSystemMakes(s, face, {0, 32, 1280, 748});
                     },
                     {600, 300, 523, 40}},
        // sway with a floating rule: centred, and 10 higher.
        PlacementRow{"CentredAndMadeHigher",
                     [](Strip& s, fakes::FakeStripFace& face) {
                         windowSystemMakes(s, face, {378, 375, 523, 50});
                     },
                     {600, 300, 523, 40}},
        // A drag by the user counts from where the window is seen; the size stays its own.
        PlacementRow{"DraggedAfterTheManagerPlacedIt",
                     [](Strip& s, fakes::FakeStripFace& face) {
                         windowSystemMakes(s, face, {378, 375, 523, 50});
                         drag(s, face, 50, 20);
                     },
                     {428, 395, 523, 40}},
        PlacementRow{"DraggedWhereTheManagerHonoursIt",
                     [](Strip& s, fakes::FakeStripFace& face) { drag(s, face, -30, 7); },
                     {570, 307, 523, 40}},
        // A resize by the user starts from the strip's own size, not from the tiled one.
        PlacementRow{"ResizedWhileTiled",
                     [](Strip& s, fakes::FakeStripFace& face) {
                         windowSystemMakes(s, face, {0, 32, 1280, 748});
                         s.ResizeCmdExecute();
                         drag(s, face, 20, 5);
                     },
                     {600, 300, 543, 45}},
        // A width factor from the settings window while the manager holds another size.
        PlacementRow{"WidthFactorWhileTiled",
                     [](Strip& s, fakes::FakeStripFace& face) {
                         windowSystemMakes(s, face, {0, 32, 1280, 748});
                         s.MuWidth = 2.0;
                         s.applyDialogWidth();
                     },
                     {600, 300, 1040, 40}},
        // The size guard mends a size the manager made too small; that stays the manager's.
        PlacementRow{"GuardedWhileTiledTooSmall",
                     [](Strip& s, fakes::FakeStripFace& face) {
                         windowSystemMakes(s, face, {0, 32, 1280, 12});
                         EXPECT_EQ(face.frame, (Rect{0, 32, 1280, 30}));
                     },
                     {600, 300, 523, 40}},
        // The face brings the strip back onto a screen: the program's own place.
        PlacementRow{"BroughtBackOntoAScreen",
                     [](Strip& s, fakes::FakeStripFace&) { s.placeAt(10, 20); },
                     {10, 20, 523, 40}},
        // A native Wayland session: the compositor places the window and reports 0, 0; a
        // press does not move what cannot be moved.
        PlacementRow{"CompositorPlacesIt",
                     [](Strip& s, fakes::FakeStripFace& face) {
                         face.compositorPlaces = true;
                         windowSystemMakes(s, face, {0, 0, 523, 40});
                         drag(s, face, 50, 20);
                         EXPECT_FALSE(face.called("capture 1"));
                     },
                     {600, 300, 523, 40}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
