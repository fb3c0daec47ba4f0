#pragma once
#include <optional>
#include <string>

namespace zrm58::linux_backend {

// The time-zone file that the C library reads for the TZ value `tz` (null: TZ unset), with
// `tzdir` the TZDIR value (null: unset). std::nullopt when TZ is unset: the C library then reads
// /etc/localtime and notices by itself when that file is replaced. A leading ':' is dropped, an
// empty value means UTC ("Universal"), a relative name lies under TZDIR or /usr/share/zoneinfo.
// A value that names no file (a rule such as "JST-9") still gives its path: nothing is there.
std::optional<std::string> zoneFilePath(const char* tz, const char* tzdir);

// Brings the C library's local time zone up to date with the zone in force now: the TZ value and
// the file it names (or /etc/localtime), re-read when either has changed since the last call.
// A zone file that is there but is not a regular file (a FIFO would block the C library's reading
// for good) is never handed over: UTC is in force until it is a file again, with TZ set to a UTC
// rule meanwhile (the user's own value comes back then).
void followLocalZone();

} // namespace zrm58::linux_backend
