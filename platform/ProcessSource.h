#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace zrm58 {

// Processor times as one 64-bit count of 100-nanosecond units. Only differences matter.
struct CpuTimes {
    std::uint64_t kernel = 0; // system-wide: includes idle time
    std::uint64_t user = 0;
};

// An opened process. Destroying it closes it (on every path).
class ProcessHandle {
public:
    virtual ~ProcessHandle() = default;
};

// Process and processor services for the load sampler.
// Contract:
//  - listProcessIds: false when no snapshot of the processes could be taken; otherwise true
//    with `ids` holding one entry per running process, in any order (ids is empty on entry).
//  - openProcess: nullptr when the process is gone or may not be read.
//  - systemTimes: the machine's kernel (idle included) and user times, summed over all
//    logical processors; std::nullopt on failure.
//  - processTimes: the process's own kernel and user times; std::nullopt on failure.
class ProcessSource {
public:
    virtual ~ProcessSource() = default;
    virtual bool listProcessIds(std::vector<std::uint32_t>& ids) = 0;
    virtual std::unique_ptr<ProcessHandle> openProcess(std::uint32_t pid) = 0;
    virtual std::optional<CpuTimes> systemTimes() = 0;
    virtual std::optional<CpuTimes> processTimes(ProcessHandle& process) = 0;

    // Brackets the calls of one load sample. Between them the source may answer every
    // systemTimes() request from a single reading (the machine's counters move in coarse steps
    // anyway). Outside a bracket every request reads afresh. Default: no effect.
    virtual void beginSample() {}
    virtual void endSample() {}
};

} // namespace zrm58
