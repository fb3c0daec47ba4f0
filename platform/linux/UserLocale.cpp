#include "platform/linux/UserLocale.h"
#include <cstdlib>

namespace zrm58::linux_backend {

std::string icuLocaleIdFromPosix(const std::string& posixName) {
    if (posixName.empty() || posixName == "C" || posixName == "POSIX" ||
        posixName.rfind("C.", 0) == 0)
        return "en_US";
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

} // namespace zrm58::linux_backend
