#pragma once
#include "platform/MemorySource.h"
#include "platform/ProcessSource.h"
#include "platform/SystemTimesSource.h"
#include <cstdint>
#include <optional>
#include <string_view>

// Pure parsers of the /proc files the Linux backend reads. No I/O here: the readers hand in the
// bytes they read, so every parser is tested on fixture files.
namespace zrm58::procfs {

// Clock ticks (USER_HZ, sysconf(_SC_CLK_TCK)) to 100-nanosecond units. std::nullopt when
// `ticksPerSecond` is not positive.
std::optional<std::uint64_t> ticksTo100ns(std::uint64_t ticks, long ticksPerSecond);

// The first line of /proc/stat ("cpu  user nice system idle iowait irq softirq steal ...").
// user time = user + nice (guest time is already inside them); kernel time = system + idle +
// iowait + irq + softirq + steal, so that it includes the idle time. Fields that an old kernel
// does not write count as 0; fewer than the first four is a failure.
std::optional<CpuTimes> parseSystemTimes(std::string_view procStat, long ticksPerSecond);

// The same first line as the machine's busy and idle clock ticks: busy = user + nice + system +
// irq + softirq + steal (guest time is inside user and nice already), idle = idle + iowait.
std::optional<MachineTimes> parseMachineTimes(std::string_view procStat);

// utime (field 14) and stime (field 15) of /proc/PID/stat as user and kernel time. The command
// name (field 2) may hold spaces and ')', so the fields are counted from the last ')'. A line
// cut off after field 15 still parses.
std::optional<CpuTimes> parseProcessTimes(std::string_view pidStat, long ticksPerSecond);

// starttime (field 22) of /proc/PID/stat: when the process started, in clock ticks (USER_HZ)
// after boot, as written. Fields are counted from the last ')' as above.
std::optional<std::uint64_t> parseProcessStartTime(std::string_view pidStat);

// The last process id the kernel handed out in the reader's PID namespace: the fifth field of
// /proc/loadavg ("0.20 0.18 0.12 1/80 11206").
std::optional<std::uint32_t> parseLastPid(std::string_view loadavg);

// The number of processes and threads started since boot: the "processes" line of /proc/stat.
std::optional<std::uint64_t> parseForkCount(std::string_view procStat);

// MemTotal and MemAvailable of /proc/meminfo, kB to bytes. Kernels before 3.14 write no
// MemAvailable; then the available amount is estimated as MemFree + Buffers + Cached.
// std::nullopt without MemTotal, or without both MemAvailable and MemFree.
std::optional<MemoryStatus> parseMemInfo(std::string_view memInfo);

} // namespace zrm58::procfs
