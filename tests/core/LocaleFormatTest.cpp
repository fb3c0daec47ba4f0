#include "status/LocaleFormat.h"
#include "fakes/FakeLocaleSource.h"
#include <gtest/gtest.h>

namespace zrm58 {
namespace {

using fakes::FakeLocaleSource;
namespace I = LocaleItem;

constexpr std::uint32_t kJa = 0x0411;
constexpr std::uint32_t kEn = 0x0409;

const StartupLocale kEnglish{kEn, 0x09, 0x01};
const StartupLocale kJapanese{kJa, 0x11, 0x00};

void expectFallbacks(const LocaleFormatSettings& s) {
    const LocaleFormatSettings f;
    EXPECT_EQ(s.dateSep, f.dateSep);
    EXPECT_EQ(s.timeSep, f.timeSep);
    EXPECT_EQ(s.shortDatePattern, f.shortDatePattern);
    EXPECT_EQ(s.longDatePattern, f.longDatePattern);
    EXPECT_EQ(s.shortTimePattern, u"h:mm AMPM");
    EXPECT_EQ(s.longTimePattern, u"h:mm:ss AMPM");
    EXPECT_EQ(s.amText, f.amText);
    EXPECT_EQ(s.pmText, f.pmText);
    EXPECT_EQ(s.monthAbbrevs, f.monthAbbrevs);
    EXPECT_EQ(s.monthNames, f.monthNames);
    EXPECT_EQ(s.dayAbbrevs, f.dayAbbrevs);
    EXPECT_EQ(s.dayNames, f.dayNames);
    EXPECT_EQ(s.decimalSep, f.decimalSep);
}

// A Japanese locale as Windows gives it, every item present.
FakeLocaleSource japaneseLocale() {
    FakeLocaleSource src;
    src.installed = {kJa, kEn};
    src.thread = kJa;
    src.userDefault = kJa;
    src.set(kJa, I::SDATE, u"/").set(kJa, I::STIME, u":");
    src.set(kJa, I::SSHORTDATE, u"yyyy/MM/dd").set(kJa, I::SLONGDATE, u"yyyy'年'M'月'd'日'");
    src.set(kJa, I::S1159, u"午前").set(kJa, I::S2359, u"午後");
    src.set(kJa, I::ITIME, u"1").set(kJa, I::ITLZERO, u"0").set(kJa, I::ITIMEMARKPOSN, u"1");
    src.set(kJa, I::ICALENDARTYPE, u"1").set(kJa, I::SDECIMAL, u".");
    const char16_t* days[] = {u"月", u"火", u"水", u"木", u"金", u"土", u"日"};
    for (std::uint32_t i = 0; i < 7; ++i) {
        src.set(kJa, I::SABBREVDAYNAME1 + i, days[i]);
        src.set(kJa, I::SDAYNAME1 + i, std::u16string(days[i]) + u"曜日");
    }
    const char16_t* months[] = {u"1月", u"2月", u"3月", u"4月",  u"5月",  u"6月",
                                u"7月", u"8月", u"9月", u"10月", u"11月", u"12月"};
    for (std::uint32_t i = 0; i < 12; ++i)
        src.set(kJa, I::SABBREVMONTHNAME1 + i, months[i]).set(kJa, I::SMONTHNAME1 + i, months[i]);
    return src;
}

TEST(LoadLocaleFormatSettings, EveryReadFailingGivesExactlyTheFallbacks) {
    FakeLocaleSource none; // installed, but no item can be read
    none.installed = {kEn};
    expectFallbacks(LoadLocaleFormatSettings(none, kEn, kEnglish));

    FakeLocaleSource allFail = japaneseLocale();
    allFail.failAllItems = true;
    expectFallbacks(LoadLocaleFormatSettings(allFail, kJa, kJapanese));
}

TEST(LoadLocaleFormatSettings, ReadsAWholeLocale) {
    FakeLocaleSource src = japaneseLocale();
    LocaleFormatSettings s = LoadLocaleFormatSettings(src, kJa, kJapanese);
    EXPECT_EQ(s.dateSep, u'/');
    EXPECT_EQ(s.timeSep, u':');
    EXPECT_EQ(s.shortDatePattern, u"yyyy/MM/dd");
    EXPECT_EQ(s.longDatePattern, u"yyyy'年'M'月'd'日'");
    EXPECT_EQ(s.shortTimePattern, u"h:mm");
    EXPECT_EQ(s.longTimePattern, u"h:mm:ss");
    EXPECT_EQ(s.amText, u"午前");
    EXPECT_EQ(s.pmText, u"午後");
    // Index 0 is Sunday, the 7th day item.
    EXPECT_EQ(s.dayAbbrevs[0], u"日");
    EXPECT_EQ(s.dayAbbrevs[1], u"月");
    EXPECT_EQ(s.dayAbbrevs[6], u"土");
    EXPECT_EQ(s.dayNames[2], u"火曜日");
    EXPECT_EQ(s.monthAbbrevs[0], u"1月");
    EXPECT_EQ(s.monthNames[11], u"12月");
    EXPECT_EQ(s.decimalSep, u'.');
    for (auto [lcid, item] : src.reads)
        EXPECT_EQ(lcid, kJa) << std::hex << item;
}

// One item's value (std::nullopt: the read fails) and what a field becomes.
struct ItemRow {
    const char* what;
    std::uint32_t item;
    std::optional<std::u16string> value;
    std::u16string expected; // the field, units as text ("\0" for the unit 0)
};

std::u16string fieldFor(const LocaleFormatSettings& s, std::uint32_t item) {
    switch (item) {
    case I::SDATE:
        return {s.dateSep};
    case I::STIME:
        return {s.timeSep};
    case I::SDECIMAL:
        return {s.decimalSep};
    case I::S1159:
        return s.amText;
    case I::S2359:
        return s.pmText;
    case I::SSHORTDATE:
        return s.shortDatePattern;
    case I::SMONTHNAME1:
        return s.monthNames[0];
    case I::SABBREVDAYNAME1 + 6:
        return s.dayAbbrevs[0];
    case I::ITLZERO:
        return s.longTimePattern;
    }
    return u"?";
}

class ItemKinds : public ::testing::TestWithParam<ItemRow> {};

TEST_P(ItemKinds, ReadRules) {
    const ItemRow& row = GetParam();
    FakeLocaleSource src;
    src.installed = {kEn};
    src.set(kEn, I::ITIME, u"1"); // 24-hour, so the long time pattern shows the hour part only
    if (row.value) src.set(kEn, row.item, *row.value);
    EXPECT_EQ(fieldFor(LoadLocaleFormatSettings(src, kEn, kEnglish), row.item), row.expected);
}

const std::u16string k255(255, u'x');
const std::u16string k256(256, u'x');

INSTANTIATE_TEST_SUITE_P(
    Kinds, ItemKinds,
    ::testing::Values(
        // unit items: one unit fits, an empty value is the unit 0, two units do not fit
        ItemRow{"date sep", I::SDATE, u"-", u"-"},
        ItemRow{"empty date sep", I::SDATE, u"", std::u16string(1, u'\0')},
        ItemRow{"long date sep", I::SDATE, u". ", u"/"},
        ItemRow{"failed date sep", I::SDATE, std::nullopt, u"/"},
        ItemRow{"time sep", I::STIME, u".", u"."},
        ItemRow{"empty time sep", I::STIME, u"", std::u16string(1, u'\0')},
        ItemRow{"surrogate pair time sep", I::STIME, u"\U0001F600", u":"},
        ItemRow{"decimal comma", I::SDECIMAL, u",", u","},
        ItemRow{"two-unit decimal", I::SDECIMAL, u",,", u"."},
        // text items: up to 255 units fit, an empty value stays empty
        ItemRow{"am", I::S1159, u"AM", u"AM"}, ItemRow{"empty am", I::S1159, u"", u""},
        ItemRow{"failed pm", I::S2359, std::nullopt, u"pm"},
        ItemRow{"255-unit pm", I::S2359, k255, k255}, ItemRow{"256-unit pm", I::S2359, k256, u"pm"},
        ItemRow{"empty short date", I::SSHORTDATE, u"", u""},
        ItemRow{"256-unit short date", I::SSHORTDATE, k256, u"m/d/yy"},
        // name items: empty and failed both give the English name
        ItemRow{"month", I::SMONTHNAME1, u"Januar", u"Januar"},
        ItemRow{"empty month", I::SMONTHNAME1, u"", u"January"},
        ItemRow{"failed month", I::SMONTHNAME1, std::nullopt, u"January"},
        ItemRow{"256-unit month", I::SMONTHNAME1, k256, u"January"},
        ItemRow{"sunday", I::SABBREVDAYNAME1 + 6, u"So", u"So"},
        ItemRow{"empty sunday", I::SABBREVDAYNAME1 + 6, u"", u"Sun"},
        // number items: a decimal integer, anything else the fallback 0
        ItemRow{"zero 1", I::ITLZERO, u"1", u"hh:mm:ss"},
        ItemRow{"zero 2", I::ITLZERO, u"2", u"hh:mm:ss"},
        ItemRow{"zero -1", I::ITLZERO, u"-1", u"hh:mm:ss"},
        ItemRow{"zero 0", I::ITLZERO, u"0", u"h:mm:ss"},
        ItemRow{"zero text", I::ITLZERO, u"yes", u"h:mm:ss"},
        ItemRow{"zero with space", I::ITLZERO, u" 1", u"h:mm:ss"},
        ItemRow{"zero empty", I::ITLZERO, u"", u"h:mm:ss"},
        ItemRow{"zero sign only", I::ITLZERO, u"-", u"h:mm:ss"},
        ItemRow{"zero overflow", I::ITLZERO, u"99999999999", u"h:mm:ss"},
        ItemRow{"zero 256 units", I::ITLZERO, std::u16string(255, u'0') + u"1", u"h:mm:ss"}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

struct TimeRow {
    std::optional<std::u16string> leadingZero, clock, markFirst;
    std::u16string shortPattern, longPattern;
};

class TimePatterns : public ::testing::TestWithParam<TimeRow> {};

TEST_P(TimePatterns, BuiltFromTheThreeNumbers) {
    const TimeRow& row = GetParam();
    FakeLocaleSource src;
    src.installed = {kEn};
    if (row.leadingZero) src.set(kEn, I::ITLZERO, *row.leadingZero);
    if (row.clock) src.set(kEn, I::ITIME, *row.clock);
    if (row.markFirst) src.set(kEn, I::ITIMEMARKPOSN, *row.markFirst);
    // The locale's own time pictures are never read.
    src.set(kEn, 0x1003 /* LOCALE_STIMEFORMAT */, u"HH:mm:ss");
    LocaleFormatSettings s = LoadLocaleFormatSettings(src, kEn, kEnglish);
    EXPECT_EQ(s.shortTimePattern, row.shortPattern);
    EXPECT_EQ(s.longTimePattern, row.longPattern);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TimePatterns,
    ::testing::Values(TimeRow{std::nullopt, std::nullopt, std::nullopt, u"h:mm AMPM",
                              u"h:mm:ss AMPM"},
                      TimeRow{u"1", u"1", u"0", u"hh:mm", u"hh:mm:ss"},
                      TimeRow{u"0", u"1", u"1", u"h:mm", u"h:mm:ss"}, // 24-hour: no mark
                      TimeRow{u"0", u"0", u"1", u"AMPM h:mm", u"AMPM h:mm:ss"},
                      TimeRow{u"1", u"0", u"0", u"hh:mm AMPM", u"hh:mm:ss AMPM"},
                      TimeRow{u"1", u"x", u"2", u"AMPM hh:mm", u"AMPM hh:mm:ss"}));

struct AdaptRow {
    const char* what;
    std::u16string picture;
    char16_t dateSep;
    std::optional<std::u16string> calendarType; // std::nullopt: the read fails (fallback 1)
    std::uint32_t language;
    std::u16string expected;
};

class Adapt : public ::testing::TestWithParam<AdaptRow> {};

TEST_P(Adapt, RewritesThePicture) {
    const AdaptRow& row = GetParam();
    FakeLocaleSource src;
    src.installed = {kJa};
    if (row.calendarType) src.set(kJa, I::ICALENDARTYPE, *row.calendarType);
    StartupLocale startup{kJa, row.language, 0x01};
    EXPECT_EQ(AdaptDatePattern(row.picture, row.dateSep, src, kJa, startup), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Adapt,
    ::testing::Values(
        AdaptRow{"era japanese", u"gg y'年'M'月'd'日'", u'/', u"3", 0x11, u"ggg e'年'M'月'd'日'"},
        AdaptRow{"era taiwan", u"gg y'年'M'月'd'日'", u'/', u"4", 0x04, u"ggg e'年'M'月'd'日'"},
        AdaptRow{"era korean", u"gg y'년'", u'/', u"5", 0x12, u"ggg e'년'"},
        AdaptRow{"era under english", u"GG yyyy", u'/', u"3", 0x09, u"ggg eeee"},
        AdaptRow{"year runs", u"yyyyy yyy Yy Y", u'/', u"3", 0x11, u"eeeee eee ee e"},
        AdaptRow{"era case", u"gG Gg g", u'/', u"4", 0x04, u"ggg ggg g"},
        AdaptRow{"era ignores quotes", u"'yy' 'gg'", u'/', u"5", 0x12, u"'ee' 'ggg'"},
        AdaptRow{"era copies surrogate pair", u"\U0001F5D3y", u'/', u"3", 0x11, u"\U0001F5D3e"},
        AdaptRow{"era lone surrogate", std::u16string(u"y") + char16_t(0xDC00) + u"y", u'/', u"3",
                 0x11, std::u16string(u"e") + char16_t(0xDC00) + u"e"},
        AdaptRow{"gregorian japanese drops eras", u"gg yyyy'年g'M", u'/', u"1", 0x11,
                 u" yyyy'年'M"},
        AdaptRow{"gregorian chinese drops eras", u"Gyyyy", u'/', u"1", 0x04, u"yyyy"},
        AdaptRow{"gregorian korean drops eras", u"g y", u'/', u"1", 0x12, u" y"},
        AdaptRow{"thai calendar japanese drops eras", u"gg yyyy", u'/', u"7", 0x11, u" yyyy"},
        AdaptRow{"english keeps eras", u"gg yyyy", u'/', u"1", 0x09, u"gg yyyy"},
        AdaptRow{"failed type is gregorian", u"gg yy", u'/', std::nullopt, 0x11, u" yy"},
        AdaptRow{"non-number type is gregorian", u"gg yy", u'/', u"three", 0x11, u" yy"},
        AdaptRow{"separator", u"yyyy-MM-dd", u'-', u"1", 0x09, u"yyyy/MM/dd"},
        AdaptRow{"quoted separator stays", u"d'-'M-yyyy'-x'", u'-', u"1", 0x09, u"d'-'M/yyyy'-x'"},
        AdaptRow{"double quotes do not quote", u"d\"-\"M", u'-', u"1", 0x09, u"d\"/\"M"},
        AdaptRow{"unclosed quote", u"d-M'-yy", u'-', u"1", 0x09, u"d/M'-yy"},
        AdaptRow{"separator after era rewrite", u"gg y.M.d", u'.', u"3", 0x11, u"ggg e/M/d"},
        AdaptRow{"zero separator", u"d.M", u'\0', u"1", 0x09, u"d.M"}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(LoadLocaleFormatSettings, AdaptsBothDatePicturesWithTheLocalesSeparator) {
    FakeLocaleSource src = japaneseLocale();
    src.set(kJa, I::SDATE, u"-").set(kJa, I::ICALENDARTYPE, u"3");
    src.set(kJa, I::SSHORTDATE, u"gg yy-MM-dd").set(kJa, I::SLONGDATE, u"gg y'年-'M'月'");
    LocaleFormatSettings s = LoadLocaleFormatSettings(src, kJa, kJapanese);
    EXPECT_EQ(s.shortDatePattern, u"ggg ee/MM/dd");
    EXPECT_EQ(s.longDatePattern, u"ggg e'年-'M'月'");

    // A failed picture keeps its fallback as it is: nothing of it is adapted.
    src.failingItems = {I::SSHORTDATE};
    EXPECT_EQ(LoadLocaleFormatSettings(src, kJa, kJapanese).shortDatePattern, u"m/d/yy");
}

TEST(LoadLocaleFormatSettings, ALocaleNotInstalledIsReadForTheThreadsLocale) {
    FakeLocaleSource src = japaneseLocale();
    src.installed = {kEn};
    src.thread = kEn;
    src.set(kEn, I::SDATE, u".").set(kEn, I::SSHORTDATE, u"d.M.yyyy");
    src.set(kEn, I::ICALENDARTYPE, u"1").set(kEn, I::SMONTHNAME1, u"Jan-en");
    LocaleFormatSettings s = LoadLocaleFormatSettings(src, kJa, kJapanese);
    EXPECT_EQ(s.dateSep, u'.');
    EXPECT_EQ(s.shortDatePattern, u"d/M/yyyy");
    EXPECT_EQ(s.monthNames[0], u"Jan-en");
    EXPECT_EQ(s.longDatePattern, u"mmmm d, yyyy"); // not in the thread locale's table
    for (auto [lcid, item] : src.reads)
        EXPECT_EQ(lcid, kEn) << std::hex << item;
}

TEST(InitLocaleAtStartup, SetsTheThreadLocaleFirstThenCapturesAndLoads) {
    FakeLocaleSource src = japaneseLocale();
    src.thread = kEn; // before start-up the thread runs under another locale
    LocaleStartup startup = initLocaleAtStartup(src);
    EXPECT_EQ(src.setThreadCalls, 1);
    EXPECT_EQ(startup.locale.lcid, kJa);
    EXPECT_EQ(startup.locale.primaryLanguage, 0x11u);
    EXPECT_EQ(startup.settings.dayAbbrevs[2], u"火");
    for (auto [lcid, item] : src.reads)
        EXPECT_EQ(lcid, kJa) << std::hex << item;
}

TEST(InitLocaleAtStartup, NoThreadLocaleMeansEnglishUs) {
    FakeLocaleSource src = japaneseLocale();
    src.failSetThreadLocale = true;
    src.thread = 0;
    src.set(kEn, I::SMONTHNAME1, u"January-us");
    LocaleStartup startup = initLocaleAtStartup(src);
    EXPECT_EQ(startup.locale.lcid, kEn);
    EXPECT_EQ(startup.locale.primaryLanguage, 0x09u);
    EXPECT_EQ(startup.settings.monthNames[0], u"January-us");
}

TEST(InitLocaleAtStartup, JapaneseGregorianPicturesLoseTheirEraNames) {
    FakeLocaleSource src = japaneseLocale();
    src.set(kJa, I::SLONGDATE, u"gg yyyy'年'M'月'd'日'");
    LocaleStartup startup = initLocaleAtStartup(src);
    EXPECT_EQ(startup.settings.longDatePattern, u" yyyy'年'M'月'd'日'");
}

} // namespace
} // namespace zrm58
