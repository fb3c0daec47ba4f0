// Fuzz target: the date-time pattern language (RenderDateTime) with fake locale data.
//
// Input: text (UTF-8, or UTF-16 little-endian when it is not well-formed UTF-8), split at line
// feeds. Line 1 is the pattern. The lines after it, where present, replace the locale data in
// this order: short date, long date, short time and long time pattern, am text, pm text, the
// alternate calendar's "gg", "yy" and "yyyy" answers, then the date and the time separator (the
// first unit of the line; an empty line is separator 0). Each input renders at three fixed
// instants, each with another start-up language, once without a calendar and once with the date
// patterns adapted from locale pictures (AdaptDatePattern) for another calendar type.
#include "FuzzSupport.h"
#include "fakes/FakeAltCalendar.h"
#include "settings/IniDocument.h"
#include "status/DateTimeFormat.h"
#include "status/LocaleFormat.h"

#include <array>
#include <vector>

namespace {

using namespace zrm58;

std::vector<std::u16string_view> splitLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    for (;;) {
        const std::size_t lf = text.find(u'\n');
        lines.push_back(text.substr(0, lf));
        if (lf == std::u16string_view::npos) return lines;
        text.remove_prefix(lf + 1);
    }
}

struct Instant {
    LocalTime time;
    std::uint32_t lcid; // start-up locale
    int calendarType;   // of the locale pictures: 1 Gregorian, 3 to 5 era calendars
};

// Morning in English, afternoon in Japanese (era forms), midnight in traditional Chinese.
const std::array<Instant, 3> kInstants{{
    {{2024, 2, 29, 9, 5, 7, 42}, 0x0409, 1},
    {{1989, 1, 8, 23, 59, 59, 999}, 0x0411, 3},
    {{2000, 12, 31, 0, 0, 0, 0}, 0x0404, 4},
}};

// The date patterns as the locale loader makes them from pictures in the locale's own terms.
LocaleFormatSettings adapted(LocaleFormatSettings s, const Instant& instant) {
    const std::uint32_t language = makeStartupLocale(instant.lcid).primaryLanguage;
    for (std::u16string* picture : {&s.shortDatePattern, &s.longDatePattern}) {
        // A Gregorian picture whose separator is already "/" needs no change in English.
        FUZZ_CHECK(AdaptDatePattern(*picture, u'/', 1, 0x09) == *picture);
        *picture = AdaptDatePattern(*picture, s.dateSep, instant.calendarType, language);
    }
    return s;
}

char16_t separatorOf(std::u16string_view line) {
    return line.empty() ? char16_t{0} : line.front();
}

// The calendar may be asked only the three pictures of its contract, for the instant's date.
void checkRequests(const fakes::FakeAltCalendar& calendar, const DateTimeFields& t) {
    for (const auto& r : calendar.requests) {
        FUZZ_CHECK(r.picture == u"gg" || r.picture == u"yy" || r.picture == u"yyyy");
        FUZZ_CHECK(r.year == t.year && r.month == t.month && r.day == t.day);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = IniDocument::decode(fuzz::asBytes(data, size));
    const std::vector<std::u16string_view> lines = splitLines(text);
    const auto line = [&](std::size_t i) -> const std::u16string_view* {
        return i < lines.size() ? &lines[i] : nullptr;
    };

    LocaleFormatSettings settings;
    std::u16string* const texts[] = {&settings.shortDatePattern, &settings.longDatePattern,
                                     &settings.shortTimePattern, &settings.longTimePattern,
                                     &settings.amText,           &settings.pmText};
    std::size_t next = 1;
    for (std::u16string* field : texts) {
        if (const auto* l = line(next++)) *field = *l;
    }
    fakes::FakeAltCalendar calendar;
    for (const char16_t* picture : {u"gg", u"yy", u"yyyy"}) {
        if (const auto* l = line(next++)) calendar.answers[picture] = std::u16string(*l);
    }
    if (const auto* l = line(next++)) settings.dateSep = separatorOf(*l);
    if (const auto* l = line(next++)) settings.timeSep = separatorOf(*l);

    const std::u16string_view pattern = lines.front();
    for (const Instant& instant : kInstants) {
        const DateTimeFields t = makeDateTimeFields(instant.time);
        calendar.requests.clear();
        const EraContext era{&calendar, makeStartupLocale(instant.lcid)};
        const std::u16string out = RenderDateTime(pattern, t, settings, era);
        checkRequests(calendar, t);
        // The formatter keeps no state between calls.
        FUZZ_CHECK(RenderDateTime(pattern, t, settings, era) == out);
        RenderDateTime(pattern, t, settings, EraContext{nullptr, era.locale});
        RenderDateTime(pattern, t, adapted(settings, instant), era);
    }
    return 0;
}
