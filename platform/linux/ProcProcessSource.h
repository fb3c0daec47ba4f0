#pragma once
#include "platform/ProcessSource.h"

#include <memory>

namespace zrm58 {

// Where the Linux process source takes each process's processor time from.
enum class ProcessTimesFrom {
    cpuClock, // the process CPU clock, /proc/PID/stat where the clock cannot answer
    statFile, // /proc/PID/stat only (opened, read and closed every time): the reference
};

// The process source over /proc (createSystemProcessSource gives the cpuClock one).
std::unique_ptr<ProcessSource> createProcProcessSource(ProcessTimesFrom from);

} // namespace zrm58
