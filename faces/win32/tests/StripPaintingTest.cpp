// The Win32 face's drawing kept from one tick to the next, on the real GDI+: a painter that
// keeps the background and the button gives paintStrip's pixels bit for bit through
// changes of text, size, scale and look, and a layered window is handed only the box of the
// pixels that changed.
#include "faces/win32/Gdip.h"
#include "faces/win32/LayeredSurface.h"
#include "faces/win32/StripPainter.h"
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace zrm58::win32face {
namespace {

// The strip's default look and line.
struct Look {
    RoundedBox box;
    ScaledArea area;
    LineText line{u"｜2026年12月11日 (金) 09:31:27 (令和 8年)｜RAM: 41% (9.6/23.5)｜CPU:  7%",
                  u"Segoe UI"};
    LineText glyph{std::u16string(1, u'\uE1E9'), u"Segoe MDL2 Assets", 20};
    LineText menu{std::u16string(1, u'\uE700'), u"Segoe MDL2 Assets", 16};
    TextShadow shadow;
    int width = 523, height = 40;
    float scale = 1;
    std::shared_ptr<Gdiplus::Bitmap> picture;
    StripScene scene() const {
        return {{box, area, line, glyph, menu, shadow}, width, height, scale, picture};
    }
};

// A picture of one colour, as the strip keeps one at the drawn size.
std::shared_ptr<Gdiplus::Bitmap> solidPicture(std::uint32_t argb) {
    auto picture = std::make_shared<Gdiplus::Bitmap>(513, 30, PixelFormat32bppPARGB);
    Gdiplus::Graphics(picture.get()).Clear(Gdiplus::Color(argb));
    return picture;
}

std::vector<std::uint32_t> painted(const StripScene& s) {
    std::vector<std::uint32_t> px(static_cast<std::size_t>(s.width) * s.height);
    paintStrip(s, px.data());
    return px;
}

TEST(StripPainter, KeepsTheBackgroundAndPaintsWhatPaintStripPaints) {
    // One painter through a run of ticks and changes; each step changes the look from the last.
    const struct {
        const char* step;
        std::function<void(Look&)> change;
    } steps[] = {
        {"first tick", [](Look&) {}},
        {"next tick's line", [](Look& l) { l.line.text[27] = u'8'; }},
        {"the load glyph", [](Look& l) { l.glyph.text = u"\uEC3B"; }},
        {"a line that runs into the glyph's box",
         [](Look& l) { l.line.text += u"｜" + l.line.text; }},
        {"the button's and the glyph's colour",
         [](Look& l) {
             l.menu.color = 0xFF804020;
             l.glyph.color = 0xFF204080;
         }},
        {"a shadow cast onto the button",
         [](Look& l) {
             l.line.text = u"｜■■■■■■■■■■";
             l.shadow.distance = 30;
             l.shadow.directionDegrees = 180;
         }},
        {"the line and the shadow as they were",
         [](Look& l) {
             l.line = Look{}.line;
             l.shadow = TextShadow{};
         }},
        {"wider", [](Look& l) { l.width = 600; }},
        {"opacity", [](Look& l) { l.box.setOpacity(0.8f); }},
        {"fill colour", [](Look& l) { l.box.fill.color = 0xFF336699; }},
        {"gradient",
         [](Look& l) {
             l.box.fill.kind = FillKind::Gradient;
             l.box.fill.gradientColor1 = 0xFF102030;
         }},
        {"gradient's direction",
         [](Look& l) {
             l.box.fill.endPoint = {1, 0};
         }},
        {"no outline", [](Look& l) { l.box.strokeOn = false; }},
        {"a picture",
         [](Look& l) {
             l.box.fill.kind = FillKind::Bitmap;
             l.picture = solidPicture(0xFFC04000);
         }},
        {"another picture in its place, the first one let go first",
         [](Look& l) {
             l.picture.reset();
             l.picture = solidPicture(0xFF0040C0);
         }},
        {"corner radius", [](Look& l) { l.box.radius = 3; }},
        {"150 %",
         [](Look& l) {
             l.scale = 1.5f;
             l.width = 785;
             l.height = 60;
         }},
        {"no shadow, white bold text",
         [](Look& l) {
             l.shadow.enabled = false;
             l.line.color = 0xFFFFFFFF;
             l.line.bold = true;
         }},
        {"the default again", [](Look& l) { l = Look{}; }},
    };
    Look look;
    StripPainter painter;
    std::vector<std::uint32_t> kept;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.change(look);
        const StripScene scene = look.scene();
        kept.assign(static_cast<std::size_t>(scene.width) * scene.height, 0xDEADBEEFu);
        painter.paint(scene, kept.data());
        EXPECT_EQ(painted(scene), kept);
    }
}

// With a shadow the line is drawn once into a layer (its alpha makes the shadow) and blended over
// the strip; without one GDI+ draws it straight onto the strip. An invisible shadow must leave
// the very line GDI+ draws, but for the rounding of the blend: 2 of 255 at the most per channel.
TEST(StripPainter, LineThroughItsLayerAsGdiplusDrawsIt) {
    const struct {
        const char* why;
        std::uint32_t text;
        FillKind fill;
        bool bold;
    } rows[] = {
        {"default: black on grey", 0xFF000000, FillKind::Solid, false},
        {"white bold", 0xFFFFFFFF, FillKind::Solid, true},
        {"half-transparent red", 0x80FF0000, FillKind::Solid, false},
        {"blue on a gradient", 0xFF2040C0, FillKind::Gradient, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        Look look;
        look.line.color = row.text;
        look.line.bold = row.bold;
        look.box.fill.kind = row.fill;
        look.box.fill.gradientColor1 = 0xFF102030;
        look.shadow.opacity = 0; // through the layer, casting nothing
        const std::vector<std::uint32_t> layered = painted(look.scene());
        look.shadow.enabled = false;
        const std::vector<std::uint32_t> straight = painted(look.scene());
        int most = 0, differing = 0;
        for (std::size_t i = 0; i < straight.size(); ++i) {
            int worst = 0;
            for (int shift = 0; shift < 32; shift += 8)
                worst = std::max(worst, std::abs(static_cast<int>((layered[i] >> shift) & 0xFF) -
                                                 static_cast<int>((straight[i] >> shift) & 0xFF)));
            most = std::max(most, worst);
            differing += worst > 0;
        }
        EXPECT_LE(most, 2) << differing << " pixels differ";
    }
}

TEST(LayeredSurface, HandsOverOnlyTheBoxOfWhatChanged) {
    constexpr int w = 7, h = 5;
    const struct {
        const char* name;
        std::vector<std::pair<int, int>> changed; // x, y
        std::optional<RECT> box;
    } cases[] = {
        {"nothing", {}, std::nullopt},
        {"one pixel", {{3, 2}}, RECT{3, 2, 4, 3}},
        {"the corners", {{0, 0}, {6, 4}}, RECT{0, 0, 7, 5}},
        {"two far apart in one row", {{1, 3}, {5, 3}}, RECT{1, 3, 6, 4}},
        {"left on a low row, right on a high one", {{0, 4}, {6, 1}}, RECT{0, 1, 7, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint32_t> before(w * h, 0x80808080u), now = before;
        for (const auto& [x, y] : c.changed)
            now[y * w + x] ^= 1u; // the least change a channel can have
        const std::optional<RECT> box = changedBox(before.data(), now.data(), w, h);
        ASSERT_EQ(c.box.has_value(), box.has_value());
        if (!box) continue;
        EXPECT_EQ(c.box->left, box->left);
        EXPECT_EQ(c.box->top, box->top);
        EXPECT_EQ(c.box->right, box->right);
        EXPECT_EQ(c.box->bottom, box->bottom);
    }
}

} // namespace
} // namespace zrm58::win32face
