// The toolkit-free pieces the faces draw text with: the line cut to its box and split into
// runs of one font, and a font's character map read from its 'cmap' table.
#include "drawing/FontCmap.h"
#include "drawing/TextRuns.h"
#include <array>
#include <gtest/gtest.h>
#include <tuple>

namespace zrm58 {
namespace {

using namespace textruns;

TEST(TextRuns, ClustersKeepPairsMarksAndSequencesWhole) {
    struct Case {
        std::u16string text;
        std::size_t end; // of the first cluster
    } cases[] = {
        {u"ab", 1},
        {u"\U0001F42Fx", 2},                                 // a surrogate pair
        {u"e\u0301x", 2},                                    // a combining mark
        {u"\U0001F468\u200D\U0001F469\u200D\U0001F467x", 8}, // joined by ZWJ
        {u"\u2764\uFE0Fx", 2},                               // a variation selector
        {u"\U0001F44D\U0001F3FDx", 4},                       // a skin tone
        {u"\U0001F1EF\U0001F1F5\U0001F1EF", 4},              // one flag, then the next begins
        {std::u16string{char16_t{0xD83D}} + u"x", 1},        // a lone high surrogate
        {std::u16string{char16_t{0xDC2F}, char16_t{0xD83D}}, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.end, clusterEnd(c.text, 0)) << c.text.size();
}

TEST(TextRuns, TheShownPrefixEndsOnAClusterAndSkipsInvisibleOnes) {
    const std::u16string tigers = u"\U0001F42F\U0001F42F\U0001F42F";
    EXPECT_EQ(4u, shownPrefix(tigers, 2)); // never half a pair
    EXPECT_EQ(0u, shownPrefix(tigers, 0));
    EXPECT_EQ(tigers.size(), shownPrefix(tigers, 99));
    // Zero-width spaces take no room: the text after them still shows.
    const std::u16string hidden = std::u16string(1000, u'\u200B') + u"12:00";
    EXPECT_EQ(hidden.size(), shownPrefix(hidden, 5));
    EXPECT_EQ(1002u, shownPrefix(hidden, 2));
    // Room for a box: at least as many clusters as the narrowest glyph allows.
    EXPECT_GE(roomFor(449, 12), 449u / 1);
    EXPECT_EQ(0u, roomFor(0, 12));
    EXPECT_LT(roomFor(1e300, 12), 100'000'000u);
}

TEST(TextRuns, RunsTakeTheFirstFontThatHasTheCharacter) {
    // Font 0 has ASCII, font 1 the tiger, font 2 everything.
    const auto has = [](int font, char32_t c) {
        return font == 2 || (font == 0 && c < 0x80) || (font == 1 && c == 0x1F42F);
    };
    const std::u16string text = u"ab\U0001F42F\U0001F42Fc\u65E5\u0301d";
    const std::vector<textruns::Run> runs = splitRuns(text, 3, has);
    ASSERT_EQ(5u, runs.size());
    EXPECT_EQ(2u, runs[0].end);
    EXPECT_EQ(1, runs[1].font);
    EXPECT_TRUE(runs[1].astral);
    EXPECT_EQ(2u, runs[1].begin);
    EXPECT_EQ(6u, runs[1].end);
    EXPECT_EQ(0, runs[2].font);
    EXPECT_EQ(2, runs[3].font); // the mark goes with its base
    EXPECT_EQ(9u, runs[3].end);
    EXPECT_EQ(0, runs[4].font);
    // Nobody has it: the line's own font, which shows its missing glyph once.
    const std::vector<textruns::Run> none =
        splitRuns(u"\U0001F600", 3, [](int, char32_t) { return false; });
    ASSERT_EQ(1u, none.size());
    EXPECT_EQ(0, none[0].font);
}

// A 'cmap' table with the given subtables, each (platform, encoding, bytes).
std::string cmapTable(const std::vector<std::tuple<int, int, std::string>>& subtables) {
    std::string t;
    const auto u16 = [&](std::string& s, std::uint32_t v) {
        s += static_cast<char>(v >> 8), s += static_cast<char>(v & 0xFF);
    };
    const auto u32 = [&](std::string& s, std::uint32_t v) { u16(s, v >> 16), u16(s, v & 0xFFFF); };
    u16(t, 0);
    u16(t, static_cast<std::uint32_t>(subtables.size()));
    std::uint32_t offset = 4 + 8 * static_cast<std::uint32_t>(subtables.size());
    std::string bodies;
    for (const auto& [platform, encoding, body] : subtables) {
        u16(t, platform), u16(t, encoding), u32(t, offset);
        offset += static_cast<std::uint32_t>(body.size());
        bodies += body;
    }
    return t + bodies;
}

std::string format12(const std::vector<std::array<std::uint32_t, 3>>& groups) {
    std::string s;
    const auto u16 = [&](std::uint32_t v) {
        s += static_cast<char>(v >> 8), s += static_cast<char>(v & 0xFF);
    };
    const auto u32 = [&](std::uint32_t v) { u16(v >> 16), u16(v & 0xFFFF); };
    u16(12), u16(0), u32(16 + 12 * static_cast<std::uint32_t>(groups.size())), u32(0);
    u32(static_cast<std::uint32_t>(groups.size()));
    for (const auto& g : groups)
        u32(g[0]), u32(g[1]), u32(g[2]);
    return s;
}

// Format 4 with one segment start..end mapped by delta, and the closing 0xFFFF segment.
std::string format4(std::uint16_t start, std::uint16_t end, std::uint16_t delta) {
    std::string s;
    const auto u16 = [&](std::uint32_t v) {
        s += static_cast<char>(v >> 8), s += static_cast<char>(v & 0xFF);
    };
    u16(4), u16(16 + 8 * 2), u16(0), u16(4), u16(4), u16(1), u16(0);
    u16(end), u16(0xFFFF), u16(0), u16(start), u16(0xFFFF), u16(delta), u16(1), u16(0), u16(0);
    return s;
}

TEST(FontCmap, LooksUpAstralCharactersInTheFullRepertoireSubtable) {
    const std::string table =
        cmapTable({{3, 1, format4(0x41, 0x5A, 10)},
                   {3, 10, format12({{0x41, 0x5A, 11}, {0x1F42F, 0x1F430, 500}})}});
    const std::optional<FontCmap> cmap = FontCmap::parse(table);
    ASSERT_TRUE(cmap);
    EXPECT_EQ(500, cmap->glyph(0x1F42F));
    EXPECT_EQ(501, cmap->glyph(0x1F430));
    EXPECT_EQ(12, cmap->glyph(0x42));
    EXPECT_FALSE(cmap->glyph(0x1F431));
    EXPECT_FALSE(cmap->glyph(0x20));
}

TEST(FontCmap, ReadsTheBmpSubtableAndRefusesBrokenTables) {
    const std::optional<FontCmap> bmp =
        FontCmap::parse(cmapTable({{3, 1, format4(0x41, 0x5A, 10)}}));
    ASSERT_TRUE(bmp);
    EXPECT_EQ(0x41 + 10, bmp->glyph(0x41));
    EXPECT_FALSE(bmp->glyph(0x1F42F));
    EXPECT_FALSE(bmp->glyph(0x40));
    const std::string whole = cmapTable({{3, 10, format12({{0x1F42F, 0x1F42F, 7}})}});
    for (std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{11}, whole.size() - 1})
        EXPECT_FALSE(FontCmap::parse(whole.substr(0, cut))) << cut;
    EXPECT_FALSE(FontCmap::parse(cmapTable({{1, 0, format4(0x41, 0x5A, 1)}}))); // not Unicode
}

} // namespace
} // namespace zrm58
