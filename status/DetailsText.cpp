#include "status/DetailsText.h"
#include "status/StatusTexts.h"
#include "texts/Texts.h"

#include <cmath>

namespace zrm58::details {
namespace {

std::u16string decimal(std::uint64_t value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::u16string operator+(std::u16string a, std::u16string_view b) {
    a.append(b);
    return a;
}

} // namespace

std::u16string formatGiB(std::uint64_t bytes, char16_t decimalSep) {
    const std::uint64_t mib = bytes / 1048576;
    return formatFixed1(static_cast<long double>(mib) / 1024.0L, decimalSep) + u" GiB";
}

std::u16string formatRate(double bytesPerSecond, char16_t decimalSep) {
    if (!(bytesPerSecond >= 0)) bytesPerSecond = 0;
    if (bytesPerSecond < 1024) return decimal(static_cast<std::uint64_t>(bytesPerSecond)) + u" B/s";
    if (bytesPerSecond < 1024.0 * 1024.0)
        return formatFixed1(bytesPerSecond / 1024.0L, decimalSep) + u" KiB/s";
    return formatFixed1(bytesPerSecond / (1024.0L * 1024.0L), decimalSep) + u" MiB/s";
}

std::u16string formatCelsius(double celsius, char16_t decimalSep) {
    return formatFixed1(celsius, decimalSep) + u" °C";
}

std::u16string formatPercent(double percent) {
    return formatD3(roundLoad(percent)) + u"%";
}

std::u16string processLabel(const BusyProcess& p) {
    if (p.name.empty()) return u"? (" + decimal(p.pid) + u")";
    // The name in a direction isolate of its own (FSI ... PDI): a right-to-left name stays
    // right-to-left inside it and cannot reorder the pid and the figures around it.
    return u"\u2068" + p.name + u"\u2069 (" + decimal(p.pid) + u")";
}

const char* loadClass(std::int32_t p) {
    if (p > 80) return "busy";
    if (p > 60) return "high";
    if (p > 40) return "medium";
    if (p > 20) return "low";
    return "idle";
}

std::vector<std::u16string> detailsLines(const DetailsSnapshot& d, char16_t sep) {
    std::vector<std::u16string> lines;
    lines.emplace_back(localText(TextId::DetailsProcessors));
    if (d.processors.empty()) lines.push_back(std::u16string(u"  ") + kWaiting);
    constexpr std::size_t perLine = 8;
    for (std::size_t i = 0; i < d.processors.size(); i += perLine) {
        std::u16string line;
        for (std::size_t k = i; k < d.processors.size() && k < i + perLine; ++k)
            line += u"  " + decimal(d.processors[k].index) + u":" +
                    formatPercent(d.processors[k].percent);
        lines.push_back(line);
    }
    for (std::u16string& line : summaryLines(d, sep))
        lines.push_back(std::move(line));
    return lines;
}

std::vector<std::u16string> summaryLines(const DetailsSnapshot& d, char16_t sep) {
    std::vector<std::u16string> lines;
    if (d.memory) {
        const MemoryBreakdown& m = *d.memory;
        const std::uint64_t used = m.available < m.total ? m.total - m.available : 0;
        lines.push_back(std::u16string(localText(TextId::DetailsMemory)) + u"  " +
                        localText(TextId::DetailsInUse) + u" " + formatGiB(used, sep) + u"  " +
                        localText(TextId::DetailsAvailable) + u" " + formatGiB(m.available, sep) +
                        u"  " + localText(TextId::DetailsCache) + u" " +
                        formatGiB(m.cacheAndBuffers, sep));
        if (m.swapTotal == 0)
            lines.push_back(std::u16string(localText(TextId::DetailsSwap)) + u"  " +
                            localText(TextId::DetailsNoSwap));
        else
            lines.push_back(std::u16string(localText(TextId::DetailsSwap)) + u"  " +
                            formatGiB(m.swapTotal - m.swapFree, sep) + u" / " +
                            formatGiB(m.swapTotal, sep));
    }
    std::u16string net = std::u16string(localText(TextId::DetailsNetwork)) + u"  " +
                         localText(TextId::DetailsReceived) + u" ";
    if (d.network)
        net += formatRate(d.network->received, sep) + u"  " + localText(TextId::DetailsSent) +
               u" " + formatRate(d.network->sent, sep);
    else
        net += std::u16string(kWaiting) + u"  " + localText(TextId::DetailsSent) + u" " + kWaiting;
    lines.push_back(net);
    if (d.temperature)
        lines.push_back(std::u16string(localText(TextId::DetailsTemperature)) + u"  " +
                        formatCelsius(*d.temperature, sep));
    lines.emplace_back(localText(TextId::DetailsProcesses));
    for (const BusyProcess& p : d.busiest)
        lines.push_back(u"  " + formatPercent(p.share) + u"  " + processLabel(p));
    return lines;
}

} // namespace zrm58::details
