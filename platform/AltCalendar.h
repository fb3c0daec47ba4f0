#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zrm58 {

// Date formatting in the alternate calendar of the thread's locale (the calendar the locale
// uses besides the Gregorian: Japanese eras for ja, the Minguo calendar for zh-TW, ...).
// Contract: `picture` is one of "gg" (the era name), "yy" (the year within the era, two digits
// at least) or "yyyy" (four digits at least). year/month/day are a proleptic Gregorian date.
// std::nullopt is a failed request; an empty text is a successful empty answer.
class AltCalendar {
public:
    virtual ~AltCalendar() = default;
    virtual std::optional<std::u16string> formatAltDate(std::u16string_view picture, int year,
                                                        int month, int day) const = 0;
};

} // namespace zrm58
