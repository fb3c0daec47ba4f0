#include "status/DateTimeFormat.h"
#include "fakes/FakeAltCalendar.h"
#include <gtest/gtest.h>

namespace zrm58 {
namespace {

using fakes::FakeAltCalendar;

// Tuesday 3 January 2023 at the given time of day (default 08:04:03.007).
DateTimeFields jan3(std::uint16_t h = 8, std::uint16_t n = 4, std::uint16_t s = 3,
                    std::uint16_t ms = 7) {
    DateTimeFields t;
    t.year = 2023;
    t.month = 1;
    t.day = 3;
    t.hour = h;
    t.minute = n;
    t.second = s;
    t.millisecond = ms;
    t.dayOfWeek = 3;
    return t;
}

DateTimeFields withYear(std::uint16_t year) {
    DateTimeFields t = jan3();
    t.year = year;
    return t;
}

using Tweak = void (*)(LocaleFormatSettings&);

struct Row {
    const char* name; // test name suffix; the comment on each row says why it is there
    std::u16string pattern;
    DateTimeFields t;
    std::u16string expected;
    Tweak tweak = nullptr; // settings other than the fallbacks
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

// Every expansion pattern asks for a further expansion: at depth 2 those write nothing.
void nestedSettings(LocaleFormatSettings& s) {
    s.shortDatePattern = u"[ddddd|dddddd|t|tt|c]";
    s.longTimePattern = u"<hh>";
}

class RenderTable : public ::testing::TestWithParam<Row> {};

TEST_P(RenderTable, WritesExpectedText) {
    const Row& row = GetParam();
    LocaleFormatSettings settings;
    if (row.tweak) row.tweak(settings);
    EXPECT_EQ(RenderDateTime(row.pattern, row.t, settings, EraContext{}), row.expected);
}

const Row kTokenRows[] = {
    // Years: one or two letters are the year modulo 100, three or more at least four digits.
    {"y", u"y", jan3(), u"23"},
    {"yy", u"yy", jan3(), u"23"},
    {"yyy", u"yyy", jan3(), u"2023"},
    {"yyyyy", u"yyyyy", jan3(), u"2023"},
    {"yy_year5_padded", u"yy", withYear(5), u"05"},
    {"yyyy_year5_padded", u"yyyy", withYear(5), u"0005"},
    // Months by width, then names.
    {"m", u"m", jan3(), u"1"},
    {"mm", u"mm", jan3(), u"01"},
    {"mmm", u"mmm", jan3(), u"Jan"},
    {"mmmm", u"mmmm", jan3(), u"January"},
    {"mmmmm", u"mmmmm", jan3(), u"January"},
    // Days, day names, and the two date-pattern expansions.
    {"d", u"d", jan3(), u"3"},
    {"dd", u"dd", jan3(), u"03"},
    {"ddd", u"ddd", jan3(), u"Tue"},
    {"dddd", u"dddd", jan3(), u"Tuesday"},
    {"ddddd", u"ddddd", jan3(), u"1/3/23"},
    {"dddddd", u"dddddd", jan3(), u"January 3, 2023"},
    {"ddddddd", u"ddddddd", jan3(), u"January 3, 2023"},
    // Time fields; runs longer than the widest form count as the widest form.
    {"h", u"h", jan3(), u"8"},
    {"hhh", u"hhh", jan3(), u"08"},
    {"n", u"n", jan3(), u"4"},
    {"nnn", u"nnn", jan3(), u"04"},
    {"s", u"s", jan3(), u"3"},
    {"sss", u"sss", jan3(), u"03"},
    {"z", u"z", jan3(), u"7"},
    {"zz", u"zz", jan3(), u"07"},
    {"zzzz", u"zzzz", jan3(), u"007"},
    {"h_two_digits_never_cut", u"h", jan3(20), u"20"},
    {"t", u"t", jan3(), u"8:04 am"},
    {"tt", u"tt", jan3(), u"8:04:03 am"},
    {"ttt", u"ttt", jan3(), u"8:04:03 am"},
    // "c" and the empty pattern: the time part is left out only at exactly midnight.
    {"c", u"c", jan3(), u"1/3/23 8:04:03 am"},
    {"ccc", u"ccc", jan3(), u"1/3/23 8:04:03 am"},
    {"empty_is_c", u"", jan3(), u"1/3/23 8:04:03 am"},
    {"empty_midnight", u"", jan3(0, 0, 0, 0), u"1/3/23"},
    {"c_one_ms_after_midnight", u"c", jan3(0, 0, 0, 1), u"1/3/23 12:00:00 am"},
    // Separators.
    {"separators", u"d/m h:n", jan3(), u"3/1 8:4"},
    {"dateSep_0_writes_nothing", u"d/m", jan3(), u"31",
     [](LocaleFormatSettings& s) { s.dateSep = 0; }},
    {"timeSep_other", u"h:n", jan3(), u"8.4", [](LocaleFormatSettings& s) { s.timeSep = u'.'; }},
    {"single_letters_no_padding", u"yyyy/m/d h:n:s", jan3(), u"2023/1/3 8:4:3"},
    // Letters that start no token, digits and other text are copied as typed.
    {"no_token_copied", u"Q b 7 x!", jan3(), u"Q b 7 x!"},
};
INSTANTIATE_TEST_SUITE_P(Tokens, RenderTable, ::testing::ValuesIn(kTokenRows),
                         [](const auto& info) { return std::string(info.param.name); });

const Row kRunAndMinuteRows[] = {
    // Runs continue only with the same case; the token itself is case-blind.
    {"dD_two_runs", u"dD", jan3(), u"33"},
    {"upper_case_tokens", u"YYYY-MM-DD HH:NN", jan3(), u"2023-01-03 08:04"},
    // m right after an hour letter is minutes, also after a case change or literal text.
    {"hh_mm_minutes", u"hh:mm", jan3(), u"08:04"},
    {"HH_MM_minutes", u"HH:MM", jan3(), u"08:04"},
    {"mm_ss_month", u"mm:ss", jan3(), u"01:03"},
    {"nn_ss", u"nn:ss", jan3(), u"04:03"},
    {"hh_mmm_minutes_not_name", u"hh:mmm", jan3(), u"08:04"},
    {"quoted_text_between", u"hh'h'mm", jan3(), u"08h04"},
    {"quoted_letters_between", u"hh'am'mm", jan3(), u"08am04"},
    {"cjk_between", u"hh時mm", jan3(), u"08時04"},
    {"hH_then_m", u"hHm", jan3(), u"884"},
    // A character outside the BMP, a second run or an am/pm token resets: the m-run is a month.
    {"surrogate_between_month", u"hh\U0001F600mm", jan3(), u"08\U0001F60001"},
    {"seconds_between_month", u"h s m", jan3(), u"8 3 1"},
    {"ampm_between_month", u"h am/pm m", jan3(), u"8 am 1"},
};
INSTANTIATE_TEST_SUITE_P(RunsAndMinutes, RenderTable, ::testing::ValuesIn(kRunAndMinuteRows),
                         [](const auto& info) { return std::string(info.param.name); });

const Row kAmPmRows[] = {
    // The 12-hour clock: 0 is 12, 13..23 are 1..11; am/pm compares the 24-hour hour with 12.
    {"h_ampm_0030", u"h am/pm", jan3(0, 30), u"12 am"},
    {"h_ampm_1200", u"h am/pm", jan3(12, 0), u"12 pm"},
    {"h_ampm_2004", u"h am/pm", jan3(20, 4), u"8 pm"},
    {"a_slash_p_1305", u"hh:nn A/P", jan3(13, 5), u"01:05 P"},
    {"a_slash_p_am", u"hh:nn a/p", jan3(), u"08:04 a"},
    // am/pm and a/p write the units typed, so the case is the case typed.
    {"mixed_case_am", u"Am/Pm", jan3(), u"Am"},
    {"mixed_case_pm", u"Am/Pm", jan3(20), u"Pm"},
    // A token before the hour switches the flag for the rest of the expansion.
    {"ampm_before_hour", u"am/pm hh", jan3(20, 4), u"pm 08"},
    // ampm writes the locale's texts, whatever the case typed.
    {"ampm_text", u"hh AMPM", jan3(20), u"08 pm"},
    // aaaa/aaa are day names and do not touch the flag.
    {"aaaa_day_name", u"hh aaaa", jan3(20), u"20 Tuesday"},
    {"aaa_day_abbrev", u"hh aaa", jan3(20), u"20 Tue"},
    {"aaaaa_longest_first", u"aaaaa", jan3(), u"Tuesdaya"},
    // Look-ahead: a quoted h still ends it, so the hour stays on the 24-hour clock.
    {"quoted_h_stops_lookahead", u"hh 'h' am/pm", jan3(20, 4), u"20 h pm"},
    // Look-ahead: an unquoted a that starts no token ends it; the a is copied.
    {"bare_a_stops_lookahead", u"hh a", jan3(20, 4), u"20 a"},
    {"aa_copied", u"aa", jan3(), u"aa"},
    // Look-ahead: a quoted a is passed over, surrogate pairs too.
    {"quoted_a_passed", u"hh 'a' am/pm", jan3(20), u"08 a pm"},
    {"surrogate_passed", u"hh\U0001F600am/pm", jan3(20), u"08\U0001F600pm"},
    // Look-ahead: one marker for both quote characters, so after "'" the am/pm counts as
    // quoted and the hour stays at 24 hours (while rendering the literal is "'").
    {"shared_quote_marker", u"hh \"'\" am/pm", jan3(20), u"20 ' pm"},
    // The flag is per expansion: "t" runs its own, the user's pattern stays on 24 hours.
    {"flag_per_expansion", u"hh t", jan3(20, 4), u"20 8:04 pm"},
};
INSTANTIATE_TEST_SUITE_P(AmPm, RenderTable, ::testing::ValuesIn(kAmPmRows),
                         [](const auto& info) { return std::string(info.param.name); });

const Row kLiteralRows[] = {
    {"unclosed_quote_runs_to_end", u"yyyy'年", jan3(), u"2023年"},
    {"two_quotes_write_nothing", u"d''d", jan3(), u"33"},
    {"other_quote_inside_copied", u"'a\"b'", jan3(), u"a\"b"},
    {"single_inside_double", u"\"it's\"dd", jan3(), u"it's03"},
    {"letters_inside_not_tokens", u"'dd'dd", jan3(), u"dd03"},
    {"pair_inside_literal", u"'\U0001F600'", jan3(), u"\U0001F600"},
    // Surrogates: a pair is one character, a lone unit is copied as one unit.
    {"pair_copied", u"\U0001F600d", jan3(), u"\U0001F6003"},
    {"lone_high", std::u16string(u"\xD800") + u"d", jan3(), std::u16string(u"\xD800") + u"3"},
    {"lone_low", std::u16string(u"\xDC00") + u"d", jan3(), std::u16string(u"\xDC00") + u"3"},
    {"two_high", std::u16string(u"\xD800\xD801"), jan3(), std::u16string(u"\xD800\xD801")},
    // A unit 0 ends the pattern.
    {"unit_0_ends", std::u16string(u"dd\0dd", 5), jan3(), u"03"},
    // Depth: expansions inside an expanded pattern write nothing; "c" still writes its space.
    {"depth_limit", u"ddddd", jan3(), u"[|||| ]", nestedSettings},
    {"depth_limit_midnight", u"ddddd", jan3(0, 0, 0, 0), u"[||||]", nestedSettings},
    {"c_at_depth_1", u"c", jan3(), u"[|||| ] <08>", nestedSettings},
};
INSTANTIATE_TEST_SUITE_P(LiteralsAndDepth, RenderTable, ::testing::ValuesIn(kLiteralRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RenderDateTime, OutputLongerThan256UnitsIsWhole) {
    std::u16string pattern, expected;
    for (int i = 0; i < 100; ++i) {
        pattern += u"mmmm ";
        expected += u"January ";
    }
    const std::u16string out = RenderDateTime(pattern, jan3(), LocaleFormatSettings{}, {});
    EXPECT_EQ(out.size(), 800u);
    EXPECT_EQ(out, expected);
}

// The default pattern with Japanese locale data, 30 May 2023 08:18:13.
TEST(RenderDateTime, DefaultPatternWorkedExample) {
    LocaleFormatSettings settings;
    settings.dayAbbrevs[2] = u"火";
    DateTimeFields t = makeDateTimeFields({2023, 5, 30, 8, 18, 13, 0});
    FakeAltCalendar calendar({{u"gg", u"令和"}, {u"yy", u"05"}});
    const EraContext era{&calendar, makeStartupLocale(0x0411)};
    EXPECT_EQ(RenderDateTime(u"yyyy年mm月dd日 (ddd) hh:nn:ss (gg e年)", t, settings, era),
              u"2023年05月30日 (火) 08:18:13 (令和 5年)");
    ASSERT_FALSE(calendar.requests.empty());
    EXPECT_EQ(calendar.requests[0].year, 2023);
    EXPECT_EQ(calendar.requests[0].month, 5);
    EXPECT_EQ(calendar.requests[0].day, 30);
}

struct EraRow {
    const char* name;
    std::u16string pattern;
    std::uint32_t lcid;
    std::map<std::u16string, std::u16string> answers;
    std::u16string expected;
};

void PrintTo(const EraRow& row, std::ostream* os) {
    *os << row.name;
}

class EraTable : public ::testing::TestWithParam<EraRow> {};

TEST_P(EraTable, WritesExpectedText) {
    const EraRow& row = GetParam();
    FakeAltCalendar calendar(row.answers);
    const EraContext era{&calendar, makeStartupLocale(row.lcid)};
    EXPECT_EQ(RenderDateTime(row.pattern, jan3(), LocaleFormatSettings{}, era), row.expected);
}

const std::map<std::u16string, std::u16string> kReiwa{
    {u"gg", u"令和"}, {u"yy", u"05"}, {u"yyyy", u"0005"}};
const std::map<std::u16string, std::u16string> kMinguo{
    {u"gg", u"中華民國"}, {u"yy", u"112"}, {u"yyyy", u"0112"}};

const EraRow kEraRows[] = {
    // Era years: "e" drops one leading zero, "ee" is the "yy" answer, "eee" the "yyyy" one.
    {"e_drops_zero", u"e", 0x0411, kReiwa, u"5"},
    {"e_two_digits_kept", u"e", 0x0411, {{u"yy", u"10"}}, u"10"},
    {"e_drops_only_one_zero", u"e", 0x0411, {{u"yy", u"00"}}, u"0"},
    {"ee", u"ee", 0x0411, kReiwa, u"05"},
    {"eee", u"eee", 0x0411, kReiwa, u"0005"},
    {"E_case_blind", u"EEEE", 0x0411, kReiwa, u"0005"},
    // Japanese: "g" writes the first character, "gg" the whole name.
    {"ja_g_first_char", u"g", 0x0411, kReiwa, u"令"},
    {"ja_gg_whole", u"gg", 0x0411, kReiwa, u"令和"},
    {"ja_ggg_whole", u"ggg", 0x0411, kReiwa, u"令和"},
    {"ja_g_pair_is_one_char", u"g", 0x0411, {{u"gg", u"\U00020BB7和"}}, u"\U00020BB7"},
    {"ja_g_empty_answer", u"g|", 0x0411, {{u"gg", u""}}, u"|"},
    // Traditional Chinese: a four-character name shortens to its 3rd and 4th characters.
    {"zh_tw_g_last_two", u"g", 0x0404, kMinguo, u"民國"},
    {"zh_tw_gg_whole", u"gg", 0x0404, kMinguo, u"中華民國"},
    {"zh_tw_g_two_chars_whole", u"g", 0x0404, {{u"gg", u"民國"}}, u"民國"},
    {"zh_tw_g_counts_pairs", u"g", 0x0404, {{u"gg", u"中\U00020BB7民國"}}, u"民國"},
    {"zh_tw_g_five_units_four_chars",
     u"g",
     0x0404,
     {{u"gg", u"中華\U00020BB7國"}},
     u"\U00020BB7國"},
    // Simplified Chinese (sublanguage 2) and English: whole name.
    {"zh_cn_g_whole", u"g", 0x0804, kMinguo, u"中華民國"},
    {"en_g_whole", u"g", 0x0409, kReiwa, u"令和"},
    // A failed request writes nothing; the rest of the line is unaffected.
    {"missing_yy_fails", u"(gg e年) hh", 0x0411, {{u"gg", u"令和"}}, u"(令和 年) 08"},
};
INSTANTIATE_TEST_SUITE_P(Eras, EraTable, ::testing::ValuesIn(kEraRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EraTokens, FailingOrAbsentCalendarWritesNothing) {
    FakeAltCalendar calendar(kReiwa);
    calendar.fail = true;
    const std::u16string pattern = u"(gg e年) g ee eee hh:nn";
    EXPECT_EQ(RenderDateTime(pattern, jan3(), {}, EraContext{&calendar, makeStartupLocale(0x411)}),
              u"( 年)    08:04");
    EXPECT_EQ(calendar.requests.size(), 5u);
    EXPECT_EQ(RenderDateTime(pattern, jan3(), {}, EraContext{}), u"( 年)    08:04");
}

TEST(EraTokens, AsksPicturesByRunLength) {
    FakeAltCalendar calendar(kReiwa);
    const EraContext era{&calendar, makeStartupLocale(0x411)};
    RenderDateTime(u"g gg e ee eee", jan3(), {}, era);
    std::vector<std::u16string> pictures;
    for (const auto& r : calendar.requests)
        pictures.push_back(r.picture);
    EXPECT_EQ(pictures, (std::vector<std::u16string>{u"gg", u"gg", u"yy", u"yy", u"yyyy"}));
}

struct StartupRow {
    const char* why;
    std::uint32_t threadLcid;
    StartupLocale expected;
};

TEST(MakeStartupLocale, Table) {
    const StartupRow rows[] = {
        {"no thread locale", 0, {0x0409, 0x09, 0x01}},
        {"Japanese", 0x0411, {0x0411, 0x11, 0x01}},
        {"Chinese, Taiwan (traditional)", 0x0404, {0x0404, 0x04, 0x01}},
        {"Chinese, PRC (sublanguage 2)", 0x0804, {0x0804, 0x04, 0x02}},
        {"sort id above the low 16 bits", 0x00020411, {0x00020411, 0x11, 0x01}},
        {"low 16 bits 0: lcid kept, English kept", 0x00010000, {0x00010000, 0x09, 0x01}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        const StartupLocale l = makeStartupLocale(row.threadLcid);
        EXPECT_EQ(l.lcid, row.expected.lcid);
        EXPECT_EQ(l.primaryLanguage, row.expected.primaryLanguage);
        EXPECT_EQ(l.subLanguage, row.expected.subLanguage);
    }
}

TEST(MakeDateTimeFields, CopiesFieldsAndDerivesDayOfWeek) {
    const DateTimeFields f = makeDateTimeFields({2023, 1, 3, 8, 4, 3, 7});
    EXPECT_EQ(f.year, 2023);
    EXPECT_EQ(f.month, 1);
    EXPECT_EQ(f.day, 3);
    EXPECT_EQ(f.hour, 8);
    EXPECT_EQ(f.minute, 4);
    EXPECT_EQ(f.second, 3);
    EXPECT_EQ(f.millisecond, 7);
    EXPECT_EQ(f.dayOfWeek, 3);

    struct {
        const char* why;
        LocalTime date;
        std::uint16_t dayOfWeek; // 1 = Sunday
    } const rows[] = {
        {"epoch, Thursday", {1970, 1, 1}, 5},
        {"day before the epoch, Wednesday", {1969, 12, 31}, 4},
        {"first day of year 1, proleptic Monday", {1, 1, 1}, 2},
        {"before the 1582 reform, still Gregorian: Monday", {1582, 10, 4}, 2},
        {"leap day 2000, Tuesday", {2000, 2, 29}, 3},
        {"1900 is not leap: 1 March is Thursday", {1900, 3, 1}, 5},
        {"last day of 9999, Friday", {9999, 12, 31}, 6},
        {"Saturday", {2023, 1, 7}, 7},
        {"Sunday", {2023, 1, 8}, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(makeDateTimeFields(row.date).dayOfWeek, row.dayOfWeek);
    }
}

} // namespace
} // namespace zrm58
