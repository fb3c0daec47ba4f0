// The user's interface language, as Windows keeps it (the display language in Settings).
#include "texts/Language.h"
#include <windows.h>

namespace zrm58 {

std::vector<std::string> userPreferredLanguages() {
    // ZRM58_LANGUAGE forces a language, as on every platform.
    wchar_t forced[32] = {};
    const DWORD n = GetEnvironmentVariableW(L"ZRM58_LANGUAGE", forced, 32);
    if (n > 0 && n < 32) {
        std::string tag;
        for (DWORD i = 0; i < n; ++i)
            tag += static_cast<char>(forced[i] < 0x80 ? forced[i] : '?');
        return {tag};
    }
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
