#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zrm58 {

// The memory figures behind the details panel, in bytes. Swap total 0: the machine has no swap.
struct MemoryBreakdown {
    std::uint64_t total = 0;
    std::uint64_t available = 0;
    std::uint64_t cacheAndBuffers = 0;
    std::uint64_t swapTotal = 0;
    std::uint64_t swapFree = 0;
};

// One network interface's byte counters since it came up: 64-bit, so they only fall when the
// interface restarts. `index` tells the interface apart from another that takes its name (Linux:
// its ifindex; Windows: its LUID); std::nullopt when the system does not say, and the name is all
// there is to go by.
struct InterfaceCounters {
    std::string name;
    std::uint64_t received = 0;
    std::uint64_t sent = 0;
    std::optional<std::uint64_t> index;
};

// The OS services behind the details panel. Every figure may be missing: std::nullopt then,
// never a made-up value.
// Contract:
//  - memoryBreakdown: std::nullopt when the figures cannot be read.
//  - networkCounters: every interface except loopback, with its index where the system gives
//    one; std::nullopt when unreadable.
//  - temperatureCelsius: the processor package's sensor, else the hottest processor sensor;
//    std::nullopt when the machine has none that can be read.
//  - processName: the short name of the process (UTF-8 as the system gives it); std::nullopt
//    when it is gone or cannot be read.
class SystemDetailsSource {
public:
    virtual ~SystemDetailsSource() = default;
    virtual std::optional<MemoryBreakdown> memoryBreakdown() = 0;
    virtual std::optional<std::vector<InterfaceCounters>> networkCounters() = 0;
    virtual std::optional<double> temperatureCelsius() = 0;
    virtual std::optional<std::string> processName(std::uint32_t pid) = 0;
};

// The backend's details source (defined in platform/<os>/).
std::unique_ptr<SystemDetailsSource> createSystemDetailsSource();

} // namespace zrm58
