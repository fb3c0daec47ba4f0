#include "platform/linux/IcuAltCalendar.h"
#include "platform/Platform.h"
#include <cstdlib>
#include <gtest/gtest.h>

namespace zrm58 {
namespace {

// The real ICU backend, with the locale chosen the way the user chooses it: the environment.
std::unique_ptr<AltCalendar> calendarFor(const char* lcAll) {
    setenv("LC_ALL", lcAll, 1);
    return createSystemAltCalendar();
}

struct Answer {
    const char* why;
    const char* lcAll;
    int year, month, day;
    std::u16string era, yy, yyyy;
};

TEST(IcuAltCalendar, AnswersInTheLocalesCalendar) {
    const Answer rows[] = {
        {"Japanese: Reiwa 5", "ja_JP.UTF-8", 2023, 5, 30, u"令和", u"05", u"0005"},
        {"Japanese: last day of Heisei", "ja_JP.UTF-8", 2019, 4, 30, u"平成", u"31", u"0031"},
        {"Japanese: first day of Reiwa", "ja_JP.UTF-8", 2019, 5, 1, u"令和", u"01", u"0001"},
        {"Japanese: Showa 64 ends 7 Jan 1989", "ja_JP.UTF-8", 1989, 1, 7, u"昭和", u"64", u"0064"},
        {"Taiwan: Minguo 112", "zh_TW.UTF-8", 2023, 5, 30, u"民國", u"112", u"0112"},
        {"Thai: Buddhist era 2566", "th_TH.UTF-8", 2023, 5, 30, u"พุทธศักราช", u"2566", u"2566"},
        {"US English: Gregorian AD", "en_US.UTF-8", 2023, 5, 30, u"AD", u"2023", u"2023"},
        {"German: Gregorian", "de_DE.UTF-8", 2023, 5, 30, u"n. Chr.", u"2023", u"2023"},
        {"C locale counts as en_US", "C", 2023, 5, 30, u"AD", u"2023", u"2023"},
        {"Gregorian year 5 is padded", "en_US.UTF-8", 5, 1, 1, u"AD", u"05", u"0005"},
        {"calendar keyword wins", "ja_JP.UTF-8@calendar=gregorian", 2023, 5, 30, u"西暦", u"2023",
         u"2023"},
        {"Arabic digits are not used", "ar_SA.UTF-8", 2023, 5, 30, u"هـ", u"1444", u"1444"},
        // One calendar per locale, chosen among those offered as a locale's alternate.
        {"Korean: Tangun era, Gregorian months", "ko_KR.UTF-8", 2023, 1, 3, u"단기", u"4356",
         u"4356"},
        {"Hebrew: years of the world", "he_IL.UTF-8", 2023, 5, 30, u"לבריאת העולם", u"5783",
         u"5783"},
        {"Egyptian Arabic: arithmetic Hijri, not Coptic", "ar_EG.UTF-8", 2023, 5, 30, u"هـ",
         u"1444", u"1444"},
        // 19 July 2023 is 1 Muharram 1445 by the arithmetic calendar, still 1444 by Umm al-Qura.
        {"Hijri: arithmetic new year", "ar_EG.UTF-8", 2023, 7, 19, u"هـ", u"1445", u"1445"},
        {"Hijri: Umm al-Qura in Saudi Arabia", "ar_SA.UTF-8", 2023, 7, 18, u"هـ", u"1444", u"1444"},
        {"Persian: Gregorian", "fa_IR.UTF-8", 2023, 5, 30, u"م.", u"2023", u"2023"},
        {"Amharic: Gregorian, not Ethiopic", "am_ET.UTF-8", 2023, 5, 30, u"ዓ/ም", u"2023", u"2023"},
        {"Simplified Chinese: Gregorian", "zh_CN.UTF-8", 2023, 5, 30, u"公元", u"2023", u"2023"},
        {"Hong Kong: Gregorian, no Minguo", "zh_HK.UTF-8", 2023, 5, 30, u"公元", u"2023", u"2023"},
        {"a calendar keyword not offered: Gregorian", "ar_EG.UTF-8@calendar=coptic", 2023, 5, 30,
         u"م", u"2023", u"2023"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        const auto calendar = calendarFor(row.lcAll);
        EXPECT_EQ(calendar->formatAltDate(u"gg", row.year, row.month, row.day), row.era);
        EXPECT_EQ(calendar->formatAltDate(u"yy", row.year, row.month, row.day), row.yy);
        EXPECT_EQ(calendar->formatAltDate(u"yyyy", row.year, row.month, row.day), row.yyyy);
    }
}

// One calendar asked as a running strip asks it: every second for the same day, each picture,
// then across an era's change and back.
TEST(IcuAltCalendar, AnswersFollowTheDayAsked) {
    const auto calendar = calendarFor("ja_JP.UTF-8");
    const Answer days[] = {
        {"Heisei's last day", "", 2019, 4, 30, u"平成", u"31", u"0031"},
        {"the same day again", "", 2019, 4, 30, u"平成", u"31", u"0031"},
        {"Reiwa's first day", "", 2019, 5, 1, u"令和", u"01", u"0001"},
        {"back to Heisei", "", 2019, 4, 30, u"平成", u"31", u"0031"},
        {"a year later, same month and day", "", 2020, 4, 30, u"令和", u"02", u"0002"},
        {"Showa's last day", "", 1989, 1, 7, u"昭和", u"64", u"0064"},
        {"the next day: Heisei", "", 1989, 1, 8, u"平成", u"01", u"0001"},
    };
    for (const auto& row : days) {
        SCOPED_TRACE(row.why);
        for (int twice = 0; twice < 2; ++twice) {
            EXPECT_EQ(calendar->formatAltDate(u"yyyy", row.year, row.month, row.day), row.yyyy);
            EXPECT_EQ(calendar->formatAltDate(u"gg", row.year, row.month, row.day), row.era);
            EXPECT_EQ(calendar->formatAltDate(u"yy", row.year, row.month, row.day), row.yy);
        }
    }
    EXPECT_EQ(calendar->formatAltDate(u"yy", 2023, 2, 29), std::nullopt); // still refused
}

TEST(IcuAltCalendar, RefusesUnknownPicturesAndInvalidDates) {
    const auto calendar = calendarFor("ja_JP.UTF-8");
    EXPECT_EQ(calendar->formatAltDate(u"ggg", 2023, 5, 30), std::nullopt);
    EXPECT_EQ(calendar->formatAltDate(u"", 2023, 5, 30), std::nullopt);
    EXPECT_EQ(calendar->formatAltDate(u"yy", 2023, 2, 29), std::nullopt);
    EXPECT_EQ(calendar->formatAltDate(u"yy", 2023, 13, 1), std::nullopt);
    EXPECT_EQ(calendar->formatAltDate(u"yy", 0, 1, 1), std::nullopt);
    EXPECT_EQ(calendar->formatAltDate(u"yy", 2024, 2, 29), u"06"); // leap day is valid
}

TEST(IcuAltCalendar, PicksTheCommonlyUsedAlternate) {
    using linux_backend::alternateCalendarType;
    struct {
        const char* locale;
        const char* type;
    } const rows[] = {
        {"ja_JP", "japanese"},
        {"zh_TW", "roc"},
        {"th_TH", "buddhist"},
        {"zh_Hant", "roc"},
        {"zh_HK", "gregorian"},
        {"zh_CN", "gregorian"},
        {"ko_KR", "tangun"},
        {"ko", "tangun"},
        {"he_IL", "hebrew"},
        {"ar_EG", "islamic-civil"},
        {"ar", "islamic-civil"},
        {"ar_SA", "islamic-umalqura"},
        {"en_US", "gregorian"},
        {"de_DE", "gregorian"},
        {"fa_IR", "gregorian"},
        {"am_ET", "gregorian"},
        {"ja_JP@calendar=gregorian", "gregorian"},
        {"en_US@calendar=japanese", "japanese"},
        {"he_IL@calendar=islamic-civil", "islamic-civil"},
        // Keywords naming calendars that are no locale's alternate here.
        {"ar_EG@calendar=coptic", "gregorian"},
        {"fa_IR@calendar=persian", "gregorian"},
        {"ko_KR@calendar=dangi", "gregorian"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.locale);
        EXPECT_EQ(alternateCalendarType(row.locale), row.type);
    }
}

TEST(IcuAltCalendar, TellsRawEraKeysFromNames) {
    using linux_backend::isRawEraKey;
    EXPECT_TRUE(isRawEraKey(u"ERA0"));
    EXPECT_TRUE(isRawEraKey(u"ERA12"));
    EXPECT_FALSE(isRawEraKey(u"ERA"));
    EXPECT_FALSE(isRawEraKey(u"ERA1a"));
    EXPECT_FALSE(isRawEraKey(u"era1"));
    EXPECT_FALSE(isRawEraKey(u"AD"));
    EXPECT_FALSE(isRawEraKey(u"令和"));
}

} // namespace
} // namespace zrm58
