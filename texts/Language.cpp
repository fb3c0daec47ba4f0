#include "texts/Language.h"

namespace zrm58 {

std::string primaryLanguage(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c == '_' || c == '-' || c == '.' || c == '@') break;
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

Language chooseLanguage(const std::vector<std::string>& preferred) {
    if (preferred.empty()) return Language::Japanese;
    for (const std::string& name : preferred) {
        const std::string primary = primaryLanguage(name);
        if (primary == "ja") return Language::Japanese;
        if (primary == "en") return Language::English;
    }
    return Language::English;
}

Language userLanguage() {
    static const Language language = chooseLanguage(userPreferredLanguages());
    return language;
}

} // namespace zrm58
