#include "platform/linux/DetailsParsers.h"
#include "platform/linux/TextScan.h"

#include <array>
#include <charconv>
#include <cstddef>

namespace zrm58::procfs {
namespace {

using scan::takeLine;
using scan::takeNumber;
using scan::trim;

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool containsCpu(std::string_view s) {
    for (std::size_t i = 0; i + 3 <= s.size(); ++i) {
        const auto lower = [&](std::size_t k) { return static_cast<char>(s[i + k] | 0x20); };
        if (lower(0) == 'c' && lower(1) == 'p' && lower(2) == 'u') return true;
    }
    return false;
}

} // namespace

std::optional<std::vector<ProcessorTimes>> parseProcessorTimes(std::string_view procStat) {
    std::vector<ProcessorTimes> result;
    while (!procStat.empty()) {
        std::string_view line = takeLine(procStat);
        if (!startsWith(line, "cpu")) {
            if (!result.empty()) break; // the cpuN lines are one block at the top
            continue;
        }
        line.remove_prefix(3);
        std::uint32_t index = 0;
        const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), index);
        if (ec != std::errc() || end == line.data()) continue; // the machine's own "cpu " line
        line.remove_prefix(static_cast<std::size_t>(end - line.data()));
        // user nice system idle iowait irq softirq steal
        std::array<std::uint64_t, 8> f{};
        std::size_t count = 0;
        for (; count < f.size(); ++count) {
            const auto v = takeNumber(line);
            if (!v) break;
            f[count] = *v;
        }
        if (count < 4) continue;
        std::uint64_t total = 0;
        for (const std::uint64_t v : f)
            total += v;
        result.push_back(ProcessorTimes{index, f[3] + f[4], total});
    }
    if (result.empty()) return std::nullopt;
    return result;
}

std::optional<MemoryBreakdown> parseMemoryBreakdown(std::string_view memInfo) {
    std::optional<std::uint64_t> total, available, free;
    std::uint64_t buffers = 0, cached = 0, reclaimable = 0, swapTotal = 0, swapFree = 0;
    scan::forEachMemInfoEntry(memInfo, [&](std::string_view key, std::uint64_t bytes) {
        if (key == "MemTotal")
            total = bytes;
        else if (key == "MemAvailable")
            available = bytes;
        else if (key == "MemFree")
            free = bytes;
        else if (key == "Buffers")
            buffers = bytes;
        else if (key == "Cached")
            cached = bytes;
        else if (key == "SReclaimable")
            reclaimable = bytes;
        else if (key == "SwapTotal")
            swapTotal = bytes;
        else if (key == "SwapFree")
            swapFree = bytes;
    });
    if (!total) return std::nullopt;
    if (!available) {
        if (!free) return std::nullopt;
        available = *free + buffers + cached;
    }
    MemoryBreakdown m;
    m.total = *total;
    m.available = *available;
    m.cacheAndBuffers = buffers + cached + reclaimable;
    m.swapTotal = swapTotal;
    m.swapFree = swapFree < swapTotal ? swapFree : swapTotal;
    return m;
}

std::optional<std::vector<InterfaceCounters>> parseNetDev(std::string_view netDev) {
    // Two header lines: "Inter-|   Receive ..." and " face |bytes    packets ...".
    if (takeLine(netDev).find('|') == std::string_view::npos) return std::nullopt;
    if (takeLine(netDev).find('|') == std::string_view::npos) return std::nullopt;
    std::vector<InterfaceCounters> result;
    while (!netDev.empty()) {
        const std::string_view line = takeLine(netDev);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = trim(line.substr(0, colon));
        if (name.empty() || name == "lo") continue;
        std::string_view rest = line.substr(colon + 1);
        // bytes packets errs drop fifo frame compressed multicast | bytes ...
        std::array<std::uint64_t, 9> f{};
        std::size_t count = 0;
        for (; count < f.size(); ++count) {
            const auto v = takeNumber(rest);
            if (!v) break;
            f[count] = *v;
        }
        if (count < f.size()) continue;
        result.push_back(InterfaceCounters{std::string(name), f[0], f[8], std::nullopt});
    }
    return result;
}

std::optional<std::uint64_t> parseInterfaceIndex(std::string_view text) {
    text = trim(text);
    std::uint64_t index = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (ec != std::errc() || text.empty() || end != text.data() + text.size()) return std::nullopt;
    return index;
}

void attachInterfaceIndexes(std::vector<InterfaceCounters>& counters,
                            const std::map<std::string, std::uint64_t>& before,
                            const std::map<std::string, std::uint64_t>& after) {
    std::erase_if(counters, [&](InterfaceCounters& c) {
        const auto then = before.find(c.name);
        const auto now = after.find(c.name);
        const bool inBefore = then != before.end(), inAfter = now != after.end();
        if (!inBefore && !inAfter) return false;
        if (!inBefore || !inAfter || then->second != now->second) return true;
        c.index = now->second;
        return false;
    });
}

std::optional<double> parseMilliCelsius(std::string_view text) {
    text = trim(text);
    long long milli = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), milli);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    if (milli <= -50'000 || milli >= 200'000) return std::nullopt;
    return static_cast<double>(milli) / 1000.0;
}

int hwmonSensorRank(std::string_view chip, std::string_view label) {
    chip = trim(chip);
    label = trim(label);
    const bool cpuChip = chip == "coretemp" || chip == "k10temp" || chip == "k8temp" ||
                         chip == "zenpower" || chip == "via_cputemp" || containsCpu(chip);
    if (!cpuChip) return 0;
    if (startsWith(label, "Package id") || label == "Tdie") return 3;
    if (label == "Tctl") return 2;
    return 1;
}

int thermalZoneRank(std::string_view type) {
    type = trim(type);
    if (type == "x86_pkg_temp") return 3;
    return containsCpu(type) ? 1 : 0;
}

} // namespace zrm58::procfs
