#pragma once
#include <optional>
#include <string>
#include <vector>

namespace zrm58::linux_backend {

// The ICU locale id of the user's time locale, from LC_ALL, else LC_TIME, else LANG (a variable
// that is unset or empty is skipped). "C", "POSIX" and nothing at all count as en_US. The
// codeset is dropped, a "@calendar=..." keyword is kept: "ja_JP.UTF-8@calendar=japanese" gives
// "ja_JP@calendar=japanese".
std::string userLocaleId();

// The same conversion for one POSIX locale name (exposed for tests).
std::string icuLocaleIdFromPosix(const std::string& posixName);

// The user's preferred languages for messages. `forced` (ZRM58_LANGUAGE), when set and not
// empty, is the only one. Otherwise the environment as gettext reads it: the
// messages locale is LC_ALL, else LC_MESSAGES, else LANG (unset or empty skipped). When it is
// none, "C", "POSIX" or "C.<codeset>", the list is empty (no language: LANGUAGE is ignored then,
// as gettext ignores it). Otherwise LANGUAGE's colon-separated entries, else the messages locale.
std::vector<std::string> preferredLanguages(const std::optional<std::string>& forced,
                                            const std::optional<std::string>& language,
                                            const std::optional<std::string>& lcAll,
                                            const std::optional<std::string>& lcMessages,
                                            const std::optional<std::string>& lang);

} // namespace zrm58::linux_backend
