// The details behind the panel: parsers on fixture files, the Linux reader on fixture trees, the
// arithmetic of loads, rates and the busiest processes, and the texts.
#include "status/SystemDetails.h"
#include "fakes/FakeProcessSource.h"
#include "fakes/FakeSystemDetailsSource.h"
#include "platform/Platform.h"
#include "platform/linux/DetailsParsers.h"
#include "status/DetailsText.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

using namespace zrm58;

namespace {

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(ZRM58_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string dataDir(const std::string& name) {
    return std::string(ZRM58_TEST_DATA) + "/details/" + name;
}

// --- /proc/stat per-processor lines ---

struct ProcessorCase {
    const char* file;
    std::size_t count;
    std::uint32_t lastIndex;
    std::uint64_t lastIdle, lastTotal;
};

class ProcessorTimesParse : public ::testing::TestWithParam<ProcessorCase> {};

TEST_P(ProcessorTimesParse, TakesEveryCpuNLineAndNotTheMachineLine) {
    const ProcessorCase& c = GetParam();
    const auto times = procfs::parseProcessorTimes(fixture(c.file));
    ASSERT_TRUE(times);
    ASSERT_EQ(times->size(), c.count);
    EXPECT_EQ(times->back().index, c.lastIndex);
    EXPECT_EQ(times->back().idle, c.lastIdle);
    EXPECT_EQ(times->back().total, c.lastTotal);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, ProcessorTimesParse,
    ::testing::Values(ProcessorCase{"details/stat_one_cpu.txt", 1, 0, 850, 1000},
                      ProcessorCase{"proc/stat_modern.txt", 2, 1, 68725 + 333,
                                    8678 + 1792 + 68725 + 333 + 45 + 3},
                      // cpu63 has only the first four fields (an old kernel's line).
                      ProcessorCase{"details/stat_64_cpus.txt", 64, 63, 1000, 1630},
                      // An offline processor leaves a gap in the numbers.
                      ProcessorCase{"details/stat_offline_cpu.txt", 2, 2, 850, 1000}));

TEST(ProcessorTimesParse, NoProcessorLineIsNoReading) {
    EXPECT_FALSE(procfs::parseProcessorTimes("cpu  1 2 3 4\nintr 5\n"));
    EXPECT_FALSE(procfs::parseProcessorTimes(""));
    EXPECT_FALSE(procfs::parseProcessorTimes("cpu0 1 2\n")); // too few fields
}

// --- /proc/meminfo ---

struct MemoryCase {
    const char* file;
    std::uint64_t totalKb, availableKb, cacheKb, swapTotalKb, swapFreeKb;
};

class MemoryBreakdownParse : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(MemoryBreakdownParse, ReadsTheFiveFigures) {
    const MemoryCase& c = GetParam();
    const auto m = procfs::parseMemoryBreakdown(fixture(c.file));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->total, c.totalKb * 1024);
    EXPECT_EQ(m->available, c.availableKb * 1024);
    EXPECT_EQ(m->cacheAndBuffers, c.cacheKb * 1024);
    EXPECT_EQ(m->swapTotal, c.swapTotalKb * 1024);
    EXPECT_EQ(m->swapFree, c.swapFreeKb * 1024);
}

INSTANTIATE_TEST_SUITE_P(Machines, MemoryBreakdownParse,
                         ::testing::Values(MemoryCase{"details/meminfo_no_swap.txt", 4045764,
                                                      2861716, 94296 + 2452108 + 163840, 0, 0},
                                           MemoryCase{"details/meminfo_swap.txt", 16303000, 9173504,
                                                      524288 + 4194304 + 524288, 2097152,
                                                      1572864}));

TEST(MemoryBreakdownParse, MissingTotalIsNoReading) {
    EXPECT_FALSE(procfs::parseMemoryBreakdown("MemFree: 5 kB\n"));
    EXPECT_FALSE(procfs::parseMemoryBreakdown(""));
}

// --- /proc/net/dev and the rates ---

TEST(NetDevParse, EveryInterfaceButLoopback) {
    const auto c = procfs::parseNetDev(fixture("details/net_dev_before.txt"));
    ASSERT_TRUE(c);
    ASSERT_EQ(c->size(), 3u);
    EXPECT_EQ((*c)[0].name, "eth0");
    EXPECT_EQ((*c)[0].received, 10000u);
    EXPECT_EQ((*c)[0].sent, 5000u);
    EXPECT_EQ((*c)[2].name, "wg0");
    EXPECT_EQ((*c)[2].received, 4294967000u);
    EXPECT_FALSE(procfs::parseNetDev("eth0: 1 2 3\n")); // not that file
}

TEST(NetworkRates, InterfacesComingGoingAndWrappingBetweenTicks) {
    const auto before = procfs::parseNetDev(fixture("details/net_dev_before.txt"));
    const auto after = procfs::parseNetDev(fixture("details/net_dev_after.txt"));
    ASSERT_TRUE(before && after);
    // Over 2 s: eth0 +3000 / +1000; wg0 wrapped at 32 bits, +1000 / +2000; wlan0 vanished and
    // usb0 appeared (neither counts); loopback is not there at all.
    const auto rates = networkRates(*before, *after, 2.0);
    ASSERT_TRUE(rates);
    EXPECT_DOUBLE_EQ(rates->received, 2000.0);
    EXPECT_DOUBLE_EQ(rates->sent, 1500.0);
    EXPECT_FALSE(networkRates(*before, *after, 0.0));
}

struct CounterCase {
    std::uint64_t before, after, delta;
};

class CounterDelta : public ::testing::TestWithParam<CounterCase> {};

TEST_P(CounterDelta, WrapsAt32BitsAndTreatsARestartAsNothing) {
    EXPECT_EQ(counterDelta(GetParam().before, GetParam().after), GetParam().delta);
}

INSTANTIATE_TEST_SUITE_P(
    Counters, CounterDelta,
    ::testing::Values(CounterCase{100, 150, 50}, CounterCase{7, 7, 0},
                      CounterCase{4294967290u, 10, 16},   // 32-bit wrap
                      CounterCase{10000, 5, 0},           // interface restarted
                      CounterCase{5000000000ull, 100, 0}, // 64-bit counter restarted
                      CounterCase{18446744073709551000ull, 18446744073709551615ull, 615}));

// --- Per-processor loads ---

TEST(ProcessorLoads, OneBusyProcessorAmongSixtyFour) {
    const auto before = procfs::parseProcessorTimes(fixture("details/stat_64_cpus.txt"));
    ASSERT_TRUE(before);
    auto after = *before;
    for (ProcessorTimes& p : after) {
        p.total += 100;
        p.idle += p.index == 17 ? 0 : 100; // cpu17 busy all the time, the others idle
    }
    after.pop_back();                            // cpu63 went offline
    after.push_back(ProcessorTimes{64, 0, 100}); // cpu64 came online
    const auto loads = processorLoads(*before, after);
    ASSERT_EQ(loads.size(), 63u);
    for (const ProcessorLoad& l : loads)
        EXPECT_DOUBLE_EQ(l.percent, l.index == 17 ? 100.0 : 0.0) << l.index;
}

TEST(ProcessorLoads, CountersThatDidNotAdvanceGiveNoFigure) {
    const std::vector<ProcessorTimes> t{{0, 500, 1000}};
    EXPECT_TRUE(processorLoads(t, t).empty());
    EXPECT_TRUE(processorLoads(t, {{0, 100, 200}}).empty()); // counters restarted
    const auto half = processorLoads(t, {{0, 550, 1100}});
    ASSERT_EQ(half.size(), 1u);
    EXPECT_DOUBLE_EQ(half[0].percent, 50.0);
}

// --- The busiest processes ---

TEST(BusiestShares, FiveLargestPositiveSharesLargestFirst) {
    const std::vector<ProcessShare> shares{{1, 0.0}, {2, 3.0},  {3, 50.0}, {4, -2.0},
                                           {5, 3.0}, {6, 10.0}, {7, 1.0},  {8, 0.5}};
    const auto top = busiestShares(shares);
    std::vector<std::uint32_t> pids;
    for (const ProcessShare& s : top)
        pids.push_back(s.processId);
    EXPECT_EQ(pids, (std::vector<std::uint32_t>{3, 6, 2, 5, 7}));
    EXPECT_EQ(busiestShares({{1, 0.0}, {2, -1.0}}).size(), 0u);
}

// --- Temperature on fixture trees ---

struct TemperatureCase {
    const char* root;
    std::optional<double> celsius;
};

class Temperature : public ::testing::TestWithParam<TemperatureCase> {};

TEST_P(Temperature, PackageElseHottestProcessorSensorElseNone) {
    auto source = createLinuxSystemDetailsSource(dataDir("proc_root"), dataDir(GetParam().root));
    EXPECT_EQ(source->temperatureCelsius(), GetParam().celsius);
    EXPECT_EQ(source->temperatureCelsius(), GetParam().celsius); // from the remembered sensors
}

INSTANTIATE_TEST_SUITE_P(
    Trees, Temperature,
    ::testing::Values(TemperatureCase{"sys_coretemp", 48.0}, // package, not the hotter core/nvme
                      TemperatureCase{"sys_k10temp", 41.5},  // Tdie, not the offset Tctl
                      TemperatureCase{"sys_zones", 47.75},   // hottest cpu zone; faulty one out
                      TemperatureCase{"sys_none", std::nullopt},
                      TemperatureCase{"no_such_tree", std::nullopt}));

TEST(LinuxDetailsSource, ReadsUnderTheGivenRoots) {
    auto source = createLinuxSystemDetailsSource(dataDir("proc_root"), dataDir("sys_none"));
    EXPECT_EQ(source->processName(4242), "spinner");
    EXPECT_FALSE(source->processName(4243));
    ASSERT_TRUE(source->memoryBreakdown());
    EXPECT_EQ(source->memoryBreakdown()->swapTotal, 2097152u * 1024);
    ASSERT_TRUE(source->networkCounters());
    EXPECT_EQ(source->networkCounters()->size(), 3u);
    auto nowhere = createLinuxSystemDetailsSource(dataDir("none"), dataDir("none"));
    EXPECT_FALSE(nowhere->memoryBreakdown());
    EXPECT_FALSE(nowhere->networkCounters());
}

// --- The details while shown ---

struct DetailsFixture : ::testing::Test {
    fakes::FakeProcessSource processes;
    fakes::FakeSystemDetailsSource source;
    SystemDetails details{processes, source};
};

TEST_F(DetailsFixture, NothingIsReadUntilStartedAndAfterStop) {
    EXPECT_TRUE(details.update({{7, 50.0}}, 1.0).busiest.empty());
    EXPECT_TRUE(processes.calls.empty());
    EXPECT_TRUE(source.calls.empty());
    details.start(0.0);
    EXPECT_TRUE(processes.keepingProcessors);
    details.stop();
    EXPECT_FALSE(processes.keepingProcessors);
    processes.calls.clear();
    source.calls.clear();
    (void)details.update({{7, 50.0}}, 2.0);
    EXPECT_TRUE(processes.calls.empty());
    EXPECT_TRUE(source.calls.empty());
}

TEST_F(DetailsFixture, FiguresOfATickAndNamesOfTheFiveBusiestOnly) {
    processes.processors = std::vector<ProcessorTimes>{{0, 100, 200}, {1, 100, 200}};
    source.network = std::vector<InterfaceCounters>{{"eth0", 1000, 0}};
    source.temperature = 51.0;
    for (std::uint32_t pid = 1; pid <= 8; ++pid)
        source.names[pid] = "p" + std::to_string(pid);
    details.start(10.0);

    processes.processors = std::vector<ProcessorTimes>{{0, 100, 300}, {1, 175, 300}};
    source.network = std::vector<InterfaceCounters>{{"eth0", 3000, 512}};
    source.names.erase(2); // gone before its name was read
    std::vector<ProcessShare> shares;
    for (std::uint32_t pid = 1; pid <= 8; ++pid)
        shares.push_back({pid, static_cast<double>(pid)});
    source.calls.clear();
    const DetailsSnapshot d = details.update(shares, 12.0);

    ASSERT_EQ(d.processors.size(), 2u);
    EXPECT_DOUBLE_EQ(d.processors[0].percent, 100.0);
    EXPECT_DOUBLE_EQ(d.processors[1].percent, 25.0);
    ASSERT_TRUE(d.network);
    EXPECT_DOUBLE_EQ(d.network->received, 1000.0);
    EXPECT_DOUBLE_EQ(d.network->sent, 256.0);
    EXPECT_EQ(d.temperature, 51.0);
    ASSERT_EQ(d.busiest.size(), 5u);
    EXPECT_EQ(d.busiest[0].pid, 8u);
    EXPECT_EQ(d.busiest[0].name, u"p8");
    const std::vector<std::string> names(source.calls.end() - 5, source.calls.end());
    EXPECT_EQ(names, (std::vector<std::string>{"name 8", "name 7", "name 6", "name 5", "name 4"}));
}

TEST_F(DetailsFixture, ARateOverAMomentIsNotGivenTheBaselineWaits) {
    source.network = std::vector<InterfaceCounters>{{"eth0", 1000, 0}};
    details.start(10.0);
    source.network = std::vector<InterfaceCounters>{{"eth0", 1100, 0}};
    EXPECT_FALSE(details.update({}, 10.01).network); // 100 bytes in 10 ms is no rate to show
    const DetailsSnapshot d = details.update({}, 11.0);
    ASSERT_TRUE(d.network);
    EXPECT_DOUBLE_EQ(d.network->received, 100.0); // over the whole second since the baseline
}

TEST_F(DetailsFixture, FailingReadsLeaveTheirFigureOut) {
    source.memory = std::nullopt;
    source.network = std::nullopt;
    details.start(0.0); // processors unavailable too
    const DetailsSnapshot d = details.update({}, 1.0);
    EXPECT_TRUE(d.processors.empty());
    EXPECT_FALSE(d.memory);
    EXPECT_FALSE(d.network);
    EXPECT_FALSE(d.temperature);
    const auto lines = details::detailsLines(d, u'.');
    for (const auto& line : lines)
        EXPECT_EQ(line.find(u"°C"), std::u16string::npos);
}

// --- Texts ---

struct RateCase {
    double bytesPerSecond;
    const char16_t* text;
};

class RateText : public ::testing::TestWithParam<RateCase> {};

TEST_P(RateText, UnitAsFits) {
    EXPECT_EQ(details::formatRate(GetParam().bytesPerSecond, u','), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Rates, RateText,
                         ::testing::Values(RateCase{0, u"0 B/s"}, RateCase{1023.9, u"1023 B/s"},
                                           RateCase{1024, u"1,0 KiB/s"},
                                           RateCase{1536, u"1,5 KiB/s"},
                                           RateCase{1048576.0 * 12.25, u"12,3 MiB/s"}));

TEST(LoadClass, FiveStepsAtTheGlyphsBoundaries) {
    const std::pair<int, const char*> cases[] = {
        {-3, "idle"},   {20, "idle"}, {21, "low"},  {40, "low"},  {41, "medium"},
        {60, "medium"}, {61, "high"}, {80, "high"}, {81, "busy"}, {101, "busy"}};
    for (const auto& [p, name] : cases)
        EXPECT_STREQ(details::loadClass(p), name) << p;
}

TEST(DetailsLines, MemoryInTheLinesUnitsAndNoSwapSaidSo) {
    DetailsSnapshot d;
    d.memory = procfs::parseMemoryBreakdown(fixture("details/meminfo_no_swap.txt"));
    d.processors = {{0, 62.5}, {1, 7.5}};
    d.busiest = {{4242, u"spinner", 50.0}, {9, u"", 12.5}};
    const auto lines = details::detailsLines(d, u',');
    std::u16string all;
    for (const auto& l : lines)
        all += l + u"\n";
    EXPECT_NE(all.find(u"  0: 62%  1:  8%"), std::u16string::npos);
    // in use = 4045764 - 2861716 kB = 1156.3 MiB -> 1156 MiB -> 1,1 GiB.
    EXPECT_NE(all.find(u"使用中 1,1 GiB"), std::u16string::npos);
    EXPECT_NE(all.find(u"スワップ  なし"), std::u16string::npos);
    EXPECT_NE(all.find(u" 50%  spinner (4242)"), std::u16string::npos);
    EXPECT_NE(all.find(u" 12%  ? (9)"), std::u16string::npos);
}

} // namespace

namespace {

TEST(ProcSourceLive, KeepsEveryOnlineProcessorOnlyWhileAsked) {
    auto source = zrm58::createSystemProcessSource();
    EXPECT_FALSE(source->processorTimes());
    source->keepProcessorTimes(true);
    source->beginSample();
    ASSERT_TRUE(source->systemTimes());
    source->endSample();
    const auto times = source->processorTimes();
    ASSERT_TRUE(times);
    EXPECT_EQ(times->size(), static_cast<std::size_t>(sysconf(_SC_NPROCESSORS_ONLN)));
    source->keepProcessorTimes(false);
    EXPECT_FALSE(source->processorTimes());
}

} // namespace
