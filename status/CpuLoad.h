#pragma once
#include "platform/ProcessSource.h"
#include "platform/SystemTimesSource.h"
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

// The machine's processor load, and the per-process shares behind the details.
//
// The load (SampleTotalCpuUsage) is the share of the machine's whole processor capacity, all
// logical processors together, that was busy since the previous sample, from the system's own
// counters. They count whatever ran, so a process that starts and ends between two samples is
// in the figure, and a sample costs one reading whatever the number of processes.
//
// The per-process shares (ProcessSamplingStart .. ProcessSamplingEnd) are each process's share
// of the interval since its own previous sample, summed over the processes alive at both
// samples. They are taken only while something shows them (the details), since they cost a
// listing of every process.
//
// Single-threaded: module start on the main thread, every later call from the refresh tick.
namespace zrm58::uTotalCpuUsagePct {

// The busy share between two readings, in percent of all the time that passed (busy + idle).
// A counter that went back (a reset, or iowait, which the kernel may set back a little) counts
// as not having moved. std::nullopt when no time passed.
std::optional<double> busyPercentage(const MachineTimes& before, const MachineTimes& after);

// Module start: takes one reading and discards it, so the first tick measures from start-up.
// `source` must outlive the module (until ModuleEnd). A second start ends the running module
// first.
void ModuleStart(SystemTimesSource& source);
// The same, the module owning the source.
void ModuleStart(std::unique_ptr<SystemTimesSource> source);
// Module end: forgets the source and the previous reading.
void ModuleEnd();
bool ModuleStarted();

// One sample: the machine's busy share since the previous sample that read the counters,
// 0..100, not rounded. When no time passed since then, the previous figure again. 0.0 while
// the module is not started, when the counters cannot be read (the previous reading stays the
// base of the next sample), and at the first reading after start-up failed to read them.
double SampleTotalCpuUsage();
// Whether the latest reading, the one at module start included, read the counters; false
// while the module is not started.
bool LastSampleRead();

// --- The per-process shares ---

// Time values are 64-bit counts of 100-nanosecond units; only differences are used.
struct TSystemTimesRec {
    std::uint64_t KernelTime = 0; // includes the idle time
    std::uint64_t UserTime = 0;
};

struct TProcessTimesRec {
    std::uint64_t KernelTime = 0;
    std::uint64_t UserTime = 0;
};

// One process's times at its previous sample. A new record is all zero, so a process's first
// sample measures its times from zero (against the system's times since boot). A new process
// that took over the id of an ended one is measured the same way: told by a start stamp that
// changed, or by process times that went backwards, its record starts again from zero.
struct TProcessCpuUsage {
    TSystemTimesRec LastSystemTimes;
    TProcessTimesRec LastProcessTimes;
    double ProcessCPUusagePercentage = 0;      // kept for the record layout; never written or read
    std::optional<std::uint64_t> ProcessStart; // the source's start stamp at the previous sample
};

using UsageCacheMap = std::unordered_map<std::uint32_t, TProcessCpuUsage>;

// One process's share of the latest sample: the percentage of the whole machine (all logical
// processors together) that it added to that sample's sum.
struct ProcessShare {
    std::uint32_t processId = 0;
    double percentage = 0;
};

// Per-process sampling start: creates the empty usage cache, then takes one sample and
// discards it, so the first shares measure from here. `source` must outlive the sampling
// (until ProcessSamplingEnd). A second start ends the running sampling first.
void ProcessSamplingStart(ProcessSource& source);
// The same, the sampling owning the source.
void ProcessSamplingStart(std::unique_ptr<ProcessSource> source);
// Per-process sampling end: destroys the usage cache and forgets the source.
void ProcessSamplingEnd();
bool ProcessSamplingStarted();

// The usage cache, read-only (empty while the sampling is not started).
const UsageCacheMap& UsageCache();

// One sample of all processes: the sum of their percentages, neither clamped nor rounded.
// 0.0 while the sampling is not started.
double SampleProcessShares();

// The shares of the latest SampleProcessShares: one entry per listed process, in ascending id
// order, each the very percentage that was added to the sum (0 for a process that could not be
// read), so adding them up in this order gives the sample's result. Empty before the first
// sample after the sampling start (the discarded start sample leaves none), after a sample
// whose listing failed, and while the sampling is not started. The reference stays valid for
// the program's life; its contents change with the next sample. Kept without allocating once
// the process count is steady.
const std::vector<ProcessShare>& LastTickShares();

// Fills `list` (empty on entry) from a process snapshot, sorted ascending; empty when no
// snapshot could be taken.
void CollectProcessIds(std::vector<std::uint32_t>& list);
// Removes the records of ids missing from `list` (sorted ascending).
void PruneUsageCache(const std::vector<std::uint32_t>& list);
// One process's percentage since its previous sample; 0 on any failure; never negative.
double SampleProcessCpuUsage(std::uint32_t processId);
// newer - older as 64-bit two's-complement subtraction (wraps, no check).
std::int64_t FileTimeDelta(std::uint64_t newer, std::uint64_t older);

} // namespace zrm58::uTotalCpuUsagePct
