// The strip's line as the Win32 face draws it, on the real GDI+ and fonts: a character beyond
// U+FFFF is drawn as one glyph of a font that has it, and a line far longer than its box costs
// what the box shows.
#include "faces/win32/Gdip.h"
#include "faces/win32/StripPainter.h"
#include <gtest/gtest.h>
#include <vector>

namespace zrm58::win32face {
namespace {

// Only the line: no background, outline, shadow or glyphs.
struct LineOnly {
    RoundedBox box;
    ScaledArea area;
    LineText line, glyph, menu;
    TextShadow shadow;
    explicit LineOnly(std::u16string text) {
        box.setOpacity(0);
        box.strokeOn = false;
        shadow.enabled = false;
        glyph.text = u" ";
        menu.text = u" ";
        line.text = std::move(text);
        line.family = u"Segoe UI";
    }
    StripScene scene() const { return {{box, area, line, glyph, menu, shadow}}; }
};

std::vector<std::uint32_t> painted(const StripScene& s) {
    std::vector<std::uint32_t> px(static_cast<std::size_t>(s.width) * s.height);
    paintStrip(s, px.data());
    return px;
}

// Columns that hold ink, as runs of neighbouring columns: one glyph is one span.
int inkSpans(const StripScene& s, const std::vector<std::uint32_t>& px) {
    int spans = 0;
    bool before = false;
    for (int x = 0; x < s.width; ++x) {
        bool ink = false;
        for (int y = 0; y < s.height && !ink; ++y)
            ink = (px[y * s.width + x] >> 24) > 64;
        if (ink && !before) ++spans;
        before = ink;
    }
    return spans;
}

TEST(Win32LineRuns, AnAstralCharacterIsOneGlyphNotTwoMissingOnes) {
    const LineOnly tiger(u"\U0001F42F");
    // Two lone surrogates: what a renderer that steps by UTF-16 unit draws for the pair.
    const LineOnly halves(std::u16string{char16_t{0xDC2F}, char16_t{0xD83D}});
    const auto drawn = painted(tiger.scene());
    EXPECT_NE(drawn, painted(halves.scene()));
    EXPECT_EQ(1, inkSpans(tiger.scene(), drawn));
    EXPECT_GT(measureLine(tiger.scene(), tiger.line.text), 0);
}

TEST(Win32LineRuns, ALineLongerThanItsBoxDrawsAsItsShownPart) {
    // The box shows the first few hundred characters: a line 1000 times longer draws the same.
    const std::u16string head = u"｜2026年12月11日 (金) 02:35:17｜RAM: 6% (1.5/23.5)｜CPU: 7%";
    std::u16string longLine;
    while (longLine.size() < 100'000)
        longLine += head;
    const LineOnly shown(longLine.substr(0, 2000));
    const auto drawn = painted(shown.scene());
    EXPECT_GT(inkSpans(shown.scene(), drawn), 20);
    const LineOnly whole(longLine);
    EXPECT_EQ(drawn, painted(whole.scene()));
    // Measured no further than the widest box the settings allow.
    EXPECT_EQ(measureLine(whole.scene(), longLine.substr(0, 20'000)),
              measureLine(whole.scene(), longLine));
}

} // namespace
} // namespace zrm58::win32face
