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

// One logical processor's times, in the source's own unit (only ratios are used).
// busy = total - idle; idle counts the processor's idle and I/O-wait time.
struct ProcessorTimes {
    std::uint32_t index = 0; // the processor's number (offline processors are absent)
    std::uint64_t idle = 0;
    std::uint64_t total = 0;
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
//  - processTimes: the process's own kernel and user times, summed over its threads;
//    std::nullopt on failure. Only their sum is used: a source that knows only the sum gives
//    it all as user time.
//  - processStart: a stamp of the process's start that stays the same for its whole life and
//    differs for a later process that receives the same id (Windows: the creation time; Linux:
//    a number the /proc listing gives each process, renewed when a new process holds the id).
//    Asked after processTimes answered, on the same handle.
//    std::nullopt when the source cannot tell; then only times that go backwards reveal a new
//    process on an old id. Default: std::nullopt.
class ProcessSource {
public:
    virtual ~ProcessSource() = default;
    virtual bool listProcessIds(std::vector<std::uint32_t>& ids) = 0;
    virtual std::unique_ptr<ProcessHandle> openProcess(std::uint32_t pid) = 0;
    virtual std::optional<CpuTimes> systemTimes() = 0;
    virtual std::optional<CpuTimes> processTimes(ProcessHandle& process) = 0;
    virtual std::optional<std::uint64_t> processStart(ProcessHandle& process) {
        (void)process;
        return std::nullopt;
    }

    // Brackets the calls of one load sample. Between them the source may answer every
    // systemTimes() request from a single reading (the machine's counters move in coarse steps
    // anyway). Outside a bracket every request reads afresh. Default: no effect.
    virtual void beginSample() {}
    virtual void endSample() {}

    // Per-logical-processor times, for the details panel only. While keepProcessorTimes(true)
    // is in force, the one reading behind a sample's systemTimes() also keeps the per-processor
    // figures of that same reading, and processorTimes() answers from it; before the first such
    // sample it reads them once (the baseline when the panel appears). Switched off, nothing is
    // kept or parsed. std::nullopt when unavailable. Default: never available.
    virtual void keepProcessorTimes(bool keep) { (void)keep; }
    virtual std::optional<std::vector<ProcessorTimes>> processorTimes() { return std::nullopt; }
};

} // namespace zrm58
