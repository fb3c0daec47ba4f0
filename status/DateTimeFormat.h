#pragma once
#include "platform/AltCalendar.h"
#include "platform/Clock.h"
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zrm58 {

// One instant as the formatter sees it. dayOfWeek: 1 = Sunday .. 7 = Saturday.
struct DateTimeFields {
    std::uint16_t year = 1;
    std::uint16_t month = 1;
    std::uint16_t day = 1;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t millisecond = 0;
    std::uint16_t dayOfWeek = 1;
};

// Fills dayOfWeek from the date on the proleptic Gregorian calendar.
DateTimeFields makeDateTimeFields(const LocalTime& t);

// The locale's names, separators and patterns, written once at start-up and only read later.
// Every field starts at its fallback: a record whose every locale read failed is this one.
struct LocaleFormatSettings {
    char16_t dateSep = u'/'; // 0: "/" writes nothing
    char16_t timeSep = u':'; // 0: ":" writes nothing
    std::u16string shortDatePattern = u"m/d/yy";
    std::u16string longDatePattern = u"mmmm d, yyyy";
    std::u16string shortTimePattern = u"h:mm AMPM";
    std::u16string longTimePattern = u"h:mm:ss AMPM";
    std::u16string amText = u"am";
    std::u16string pmText = u"pm";
    std::array<std::u16string, 12> monthAbbrevs{u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                                u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    std::array<std::u16string, 12> monthNames{u"January",   u"February", u"March",    u"April",
                                              u"May",       u"June",     u"July",     u"August",
                                              u"September", u"October",  u"November", u"December"};
    std::array<std::u16string, 7> dayAbbrevs{u"Sun", u"Mon", u"Tue", u"Wed",
                                             u"Thu", u"Fri", u"Sat"};
    std::array<std::u16string, 7> dayNames{u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                           u"Thursday", u"Friday", u"Saturday"};
    char16_t decimalSep = u'.'; // numbers only, never read by the date formatter
};

// The thread locale captured once at start-up, before any window exists.
struct StartupLocale {
    std::uint32_t lcid = 0x0409;
    std::uint32_t primaryLanguage = 0x09; // 0x04 Chinese, 0x09 English, 0x11 Japanese, 0x12 Korean
    std::uint32_t subLanguage = 0x01;     // with Chinese, 0x01 is the traditional script
};

// Builds the record from a thread locale identifier (0 = none).
StartupLocale makeStartupLocale(std::uint32_t threadLcid);

// What the era tokens need besides the instant: the platform's alternate calendar and the
// language of the start-up locale. `calendar` may be null: era tokens then write nothing.
struct EraContext {
    const AltCalendar* calendar = nullptr;
    StartupLocale locale{};
};

// Era name for a "g" run of `runLength`; empty when the calendar request fails.
std::u16string FormatEraName(int runLength, const DateTimeFields& t, const EraContext& era);
// Year within the era for an "e" run of `runLength`; empty when the request fails.
std::u16string FormatEraYear(int runLength, const DateTimeFields& t, const EraContext& era);

// Renders `pattern` (the user's date-time pattern language) for the instant `t`.
// Never fails: every text is a valid pattern.
std::u16string RenderDateTime(std::u16string_view pattern, const DateTimeFields& t,
                              const LocaleFormatSettings& settings, const EraContext& era);

} // namespace zrm58
