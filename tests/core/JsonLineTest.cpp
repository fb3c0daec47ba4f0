// zrm58-line --json: the string escaping and the shape of one record.
#include "cli/JsonLine.h"
#include "cli/LineOptions.h"

#include <gtest/gtest.h>

using namespace zrm58::cli;

namespace {

struct EscapeCase {
    const char16_t* text;
    const char16_t* json;
};

class JsonString : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(JsonString, EscapesQuotesBackslashAndControlsKeepsTheRest) {
    EXPECT_EQ(jsonString(GetParam().text), GetParam().json);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, JsonString,
    ::testing::Values(EscapeCase{u"", u"\"\""}, EscapeCase{u"say \"hi\"", u"\"say \\\"hi\\\"\""},
                      EscapeCase{u"C:\\tmp", u"\"C:\\\\tmp\""},
                      EscapeCase{u"a\nb\tc\rd\be\ff", u"\"a\\nb\\tc\\rd\\be\\ff\""},
                      EscapeCase{u"\u0001\u001f\u007f", u"\"\\u0001\\u001f\u007f\""},
                      EscapeCase{u"｜令和 5年｜\U0001F600", u"\"｜令和 5年｜\U0001F600\""},
                      EscapeCase{u"/ </script>", u"\"/ </script>\""}));

TEST(JsonRecord, FourMembersWithTheStepOfTheRoundedLoad) {
    EXPECT_EQ(jsonRecord(u"｜CPU: 62%", {u"プロセッサ", u"  0: 62%"}, 61.5),
              u"{\"text\": \"｜CPU: 62%\", \"tooltip\": \"プロセッサ\\n  0: 62%\", "
              u"\"class\": \"high\", \"percentage\": 62}");
    // 20.5 rounds to 20 (ties to even): still the lowest step, like the glyph.
    EXPECT_EQ(jsonRecord(u"x", {}, 20.5),
              u"{\"text\": \"x\", \"tooltip\": \"\", \"class\": \"idle\", \"percentage\": 20}");
}

TEST(JsonOption, ParsedAndOffByDefault) {
    EXPECT_FALSE(parseLineOptions({}).options.json);
    const ParseResult r = parseLineOptions({"--json", "--follow"});
    EXPECT_TRUE(r.error.empty());
    EXPECT_TRUE(r.options.json);
    EXPECT_TRUE(r.options.follow);
}

} // namespace
