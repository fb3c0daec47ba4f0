#pragma once
#include "platform/LocaleSource.h"
#include "status/DateTimeFormat.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zrm58 {

// Room for one locale read, in UTF-16 units including the terminating 0: a text or number value
// of 256 units or more does not fit, nor a single-character value of more than one unit. A value
// that does not fit is a failed read.
inline constexpr std::size_t kLocaleTextBufferUnits = 256;
inline constexpr std::size_t kLocaleUnitBufferUnits = 2;

// Fills the locale format settings from locale `lcid` (read for the thread's locale instead when
// `lcid` is not installed). Every failed read leaves that field at its fallback; nothing fails.
// `startup` supplies the language the date pictures are adapted for.
LocaleFormatSettings LoadLocaleFormatSettings(const LocaleSource& source, std::uint32_t lcid,
                                              const StartupLocale& startup);

// Rewrites a date picture of locale `lcid` into the date-time pattern language: era years and
// names for the era calendars (calendar types 3, 4, 5), no era names for Chinese, Japanese and
// Korean under other calendars, and "/" for each unquoted `dateSep` so the formatter writes the
// locale's separator there.
std::u16string AdaptDatePattern(std::u16string_view picture, char16_t dateSep,
                                const LocaleSource& source, std::uint32_t lcid,
                                const StartupLocale& startup);

// The same rewrite for a calendar type already read.
std::u16string AdaptDatePattern(std::u16string_view picture, char16_t dateSep, int calendarType,
                                std::uint32_t primaryLanguage);

struct LocaleStartup {
    StartupLocale locale;
    LocaleFormatSettings settings;
};

// The start-up order: the thread's locale becomes the user's default, is captured, and the
// settings are loaded for it. Call once, before any window exists.
LocaleStartup initLocaleAtStartup(LocaleSource& source);

} // namespace zrm58
