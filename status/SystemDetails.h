#pragma once
#include "platform/ProcessSource.h"
#include "platform/SystemDetailsSource.h"
#include "status/CpuLoad.h"
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The figures behind the details panel and zrm58-line --json: per-processor load, memory
// breakdown, network rates, temperature and the busiest processes of the last tick. Nothing here
// runs unless the details are being shown.
namespace zrm58 {

// One process's share of the last tick, in percent of the whole machine: the sampler's own
// figure (uTotalCpuUsagePct::LastTickShares).
using ProcessShare = uTotalCpuUsagePct::ProcessShare;

struct ProcessorLoad {
    std::uint32_t index = 0;
    double percent = 0; // 0..100 of this one processor
};

struct NetworkRates {
    double received = 0; // bytes per second
    double sent = 0;
};

struct BusyProcess {
    std::uint32_t pid = 0;
    std::u16string name; // empty when it could not be read (the process has gone)
    double share = 0;    // percent of the whole machine
};

struct DetailsSnapshot {
    std::vector<ProcessorLoad> processors; // empty until two readings exist
    std::optional<MemoryBreakdown> memory;
    std::optional<NetworkRates> network; // std::nullopt until two readings exist
    std::optional<double> temperature;   // degrees Celsius
    std::vector<BusyProcess> busiest;    // at most five, largest share first
};

// Each processor's busy share between two readings, matched by index; processors that appear,
// vanish or whose counters did not advance are left out.
std::vector<ProcessorLoad> processorLoads(const std::vector<ProcessorTimes>& before,
                                          const std::vector<ProcessorTimes>& after);

// How far a 64-bit byte counter moved. A counter below its previous value restarted (the
// interface went down and up, or another took its place): no traffic rather than a made-up burst.
std::uint64_t counterDelta(std::uint64_t before, std::uint64_t after);

// Received and sent bytes per second between two readings over `seconds`, summed over the
// interfaces present in both. An interface is the same one while its index is the same, whatever
// its name; without an index, while its name is. One that appears (or is replaced) counts from
// its next reading; one that vanishes drops out. std::nullopt when `seconds` is not positive.
std::optional<NetworkRates> networkRates(const std::vector<InterfaceCounters>& before,
                                         const std::vector<InterfaceCounters>& after,
                                         double seconds);

// The `count` largest positive shares, largest first (equal shares: lower process id first).
std::vector<ProcessShare> busiestShares(std::vector<ProcessShare> shares, std::size_t count = 5);

// The details while they are shown. start() switches the per-processor reading on in the process
// source and takes the baselines; each update() after a tick's sample gives that tick's figures;
// stop() switches everything off again.
class SystemDetails {
public:
    SystemDetails(ProcessSource& processes, SystemDetailsSource& source);
    ~SystemDetails();
    SystemDetails(const SystemDetails&) = delete;
    SystemDetails& operator=(const SystemDetails&) = delete;

    // `nowSeconds`: a monotonic clock, the time base of the network rates.
    void start(double nowSeconds);
    void stop();
    bool running() const { return running_; }

    // The figures after a sample: `lastTickShares` are the sampler's per-process shares of that
    // sample. Names are read for the five busiest processes only.
    DetailsSnapshot update(const std::vector<ProcessShare>& lastTickShares, double nowSeconds);

private:
    ProcessSource& processes_;
    SystemDetailsSource& source_;
    bool running_ = false;
    std::optional<std::vector<ProcessorTimes>> lastProcessors_;
    std::optional<std::vector<InterfaceCounters>> lastNetwork_;
    double lastNetworkTime_ = 0;
    std::optional<NetworkRates> lastRates_; // the rate shown until the next one is due
};

} // namespace zrm58
