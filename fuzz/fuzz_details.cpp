// Fuzz target: the parsers behind the details panel (/proc/stat's cpuN lines, /proc/meminfo's
// breakdown, /proc/net/dev, a sysfs temperature) and the arithmetic over two readings, with the
// input's two halves as the readings before and after.
//
// Properties beyond running clean: loopback and nameless interfaces never come out; swap free
// never exceeds swap total; a temperature is inside the range a sensor can report; every
// processor load lies in 0..100 and every rate is finite and not negative.
#include "FuzzSupport.h"
#include "platform/linux/DetailsParsers.h"
#include "status/SystemDetails.h"

#include <cmath>

using namespace zrm58;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::asBytes(data, size);
    const std::string_view before = bytes.substr(0, bytes.size() / 2);
    const std::string_view after = bytes.substr(bytes.size() / 2);

    const auto cpusBefore = procfs::parseProcessorTimes(before);
    const auto cpusAfter = procfs::parseProcessorTimes(after);
    if (cpusBefore && cpusAfter)
        for (const ProcessorLoad& l : processorLoads(*cpusBefore, *cpusAfter))
            FUZZ_CHECK(l.percent >= 0.0 && l.percent <= 100.0);

    if (const auto m = procfs::parseMemoryBreakdown(bytes)) FUZZ_CHECK(m->swapFree <= m->swapTotal);

    const auto netBefore = procfs::parseNetDev(before);
    const auto netAfter = procfs::parseNetDev(after);
    for (const auto* list : {&netBefore, &netAfter})
        if (*list)
            for (const InterfaceCounters& c : **list)
                FUZZ_CHECK(!c.name.empty() && c.name != "lo");
    if (netBefore && netAfter)
        if (const auto r = networkRates(*netBefore, *netAfter, 1.5))
            FUZZ_CHECK(std::isfinite(r->received) && r->received >= 0 && std::isfinite(r->sent) &&
                       r->sent >= 0);

    if (const auto t = procfs::parseMilliCelsius(bytes)) FUZZ_CHECK(*t > -50.0 && *t < 200.0);
    procfs::hwmonSensorRank(before, after);
    procfs::thermalZoneRank(bytes);
    return 0;
}
