#pragma once
#include "platform/Clock.h"
#include "status/DateTimeFormat.h"
#include <string>
#include <string_view>

// The status line as the strip shows it and zrm58-line writes it: the date, memory and
// processor pieces, each after the separator. The memory and processor pieces are those of
// status/StatusTexts.h.
namespace zrm58 {

// The date piece: `now` in the user's date-time pattern `format`, era tokens from `era`.
std::u16string renderDatePiece(std::u16string_view format, const LocalTime& now,
                               const LocaleFormatSettings& settings, const EraContext& era);

// The line: «sep date sep memory sep cpu».
std::u16string composeLine(std::u16string_view sep, std::u16string_view date,
                           std::u16string_view memory, std::u16string_view cpu);

} // namespace zrm58
