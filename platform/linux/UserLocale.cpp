#include "platform/linux/UserLocale.h"
#include "texts/Language.h"
#include <cstdlib>

namespace zrm58::linux_backend {

namespace {

bool isPosixDefault(const std::string& name) {
    return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

} // namespace

std::string icuLocaleIdFromPosix(const std::string& posixName) {
    if (posixName.empty() || isPosixDefault(posixName)) return "en_US";
    std::string base = posixName;
    std::string modifier;
    if (auto at = base.find('@'); at != std::string::npos) {
        modifier = base.substr(at + 1);
        base.erase(at);
    }
    if (auto dot = base.find('.'); dot != std::string::npos) base.erase(dot);
    if (base.empty()) return "en_US";
    // Only ICU keywords (key=value) survive; glibc modifiers such as "euro" mean nothing to ICU.
    if (modifier.find('=') != std::string::npos) return base + "@" + modifier;
    return base;
}

std::string userLocaleId() {
    for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) return icuLocaleIdFromPosix(value);
    }
    return "en_US";
}

std::vector<std::string> preferredLanguages(const std::optional<std::string>& forced,
                                            const std::optional<std::string>& language,
                                            const std::optional<std::string>& lcAll,
                                            const std::optional<std::string>& lcMessages,
                                            const std::optional<std::string>& lang) {
    if (forced && !forced->empty()) return {*forced};
    std::string messages;
    for (const auto* value : {&lcAll, &lcMessages, &lang}) {
        if (*value && !(*value)->empty()) {
            messages = **value;
            break;
        }
    }
    if (messages.empty() || isPosixDefault(messages)) return {};
    std::vector<std::string> out;
    if (language) {
        std::size_t start = 0;
        while (start <= language->size()) {
            std::size_t end = language->find(':', start);
            if (end == std::string::npos) end = language->size();
            if (end > start) out.push_back(language->substr(start, end - start));
            start = end + 1;
        }
    }
    if (out.empty()) out.push_back(messages);
    return out;
}

} // namespace zrm58::linux_backend

namespace zrm58 {

std::vector<std::string> userPreferredLanguages() {
    return linux_backend::preferredLanguages(
        linux_backend::environment("ZRM58_LANGUAGE"), linux_backend::environment("LANGUAGE"),
        linux_backend::environment("LC_ALL"), linux_backend::environment("LC_MESSAGES"),
        linux_backend::environment("LANG"));
}

} // namespace zrm58
