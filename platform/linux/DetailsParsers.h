#pragma once
#include "platform/ProcessSource.h"
#include "platform/SystemDetailsSource.h"
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Pure parsers of the files behind the details panel. No I/O: the readers hand in the bytes.
namespace zrm58::procfs {

// The "cpuN ..." lines of /proc/stat (not the machine's "cpu " line), in clock ticks:
// idle = idle + iowait; total = user + nice + system + idle + iowait + irq + softirq + steal
// (guest time is already inside user). Fields an old kernel does not write count as 0. A cpuN
// line with fewer than four numbers is skipped. std::nullopt when no cpuN line parses.
std::optional<std::vector<ProcessorTimes>> parseProcessorTimes(std::string_view procStat);

// /proc/meminfo, kB to bytes: MemTotal, MemAvailable (before 3.14: MemFree + Buffers + Cached),
// cache and buffers = Buffers + Cached + SReclaimable (what free(1) calls buff/cache), SwapTotal,
// SwapFree (absent: 0). std::nullopt without MemTotal, or without MemAvailable and MemFree.
std::optional<MemoryBreakdown> parseMemoryBreakdown(std::string_view memInfo);

// /proc/net/dev: received bytes (first number) and sent bytes (ninth number) of every interface
// except loopback ("lo"). Lines that do not parse are skipped. std::nullopt when the header
// is missing (not that file).
std::optional<std::vector<InterfaceCounters>> parseNetDev(std::string_view netDev);

// A sysfs ifindex ("7\n"); std::nullopt when it is not one whole number.
std::optional<std::uint64_t> parseInterfaceIndex(std::string_view text);

// Gives each interface of a /proc/net/dev reading its index, from the indexes by name read just
// before (`before`) and just after (`after`) that file. An interface whose index differs between
// the two, or that is in only one of them, was replaced or renamed while it was read: it is left
// out of this reading and counts from the next. One in neither keeps no index (sysfs does not
// say): it is known by its name alone.
void attachInterfaceIndexes(std::vector<InterfaceCounters>& counters,
                            const std::map<std::string, std::uint64_t>& before,
                            const std::map<std::string, std::uint64_t>& after);

// A sysfs temperature ("45000\n", millidegrees Celsius) in degrees; std::nullopt when it is not
// a whole number or lies outside -50 .. 200 degrees (a disconnected or faulty sensor).
std::optional<double> parseMilliCelsius(std::string_view text);

// How well a sensor stands for the processor's temperature: 0 not a processor sensor, 1 a core
// or other processor sensor, 2 AMD's control temperature (may carry an offset), 3 the package.
// `chip` is a hwmon chip's name, `label` its temperature label (may be empty).
int hwmonSensorRank(std::string_view chip, std::string_view label);
// The same for a thermal zone's type.
int thermalZoneRank(std::string_view type);

} // namespace zrm58::procfs

namespace zrm58 {

// The Linux details source over `procRoot` (normally "/proc") and `sysClassRoot` (normally
// "/sys/class"): tests point both at fixture trees.
std::unique_ptr<SystemDetailsSource> createLinuxSystemDetailsSource(std::string procRoot,
                                                                    std::string sysClassRoot);

} // namespace zrm58
