#include "status/SystemDetails.h"
#include "status/ProcessName.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace zrm58 {
namespace {

constexpr double kShortestRateInterval = 0.1; // seconds

} // namespace

std::vector<ProcessorLoad> processorLoads(const std::vector<ProcessorTimes>& before,
                                          const std::vector<ProcessorTimes>& after) {
    std::unordered_map<std::uint32_t, const ProcessorTimes*> previous;
    for (const ProcessorTimes& p : before)
        previous.emplace(p.index, &p);
    std::vector<ProcessorLoad> loads;
    loads.reserve(after.size());
    for (const ProcessorTimes& now : after) {
        const auto it = previous.find(now.index);
        if (it == previous.end()) continue;
        const ProcessorTimes& then = *it->second;
        if (now.total <= then.total || now.idle < then.idle) continue; // no progress or reset
        const double total = static_cast<double>(now.total - then.total);
        const double idle = std::min(total, static_cast<double>(now.idle - then.idle));
        loads.push_back(ProcessorLoad{now.index, (total - idle) / total * 100.0});
    }
    return loads;
}

std::uint64_t counterDelta(std::uint64_t before, std::uint64_t after) {
    return after >= before ? after - before : 0;
}

std::optional<NetworkRates> networkRates(const std::vector<InterfaceCounters>& before,
                                         const std::vector<InterfaceCounters>& after,
                                         double seconds) {
    if (!(seconds > 0)) return std::nullopt;
    // The index where there is one (a name can pass to another interface), else the name.
    using Key = std::pair<std::optional<std::uint64_t>, std::string>;
    const auto key = [](const InterfaceCounters& c) {
        return c.index ? Key{c.index, {}} : Key{std::nullopt, c.name};
    };
    std::map<Key, const InterfaceCounters*> previous;
    for (const InterfaceCounters& c : before)
        previous.emplace(key(c), &c);
    std::uint64_t received = 0, sent = 0;
    for (const InterfaceCounters& now : after) {
        const auto it = previous.find(key(now));
        if (it == previous.end()) continue;
        received += counterDelta(it->second->received, now.received);
        sent += counterDelta(it->second->sent, now.sent);
    }
    return NetworkRates{static_cast<double>(received) / seconds,
                        static_cast<double>(sent) / seconds};
}

std::vector<ProcessShare> busiestShares(std::vector<ProcessShare> shares, std::size_t count) {
    std::erase_if(shares, [](const ProcessShare& s) { return !(s.percentage > 0); });
    const auto larger = [](const ProcessShare& a, const ProcessShare& b) {
        return a.percentage != b.percentage ? a.percentage > b.percentage
                                            : a.processId < b.processId;
    };
    const std::size_t n = std::min(count, shares.size());
    std::partial_sort(shares.begin(), shares.begin() + static_cast<std::ptrdiff_t>(n), shares.end(),
                      larger);
    shares.resize(n);
    return shares;
}

SystemDetails::SystemDetails(ProcessSource& processes, SystemDetailsSource& source)
    : processes_(processes), source_(source) {}

SystemDetails::~SystemDetails() {
    stop();
}

void SystemDetails::start(double nowSeconds) {
    if (running_) return;
    running_ = true;
    processes_.keepProcessorTimes(true);
    lastProcessors_ = processes_.processorTimes();
    lastNetwork_ = source_.networkCounters();
    lastNetworkTime_ = nowSeconds;
}

void SystemDetails::stop() {
    if (!running_) return;
    running_ = false;
    processes_.keepProcessorTimes(false);
    lastProcessors_.reset();
    lastNetwork_.reset();
    lastRates_.reset();
}

DetailsSnapshot SystemDetails::update(const std::vector<ProcessShare>& lastTickShares,
                                      double nowSeconds) {
    DetailsSnapshot d;
    if (!running_) return d;

    auto processors = processes_.processorTimes();
    if (processors && lastProcessors_) d.processors = processorLoads(*lastProcessors_, *processors);
    if (processors) lastProcessors_ = std::move(processors);

    d.memory = source_.memoryBreakdown();

    // A rate over a moment (an update right after start, or ticks closer than that) would be
    // noise: the baseline stays until a tenth of a second has passed, and the rate last shown
    // stands meanwhile.
    if (nowSeconds - lastNetworkTime_ >= kShortestRateInterval || !lastNetwork_) {
        auto network = source_.networkCounters();
        if (!network)
            lastRates_.reset(); // a failed read shows no figure, not an old one
        else if (lastNetwork_)
            lastRates_ = networkRates(*lastNetwork_, *network, nowSeconds - lastNetworkTime_);
        if (network) {
            lastNetwork_ = std::move(network);
            lastNetworkTime_ = nowSeconds;
        }
    }
    d.network = lastRates_;

    d.temperature = source_.temperatureCelsius();

    for (const ProcessShare& s : busiestShares(lastTickShares)) {
        const auto name = source_.processName(s.processId);
        d.busiest.push_back(BusyProcess{
            s.processId, name ? processNameText(*name) : std::u16string(), s.percentage});
    }
    return d;
}

} // namespace zrm58
