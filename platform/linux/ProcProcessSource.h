#pragma once
#include "platform/ProcessSource.h"

#include <cstdint>
#include <memory>

namespace zrm58 {

// Where the Linux process source takes each process's processor time from.
enum class ProcessTimesFrom {
    cpuClock, // the process CPU clock, /proc/PID/stat where the clock cannot answer
    statFile, // /proc/PID/stat only (opened, read and closed every time): the reference
};

// The process source over /proc (createSystemProcessSource gives the cpuClock one).
std::unique_ptr<ProcessSource> createProcProcessSource(ProcessTimesFrom from);

// How a source of createProcProcessSource took its listings so far: whole, or by changes
// since the one before (for tests and the benchmark). Zero for any other source.
struct ProcListingCounts {
    std::uint64_t whole = 0;
    std::uint64_t byChanges = 0;
};
ProcListingCounts procListingCounts(const ProcessSource& source);

} // namespace zrm58
