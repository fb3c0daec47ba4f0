#pragma once
#include "platform/AltCalendar.h"
#include <memory>
#include <string>
#include <string_view>

namespace zrm58::linux_backend {

// The calendar whose eras and years answer for the ICU locale id `localeId`: its "@calendar="
// keyword when that names an offered calendar, otherwise the alternate that goes with the
// locale's language: "japanese" (ja), "roc" (zh in Taiwan), "tangun" (ko; this program's own
// name for the Korean Tangun era, which ICU lacks), "buddhist" (th), "hebrew" (he), and for ar
// "islamic-umalqura" in Saudi Arabia, "islamic-civil" elsewhere; "gregorian" for every other
// locale and for a keyword naming any other calendar (coptic, persian, dangi ...).
std::string alternateCalendarType(const std::string& localeId);

// True for the raw key that ICU gives as an era name it has no name for: "ERA" and digits.
bool isRawEraKey(std::u16string_view name);

// The alternate calendar of `localeId`. Never null: when ICU cannot open the calendar, every
// request answers std::nullopt.
std::unique_ptr<AltCalendar> createIcuAltCalendar(const std::string& localeId);

} // namespace zrm58::linux_backend
