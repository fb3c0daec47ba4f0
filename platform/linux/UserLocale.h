#pragma once
#include <string>

namespace zrm58::linux_backend {

// The ICU locale id of the user's time locale, from LC_ALL, else LC_TIME, else LANG (a variable
// that is unset or empty is skipped). "C", "POSIX" and nothing at all count as en_US. The
// codeset is dropped, a "@calendar=..." keyword is kept: "ja_JP.UTF-8@calendar=japanese" gives
// "ja_JP@calendar=japanese".
std::string userLocaleId();

// The same conversion for one POSIX locale name (exposed for tests).
std::string icuLocaleIdFromPosix(const std::string& posixName);

} // namespace zrm58::linux_backend
