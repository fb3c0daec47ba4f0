#pragma once
#include <optional>
#include <string>
#include <string_view>

// Reading CLDR date and time patterns (the letters ICU's date formats use) for the locale items
// the strip asks of the locale source.
namespace zrm58::linux_backend {

// Translates a CLDR date pattern into the Windows date-picture language: d, dd, ddd, dddd, M,
// MM, MMM, MMMM, y, yy, yyyy, gg and single-quoted literal text. Letters with no counterpart
// (day of year, week numbers, cyclic years ...) are dropped, and so is the era outside the era
// calendars. Literal text that holds letters of
// any script is single-quoted («y年» gives «yyyy'年'»); punctuation and spaces stay unquoted.
// eraYears: the calendar counts years within eras (Japanese, Minguo, Korean), so a lone "y" stays
// "y" (the year in the era without padding) instead of becoming the full year "yyyy".
std::u16string cldrDateToPicture(std::u16string_view cldr, bool eraYears);

// The literal text between the first two fields of `cldr` whose letters are in `fieldLetters`,
// unquoted, without bidi marks and without surrounding spaces (unless it is spaces only).
// Empty when those fields touch; std::nullopt when the pattern has fewer than two of them.
std::optional<std::u16string> cldrSeparator(std::u16string_view cldr,
                                            std::u16string_view fieldLetters);

// What a CLDR time pattern says about the clock.
struct CldrTimeFlags {
    bool twentyFourHour = false; // H or k: the hour runs 0..23 (or 1..24)
    bool leadingZero = false;    // the hour field has two letters
    bool markFirst = false;      // an am/pm or day-period mark (a, b, B) stands before the hour
};
// std::nullopt when the pattern has no hour field.
std::optional<CldrTimeFlags> cldrTimeFlags(std::u16string_view cldr);

// The Windows calendar number (CAL_*) of an ICU calendar name; std::nullopt for a calendar that
// Windows does not number.
std::optional<int> windowsCalendarType(std::string_view icuCalendar);

} // namespace zrm58::linux_backend
