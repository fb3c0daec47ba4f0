#pragma once
#include "platform/SystemTimesSource.h"

#include <functional>
#include <memory>

#include <windows.h>

namespace zrm58::win32 {

// GetSystemTimes's signature, so that tests can stand in for it.
using GetSystemTimesCall = std::function<BOOL(FILETIME* idle, FILETIME* kernel, FILETIME* user)>;

// The machine's counters from `getSystemTimes`: its kernel time includes the idle time, so
// busy = kernel + user - idle and idle = idle, in 100-ns units. A reading whose idle time
// exceeds kernel + user (no real machine gives one) counts as unreadable.
std::unique_ptr<SystemTimesSource> createWin32SystemTimesSource(GetSystemTimesCall getSystemTimes);

} // namespace zrm58::win32
