#include "status/CpuLoad.h"

#include <algorithm>
#include <optional>

namespace zrm58::uTotalCpuUsagePct {
namespace {

// The machine's load: the source and its previous reading.
struct Machine {
    SystemTimesSource* source = nullptr;
    std::unique_ptr<SystemTimesSource> ownedSource;
    std::optional<MachineTimes> previous; // the latest reading that succeeded
    bool lastRead = false;
    double lastFigure = 0.0;
};

Machine& machine() {
    static Machine m;
    return m;
}

// The per-process sampling.
struct Module {
    ProcessSource* source = nullptr;
    std::unique_ptr<ProcessSource> ownedSource;
    std::optional<UsageCacheMap> usageCache; // exists between module start and end
    std::vector<ProcessShare> shares;        // of the latest sample; capacity kept
    std::vector<std::uint32_t> idList;       // the sample's id list; capacity kept
    std::vector<std::uint32_t> pruneKeys;    // PruneUsageCache's copy of the keys; capacity kept
};

Module& module() {
    static Module m;
    return m;
}

// Signed 64-bit sum with two's-complement wrap (a plain signed overflow would be undefined).
std::int64_t wrappingSum(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

// (processDelta / systemDelta) * 100 in the extended format (64-bit significand on x86-64),
// each step rounded to nearest, then rounded to double.
double percentage(std::int64_t processDelta, std::int64_t systemDelta) {
    const long double quotient =
        static_cast<long double>(processDelta) / static_cast<long double>(systemDelta);
    const long double product = quotient * 100.0L;
    return static_cast<double>(product);
}

// Brackets one sample for the source, so it may answer the sample's system-time requests from
// one reading.
class SampleBracket {
public:
    explicit SampleBracket(ProcessSource& source) : source_(source) { source_.beginSample(); }
    ~SampleBracket() { source_.endSample(); }
    SampleBracket(const SampleBracket&) = delete;
    SampleBracket& operator=(const SampleBracket&) = delete;

private:
    ProcessSource& source_;
};

} // namespace

std::optional<double> busyPercentage(const MachineTimes& before, const MachineTimes& after) {
    const std::uint64_t busy = after.busy >= before.busy ? after.busy - before.busy : 0;
    const std::uint64_t idle = after.idle >= before.idle ? after.idle - before.idle : 0;
    if (busy + idle == 0) return std::nullopt;
    return static_cast<double>(static_cast<long double>(busy) * 100.0L /
                               static_cast<long double>(busy + idle));
}

void ModuleStart(SystemTimesSource& source) {
    ModuleEnd();
    machine().source = &source;
    (void)SampleTotalCpuUsage();
    machine().lastFigure = 0.0; // measured since boot: not a tick's figure
}

void ModuleStart(std::unique_ptr<SystemTimesSource> source) {
    if (!source) return;
    SystemTimesSource& ref = *source;
    ModuleStart(ref);
    machine().ownedSource = std::move(source);
}

void ModuleEnd() {
    machine() = Machine{};
}

bool ModuleStarted() {
    return machine().source != nullptr;
}

bool LastSampleRead() {
    return ModuleStarted() && machine().lastRead;
}

double SampleTotalCpuUsage() {
    Machine& m = machine();
    if (!m.source) return 0.0;
    const std::optional<MachineTimes> now = m.source->machineTimes();
    m.lastRead = now.has_value();
    if (!now) return 0.0;
    if (!m.previous) {
        m.previous = now; // the first reading: a base, no interval yet
        return 0.0;
    }
    const std::optional<double> figure = busyPercentage(*m.previous, *now);
    m.previous = now;
    if (figure) m.lastFigure = *figure;
    return m.lastFigure;
}

void ProcessSamplingStart(ProcessSource& source) {
    ProcessSamplingEnd();
    Module& m = module();
    m.source = &source;
    m.usageCache.emplace();
    (void)SampleProcessShares();
    m.shares.clear(); // measured since boot: not a tick's shares
}

void ProcessSamplingStart(std::unique_ptr<ProcessSource> source) {
    if (!source) return;
    ProcessSource& ref = *source;
    ProcessSamplingStart(ref);
    module().ownedSource = std::move(source);
}

void ProcessSamplingEnd() {
    Module& m = module();
    m.usageCache.reset();
    m.shares.clear();
    m.source = nullptr;
    m.ownedSource.reset();
}

bool ProcessSamplingStarted() {
    return module().usageCache.has_value();
}

const std::vector<ProcessShare>& LastTickShares() {
    return module().shares;
}

const UsageCacheMap& UsageCache() {
    static const UsageCacheMap none;
    const Module& m = module();
    return m.usageCache ? *m.usageCache : none;
}

std::int64_t FileTimeDelta(std::uint64_t newer, std::uint64_t older) {
    return static_cast<std::int64_t>(newer - older);
}

void CollectProcessIds(std::vector<std::uint32_t>& list) {
    if (!ProcessSamplingStarted()) return;
    if (!module().source->listProcessIds(list)) {
        list.clear(); // no snapshot: nothing of a failed listing is used
        return;
    }
    if (!std::is_sorted(list.begin(), list.end())) std::sort(list.begin(), list.end());
}

void PruneUsageCache(const std::vector<std::uint32_t>& list) {
    if (!ProcessSamplingStarted()) return;
    UsageCacheMap& cache = *module().usageCache;
    // Walk a copy of the keys: entries are removed from the map meanwhile.
    std::vector<std::uint32_t>& keys = module().pruneKeys;
    keys.clear();
    for (const auto& entry : cache)
        keys.push_back(entry.first);
    for (const std::uint32_t key : keys)
        if (!std::binary_search(list.begin(), list.end(), key)) cache.erase(key);
}

double SampleProcessCpuUsage(std::uint32_t processId) {
    double result = 0;
    if (!ProcessSamplingStarted()) return result;
    ProcessSource& source = *module().source;
    // The record exists from here on, whether or not the process can be opened.
    TProcessCpuUsage& usage = module().usageCache->try_emplace(processId).first->second;

    const std::unique_ptr<ProcessHandle> process = source.openProcess(processId);
    if (!process) return 0; // record unchanged
    // From here the handle closes on every path when `process` goes out of scope.
    const std::optional<CpuTimes> system = source.systemTimes();
    if (!system) return result; // nothing stored
    const std::int64_t systemKernelDelta =
        FileTimeDelta(system->kernel, usage.LastSystemTimes.KernelTime);
    const std::int64_t systemUserDelta =
        FileTimeDelta(system->user, usage.LastSystemTimes.UserTime);
    usage.LastSystemTimes = {system->kernel, system->user}; // stored before the process is asked

    const std::optional<CpuTimes> times = source.processTimes(*process);
    if (!times)
        return result; // the new system times stay stored, the process times keep their values
    const std::optional<std::uint64_t> start = source.processStart(*process);
    std::int64_t processDelta =
        wrappingSum(FileTimeDelta(times->kernel, usage.LastProcessTimes.KernelTime),
                    FileTimeDelta(times->user, usage.LastProcessTimes.UserTime));
    std::int64_t systemDelta = wrappingSum(systemKernelDelta, systemUserDelta);
    const bool startChanged = start && usage.ProcessStart && *start != *usage.ProcessStart;
    if (startChanged || processDelta < 0) {
        // A new process on the id of an ended one (a process's own times never go back): it
        // is measured like any new process, from zero, and never charged with the old one's.
        processDelta = wrappingSum(FileTimeDelta(times->kernel, 0), FileTimeDelta(times->user, 0));
        systemDelta = wrappingSum(FileTimeDelta(system->kernel, 0), FileTimeDelta(system->user, 0));
    }
    usage.LastProcessTimes = {times->kernel, times->user};
    usage.ProcessStart = start;

    if (systemDelta > 0 && processDelta >= 0) result = percentage(processDelta, systemDelta);
    return result;
}

double SampleProcessShares() {
    if (!ProcessSamplingStarted()) return 0.0;
    Module& m = module();
    const SampleBracket bracket(*m.source);
    std::vector<std::uint32_t>& list = m.idList;
    list.clear();
    m.shares.clear();
    double sum = 0.0;
    CollectProcessIds(list);
    PruneUsageCache(list);
    for (const std::uint32_t processId : list) { // ascending unsigned order
        const double share = SampleProcessCpuUsage(processId);
        m.shares.push_back({processId, share});
        sum = share + sum;
    }
    return sum;
}

} // namespace zrm58::uTotalCpuUsagePct
