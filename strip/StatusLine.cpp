#include "strip/StatusLine.h"

namespace zrm58 {

std::u16string renderDatePiece(std::u16string_view format, const LocalTime& now,
                               const LocaleFormatSettings& settings, const EraContext& era) {
    return RenderDateTime(format, makeDateTimeFields(now), settings, era);
}

std::u16string composeLine(std::u16string_view sep, std::u16string_view date,
                           std::u16string_view memory, std::u16string_view cpu) {
    std::u16string line;
    line.reserve(3 * sep.size() + date.size() + memory.size() + cpu.size());
    for (const std::u16string_view piece : {date, memory, cpu}) {
        line += sep;
        line += piece;
    }
    return line;
}

} // namespace zrm58
