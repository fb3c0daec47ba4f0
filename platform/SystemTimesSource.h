#pragma once
#include <cstdint>
#include <optional>

namespace zrm58 {

// The machine's own processor counters, summed over all logical processors, in the source's
// own unit (only differences and their ratio are used): `busy` counts every moment a processor
// ran anything, `idle` every moment it did not (waiting for I/O included). They count whatever
// ran, however briefly: a process that starts and ends between two readings is in them.
struct MachineTimes {
    std::uint64_t busy = 0;
    std::uint64_t idle = 0;
};

// Contract: machineTimes gives the counters now, std::nullopt when they cannot be read. The
// counters only grow in principle; the sampler still copes with one that goes back.
class SystemTimesSource {
public:
    virtual ~SystemTimesSource() = default;
    virtual std::optional<MachineTimes> machineTimes() = 0;
};

} // namespace zrm58
