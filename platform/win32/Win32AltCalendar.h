#pragma once
#include "platform/AltCalendar.h"

#include <functional>
#include <memory>

#include <windows.h>

namespace zrm58::win32 {

// The calls behind the alternate calendar, with their own signatures (Wine ignores
// DATE_USE_ALT_CALENDAR, so tests stand in for GetDateFormatW with what Windows answers).
struct DateFormatCalls {
    std::function<LCID()> getThreadLocale;
    std::function<int(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR picture,
                      LPWSTR buffer, int size)>
        getDateFormat;
};

DateFormatCalls systemDateFormatCalls();

// Era names and years from GetDateFormatW(DATE_USE_ALT_CALENDAR) in the thread's locale at the
// time of each request (the Japanese Emperor era calendar for ja-JP, the Taiwan calendar for
// zh-TW, ...; locales without an alternate calendar answer in the Gregorian). The size is asked
// first. Dates outside SYSTEMTIME's years 1601..30827 are refused by the call: std::nullopt.
std::unique_ptr<AltCalendar> createWin32AltCalendar(DateFormatCalls calls);

} // namespace zrm58::win32
