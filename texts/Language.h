#pragma once
// The language of the strip's own texts. Japanese is the design's text, word for word; English
// is written for everyone whose language has no translation. Formats (dates, numbers, era names)
// do not follow this: they follow the locale.
#include <string>
#include <string_view>
#include <vector>

namespace zrm58 {

enum class Language { Japanese, English };

// The language for the user's preferred languages, most preferred first, each a POSIX locale
// name or a BCP 47 tag ("ja_JP.UTF-8", "de", "en-GB"). The first entry with a translation wins;
// a list whose entries have none gives English; an empty list (no language at all: the C or
// POSIX locale) gives the design's Japanese.
Language chooseLanguage(const std::vector<std::string>& preferred);

// The primary language subtag of a locale name or tag, lower case: "ja" for "ja_JP.UTF-8@x",
// "en" for "EN-us"; empty for an empty name.
std::string primaryLanguage(std::string_view name);

// The user's preferred languages as the platform keeps them (platform/<os>/). Empty when the
// user chose none (the C or POSIX locale).
std::vector<std::string> userPreferredLanguages();

// chooseLanguage(userPreferredLanguages()), read once per process.
Language userLanguage();

} // namespace zrm58
