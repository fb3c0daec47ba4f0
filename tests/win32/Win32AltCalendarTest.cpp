// Wine ignores DATE_USE_ALT_CALENDAR (it answers in the Gregorian calendar and writes its era
// twice for "gg"), so the backend's use of GetDateFormatW is tested against a fake of the call
// that answers as Windows documents it for ja-JP.
#include "platform/win32/Win32AltCalendar.h"
#include "fakes/FakeWin32Calls.h"
#include "status/DateTimeFormat.h"

#include <gtest/gtest.h>

namespace zrm58 {
namespace {

using fakes::FakeWin32DateFormat;

TEST(Win32AltCalendarOnFakeGetDateFormat, EraNamesAndYearsOfTheJapaneseCalendar) {
    struct Case {
        int year, month, day;
        const char16_t* picture;
        const char16_t* expected;
    };
    const Case cases[] = {
        {2023, 5, 30, u"gg", u"令和"}, {2023, 5, 30, u"yy", u"05"},  {2019, 4, 30, u"gg", u"平成"},
        {2019, 4, 30, u"yy", u"31"},   {2019, 5, 1, u"gg", u"令和"}, {2019, 5, 1, u"yy", u"01"},
    };
    FakeWin32DateFormat fake;
    const auto calendar = win32::createWin32AltCalendar(fake.dateFormatCalls());
    for (const Case& c : cases) {
        fake.calls.clear();
        const auto text = calendar->formatAltDate(c.picture, c.year, c.month, c.day);
        ASSERT_TRUE(text) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(*text, c.expected);
        // The size first, then the text, both in the thread's locale with the alternate calendar
        // and the date as given.
        ASSERT_EQ(fake.calls.size(), 2u);
        EXPECT_FALSE(fake.calls[0].withBuffer);
        EXPECT_EQ(fake.calls[0].size, 0);
        EXPECT_TRUE(fake.calls[1].withBuffer);
        EXPECT_EQ(fake.calls[1].size, static_cast<int>(std::u16string_view(c.expected).size()) + 1);
        for (const auto& call : fake.calls) {
            EXPECT_EQ(call.locale, 0x0411u);
            EXPECT_EQ(call.flags, static_cast<DWORD>(DATE_USE_ALT_CALENDAR));
            EXPECT_EQ(call.picture,
                      std::wstring(c.picture, c.picture + std::u16string_view(c.picture).size()));
            EXPECT_EQ(call.date.wYear, c.year);
            EXPECT_EQ(call.date.wMonth, c.month);
            EXPECT_EQ(call.date.wDay, c.day);
        }
    }
}

TEST(Win32AltCalendarOnFakeGetDateFormat, StripsEraPiecesThroughTheFormatter) {
    FakeWin32DateFormat fake;
    const auto calendar = win32::createWin32AltCalendar(fake.dateFormatCalls());
    LocalTime at;
    at.year = 2023, at.month = 5, at.day = 30, at.hour = 8, at.minute = 18, at.second = 13;
    const EraContext era{calendar.get(), makeStartupLocale(0x0411)};
    const LocaleFormatSettings settings;
    EXPECT_EQ(RenderDateTime(u"(gg e年) (g ee)", makeDateTimeFields(at), settings, era),
              u"(令和 5年) (令 05)");
}

TEST(Win32AltCalendarOnFakeGetDateFormat, AsksTheThreadsLocaleAtEachRequest) {
    FakeWin32DateFormat fake;
    const auto calendar = win32::createWin32AltCalendar(fake.dateFormatCalls());
    fake.threadLocale = 0x0409; // the fake knows ja-JP only: any other locale fails
    EXPECT_FALSE(calendar->formatAltDate(u"gg", 2023, 5, 30));
    fake.threadLocale = 0x0411;
    EXPECT_TRUE(calendar->formatAltDate(u"gg", 2023, 5, 30));
}

TEST(Win32AltCalendarOnFakeGetDateFormat, FailuresAndAShortBuffer) {
    FakeWin32DateFormat fake;
    const auto calendar = win32::createWin32AltCalendar(fake.dateFormatCalls());
    fake.fails = true;
    EXPECT_FALSE(calendar->formatAltDate(u"gg", 2023, 5, 30));
    fake.fails = false;
    EXPECT_FALSE(calendar->formatAltDate(u"gg", 0, 5, 30)); // no SYSTEMTIME year
    EXPECT_FALSE(calendar->formatAltDate(u"gg", 2023, 13, 30));
    // The size grew between the two calls (a locale change): asked again, never cut.
    fake.shrinkBuffersBy = 1;
    fake.calls.clear();
    EXPECT_EQ(calendar->formatAltDate(u"gg", 2023, 5, 30), u"令和");
    EXPECT_EQ(fake.calls.size(), 4u);
}

} // namespace
} // namespace zrm58
