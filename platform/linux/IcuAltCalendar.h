#pragma once
#include "platform/AltCalendar.h"
#include <memory>
#include <string>

namespace zrm58::linux_backend {

// The ICU calendar type ("japanese", "roc", "buddhist", ..., or "gregorian") that answers for
// the ICU locale id `localeId`: its "@calendar=" keyword when it has one, otherwise the first of
// the locale's commonly used calendars that is neither the Gregorian nor a cyclic lunisolar one
// ("chinese", "dangi": their era is a 60-year cycle number, not a name), else "gregorian".
std::string alternateCalendarType(const std::string& localeId);

// The alternate calendar of `localeId`. Never null: when ICU cannot open the calendar, every
// request answers std::nullopt.
std::unique_ptr<AltCalendar> createIcuAltCalendar(const std::string& localeId);

} // namespace zrm58::linux_backend
