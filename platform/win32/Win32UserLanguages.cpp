// The user's interface language, as Windows keeps it (the display language in Settings).
#include "texts/Language.h"
#include <windows.h>

namespace zrm58 {

std::vector<std::string> userPreferredLanguages() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name,
                         LOCALE_NAME_MAX_LENGTH, 0) <= 0)
        return {"en-US"}; // Windows always has a language; an unreadable one is no choice
    std::string tag;
    for (const wchar_t* c = name; *c; ++c)
        tag += static_cast<char>(*c < 0x80 ? *c : '?');
    return {tag};
}

} // namespace zrm58
