#include "platform/linux/ProcParsers.h"
#include "platform/linux/DetailsParsers.h"
#include "platform/linux/TextScan.h"

#include <array>
#include <charconv>
#include <cstddef>

namespace zrm58::procfs {
namespace {

constexpr std::uint64_t unitsPerSecond = 10'000'000; // 100-ns units

using scan::isBlank;
using scan::skipBlanks;
using scan::takeNumber;

// Skips one blank-separated field (at least one character) and the blanks before it.
bool skipField(std::string_view& s) {
    s = skipBlanks(s);
    std::size_t i = 0;
    while (i < s.size() && !isBlank(s[i]) && s[i] != '\n')
        ++i;
    s.remove_prefix(i);
    return i > 0;
}

std::string_view firstLine(std::string_view s) {
    return s.substr(0, s.find('\n'));
}

// The counters of the first line of /proc/stat ("cpu  user nice system idle iowait irq softirq
// steal guest guest_nice"), in that order; fields an old kernel does not write are 0. Guest
// time is left out: the kernel counts it inside user and nice already. std::nullopt for another
// first line, fewer than the first four fields, or junk where a number belongs.
std::optional<std::array<std::uint64_t, 8>> cpuLineFields(std::string_view procStat) {
    std::string_view line = firstLine(procStat);
    if (line.substr(0, 4) != "cpu " && line.substr(0, 4) != "cpu\t") return std::nullopt;
    line.remove_prefix(3);
    std::array<std::uint64_t, 8> f{};
    std::size_t count = 0;
    for (; count < f.size(); ++count) {
        const auto v = takeNumber(line);
        if (!v) break;
        f[count] = *v;
    }
    if (count < 4 || (count < f.size() && !skipBlanks(line).empty())) return std::nullopt;
    return f;
}

} // namespace

std::optional<std::uint64_t> ticksTo100ns(std::uint64_t ticks, long ticksPerSecond) {
    if (ticksPerSecond <= 0) return std::nullopt;
    const auto hz = static_cast<std::uint64_t>(ticksPerSecond);
    // Split so that neither product overflows for any realistic count; exact when hz divides
    // 10^7 (100 and 1000 do).
    return ticks / hz * unitsPerSecond + ticks % hz * unitsPerSecond / hz;
}

std::optional<CpuTimes> parseSystemTimes(std::string_view procStat, long ticksPerSecond) {
    const auto f = cpuLineFields(procStat);
    if (!f) return std::nullopt;
    const auto user = ticksTo100ns((*f)[0] + (*f)[1], ticksPerSecond);
    const auto kernel =
        ticksTo100ns((*f)[2] + (*f)[3] + (*f)[4] + (*f)[5] + (*f)[6] + (*f)[7], ticksPerSecond);
    if (!user || !kernel) return std::nullopt;
    return CpuTimes{*kernel, *user};
}

std::optional<MachineTimes> parseMachineTimes(std::string_view procStat) {
    const auto f = cpuLineFields(procStat);
    if (!f) return std::nullopt;
    const auto& [user, nice, system, idle, iowait, irq, softirq, steal] = *f;
    return MachineTimes{user + nice + system + irq + softirq + steal, idle + iowait};
}

std::optional<CpuTimes> parseProcessTimes(std::string_view pidStat, long ticksPerSecond) {
    const std::size_t close = pidStat.rfind(')');
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view rest = pidStat.substr(close + 1);
    // Fields 3 (state) to 13 (cmajflt) come before utime.
    for (int field = 3; field <= 13; ++field)
        if (!skipField(rest)) return std::nullopt;
    const auto utime = takeNumber(rest);
    const auto stime = takeNumber(rest);
    if (!utime || !stime) return std::nullopt;
    const auto user = ticksTo100ns(*utime, ticksPerSecond);
    const auto kernel = ticksTo100ns(*stime, ticksPerSecond);
    if (!user || !kernel) return std::nullopt;
    return CpuTimes{*kernel, *user};
}

std::optional<std::uint64_t> parseProcessStartTime(std::string_view pidStat) {
    const std::size_t close = pidStat.rfind(')');
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view rest = pidStat.substr(close + 1);
    for (int field = 3; field <= 21; ++field)
        if (!skipField(rest)) return std::nullopt;
    return takeNumber(rest);
}

std::optional<std::uint32_t> parseLastPid(std::string_view loadavg) {
    std::string_view line = firstLine(loadavg);
    for (int field = 1; field <= 4; ++field)
        if (!skipField(line)) return std::nullopt;
    const auto pid = takeNumber(line);
    if (!pid || *pid > UINT32_MAX || !skipBlanks(line).empty()) return std::nullopt;
    return static_cast<std::uint32_t>(*pid);
}

std::optional<std::uint64_t> parseForkCount(std::string_view procStat) {
    constexpr std::string_view key = "\nprocesses ";
    const std::size_t at = procStat.find(key);
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view line = firstLine(procStat.substr(at + key.size()));
    const auto count = takeNumber(line);
    if (!count || !skipBlanks(line).empty()) return std::nullopt;
    return count;
}

std::optional<MemoryStatus> parseMemInfo(std::string_view memInfo) {
    const std::optional<MemoryBreakdown> m = parseMemoryBreakdown(memInfo);
    if (!m) return std::nullopt;
    return MemoryStatus{m->total, m->available};
}

} // namespace zrm58::procfs
