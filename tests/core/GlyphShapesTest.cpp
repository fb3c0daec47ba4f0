// The strip's own glyphs as shapes: which texts are glyphs, how many bars are lit, and that the
// bars stay within the em square and rise left to right.
#include "strip/GlyphShapes.h"
#include <gtest/gtest.h>
#include <string>

using namespace zrm58;
using namespace zrm58::glyphs;

namespace {

struct GlyphRow {
    const char* name;
    std::u16string text;
    int bars;   // none: not an own glyph
    int filled; //
};

class Glyph : public ::testing::TestWithParam<GlyphRow> {};

TEST_P(Glyph, ShapeHasItsBars) {
    const GlyphRow& row = GetParam();
    const RectF box{10, 20, 40, 30};
    const double size = 20;
    const auto shape = glyphShape(row.text, box, size);
    EXPECT_EQ(isOwnGlyph(row.text), row.bars > 0);
    if (row.bars == 0) {
        EXPECT_FALSE(shape);
        return;
    }
    ASSERT_TRUE(shape);
    ASSERT_EQ(static_cast<int>(shape->bars.size()), row.bars);
    const RectF em{20, 25, size, size}; // centred in the box
    int filled = 0;
    for (const GlyphBar& bar : shape->bars) {
        filled += bar.filled;
        const double reach = bar.filled ? 0 : shape->line / 2; // an outline's half width
        EXPECT_GE(bar.box.x - reach, em.x - 1e-9);
        EXPECT_GE(bar.box.y - reach, em.y - 1e-9);
        EXPECT_LE(bar.box.x + bar.box.width + reach, em.x + em.width + 1e-9);
        EXPECT_LE(bar.box.y + bar.box.height + reach, em.y + em.height + 1e-9);
    }
    EXPECT_EQ(filled, row.filled);
    if (row.bars == 5) // the meter: bars left to right, each taller than the one before
        for (std::size_t i = 1; i < shape->bars.size(); ++i) {
            EXPECT_GT(shape->bars[i].box.x, shape->bars[i - 1].box.x);
            EXPECT_LT(shape->bars[i].box.y, shape->bars[i - 1].box.y);
        }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Glyph,
    ::testing::Values(GlyphRow{"menu", u"\uE700", 3, 3}, GlyphRow{"unknown", u"\uE1E9", 5, 0},
                      GlyphRow{"load1", u"\uEC37", 5, 1}, GlyphRow{"load3", u"\uEC39", 5, 3},
                      GlyphRow{"load5", u"\uEC3B", 5, 5}, GlyphRow{"pastLoad5", u"\uEC3C", 0, 0},
                      GlyphRow{"letter", u"A", 0, 0}, GlyphRow{"twoGlyphs", u"\uE700\uE700", 0, 0},
                      GlyphRow{"empty", u"", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
