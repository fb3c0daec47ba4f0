// GetLocaleInfoW and the thread locale on the real calls: Wine's locale data for ja-JP and
// en-US give the same items as Windows, except the Japanese short date (Wine: yyyy/M/d,
// Windows: yyyy/MM/dd), which is left out.
#include "platform/Platform.h"
#include "status/LocaleFormat.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace zrm58 {
namespace {

constexpr std::uint32_t kJa = 0x0411, kEn = 0x0409;

TEST(Win32LocaleSourceLive, ItemsOfJapaneseAndUsEnglish) {
    struct Case {
        std::uint32_t lcid, item;
        const char16_t* expected;
    };
    using namespace LocaleItem;
    const Case cases[] = {
        {kJa, SDAYNAME1 + 1, u"火曜日"},
        {kJa, SABBREVDAYNAME1 + 1, u"火"},
        {kJa, SMONTHNAME1 + 4, u"5月"},
        {kJa, S1159, u"午前"},
        {kJa, S2359, u"午後"},
        {kJa, SDATE, u"/"},
        {kJa, STIME, u":"},
        {kJa, ICALENDARTYPE, u"1"},
        {kJa, SDECIMAL, u"."},
        {kEn, SDAYNAME1 + 1, u"Tuesday"},
        {kEn, SABBREVDAYNAME1 + 1, u"Tue"},
        {kEn, SMONTHNAME1, u"January"},
        {kEn, SABBREVMONTHNAME1 + 11, u"Dec"},
        {kEn, S1159, u"AM"},
        {kEn, S2359, u"PM"},
        {kEn, SSHORTDATE, u"M/d/yyyy"},
        {kEn, SLONGDATE, u"dddd, MMMM d, yyyy"},
        {kEn, ITIME, u"0"},
        {kEn, ICALENDARTYPE, u"1"},
    };
    const auto source = createSystemLocaleSource();
    for (const Case& c : cases) {
        const auto text = source->localeInfo(c.lcid, c.item);
        ASSERT_TRUE(text) << std::hex << c.lcid << " item " << c.item;
        EXPECT_EQ(*text, c.expected) << std::hex << c.lcid << " item " << c.item;
    }
}

TEST(Win32LocaleSourceLive, UnknownItemsAndLocales) {
    const auto source = createSystemLocaleSource();
    EXPECT_FALSE(source->localeInfo(kEn, 0xFFFF));
    EXPECT_TRUE(source->isValidLocale(kJa));
    EXPECT_TRUE(source->isValidLocale(kEn));
    EXPECT_FALSE(source->isValidLocale(0x7FFF));
}

TEST(Win32LocaleSourceLive, ThreadLocaleBecomesTheUsersDefault) {
    const auto source = createSystemLocaleSource();
    SetThreadLocale(kJa == GetUserDefaultLCID() ? kEn : kJa);
    source->setThreadLocaleToUserDefault();
    EXPECT_EQ(source->threadLocale(), GetUserDefaultLCID());
}

TEST(Win32LocaleSourceLive, JapaneseFormatSettingsFromTheRealItems) {
    const auto source = createSystemLocaleSource();
    const LocaleFormatSettings s = LoadLocaleFormatSettings(*source, kJa, makeStartupLocale(kJa));
    EXPECT_EQ(s.dayNames[2], u"火曜日");
    EXPECT_EQ(s.dayAbbrevs[2], u"火");
    EXPECT_EQ(s.monthNames[4], u"5月");
    EXPECT_EQ(s.amText, u"午前");
    EXPECT_EQ(s.dateSep, u'/');
}

} // namespace
} // namespace zrm58
