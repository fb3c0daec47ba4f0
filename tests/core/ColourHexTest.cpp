#include "strip/ColourHex.h"
#include <gtest/gtest.h>

namespace zrm58 {
namespace {

TEST(ColourHex, FormatsAlphaFirstInUpperCase) {
    EXPECT_EQ(hexColourText(0x80DCDCDCu), u"#80DCDCDC");
    EXPECT_EQ(hexColourText(0x0000000Au), u"#0000000A");
    EXPECT_EQ(hexColourText(0xFFFFFFFFu), u"#FFFFFFFF");
}

TEST(ColourHex, ParsesWhatTheFieldAccepts) {
    struct Case {
        std::u16string_view text;
        std::optional<std::uint32_t> value;
    };
    const Case cases[] = {
        {u"#80DCDCDC", 0x80DCDCDCu},    {u"80dcdcdc", 0x80DCDCDCu},
        {u"  #00ff0000 ", 0x00FF0000u}, {u"#123456", 0xFF123456u}, // six digits: opaque
        {u"#", std::nullopt},           {u"", std::nullopt},
        {u"#1234567", std::nullopt}, // still being typed
        {u"#123456789", std::nullopt},  {u"#GG000000", std::nullopt},
        {u"##80DCDCDC", std::nullopt},  {u"#80 DCDCDC", std::nullopt},
        {u"0x80DCDC", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(parseHexColour(c.text), c.value);
    }
    for (std::uint32_t v : {0u, 0x01020304u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        EXPECT_EQ(parseHexColour(hexColourText(v)), v);
}

} // namespace
} // namespace zrm58
