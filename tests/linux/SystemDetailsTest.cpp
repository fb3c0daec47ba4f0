// The details behind the panel: parsers on fixture files, the Linux reader on fixture trees, the
// arithmetic of loads, rates and the busiest processes, and the texts.
#include "status/SystemDetails.h"
#include "fakes/FakeProcessSource.h"
#include "fakes/FakeSystemDetailsSource.h"
#include "linux/ChildWithDeadline.h"
#include "platform/Platform.h"
#include "platform/linux/DetailsParsers.h"
#include "status/DetailsText.h"
#include "status/ProcessName.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>
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

TEST(NetworkRates, InterfacesComingGoingAndFallingBetweenTicks) {
    const auto before = procfs::parseNetDev(fixture("details/net_dev_before.txt"));
    const auto after = procfs::parseNetDev(fixture("details/net_dev_after.txt"));
    ASSERT_TRUE(before && after);
    // Over 2 s: eth0 +3000 / +1000; wg0's counters fell (a reset, no traffic counted); wlan0
    // vanished and usb0 appeared (neither counts); loopback is not there at all.
    const auto rates = networkRates(*before, *after, 2.0);
    ASSERT_TRUE(rates);
    EXPECT_DOUBLE_EQ(rates->received, 1500.0);
    EXPECT_DOUBLE_EQ(rates->sent, 500.0);
    EXPECT_FALSE(networkRates(*before, *after, 0.0));
}

// Two readings one second apart: interfaces as (name, received, sent, index).
struct InterfaceRateCase {
    const char* what;
    std::vector<InterfaceCounters> before, after;
    double received, sent;
};

void PrintTo(const InterfaceRateCase& c, std::ostream* os) {
    *os << c.what;
}

class InterfaceIdentity : public ::testing::TestWithParam<InterfaceRateCase> {};

TEST_P(InterfaceIdentity, OnlyTheSameInterfaceIsCompared) {
    const auto rates = networkRates(GetParam().before, GetParam().after, 1.0);
    ASSERT_TRUE(rates);
    EXPECT_DOUBLE_EQ(rates->received, GetParam().received);
    EXPECT_DOUBLE_EQ(rates->sent, GetParam().sent);
}

constexpr std::uint64_t k325GB = 3'250'000'000;

INSTANTIATE_TEST_SUITE_P(
    Readings, InterfaceIdentity,
    ::testing::Values(
        InterfaceRateCase{"counters reset, same index",
                          {{"veth0", k325GB, k325GB, 7}},
                          {{"veth0", 1000, 2000, 7}},
                          0,
                          0},
        InterfaceRateCase{"deleted and re-created under another index",
                          {{"veth0", k325GB, k325GB, 7}, {"eth0", 100, 100, 2}},
                          {{"veth0", 5000, 6000, 8}, {"eth0", 400, 200, 2}},
                          300,
                          100},
        InterfaceRateCase{"re-created with more traffic than the old one had",
                          {{"veth0", 1000, 1000, 7}},
                          {{"veth0", 5000, 6000, 8}},
                          0,
                          0},
        InterfaceRateCase{"two names swapped",
                          {{"veth0", 1'000'000, 0, 7}, {"veth1", k325GB, 0, 8}},
                          {{"veth0", k325GB + 300, 0, 8}, {"veth1", 1'000'000 + 200, 0, 7}},
                          500,
                          0},
        InterfaceRateCase{
            "renamed, same index", {{"eth0", 100, 100, 2}}, {{"lan0", 400, 150, 2}}, 300, 50},
        InterfaceRateCase{"no index known: its name tells",
                          {{"eth0", 100, 100, std::nullopt}},
                          {{"eth0", 400, 150, std::nullopt}},
                          300,
                          50},
        InterfaceRateCase{"an index where there was none",
                          {{"eth0", 100, 100, std::nullopt}},
                          {{"eth0", 400, 150, 2}},
                          0,
                          0}),
    [](const auto& info) {
        std::string name;
        for (const char c : std::string_view(info.param.what))
            if (std::isalnum(static_cast<unsigned char>(c))) name += c;
        return name;
    });

struct CounterCase {
    std::uint64_t before, after, delta;
};

void PrintTo(const CounterCase& c, std::ostream* os) {
    *os << c.before << " -> " << c.after;
}

class CounterDelta : public ::testing::TestWithParam<CounterCase> {};

TEST_P(CounterDelta, AFallIsAResetNeverAWrap) {
    EXPECT_EQ(counterDelta(GetParam().before, GetParam().after), GetParam().delta);
}

INSTANTIATE_TEST_SUITE_P(
    Counters, CounterDelta,
    ::testing::Values(CounterCase{100, 150, 50}, CounterCase{7, 7, 0},
                      CounterCase{4294967290u, 10, 0},   // fell below a 32-bit value: a reset
                      CounterCase{k325GB, 1'000'000, 0}, // the re-created interface's count
                      CounterCase{10000, 5, 0},          // interface restarted
                      CounterCase{5000000000ull, 100, 0},
                      CounterCase{4294967290u, 4294967306ull, 16}, // 64-bit: past 2^32 as is
                      CounterCase{18446744073709551000ull, 18446744073709551615ull, 615}));

struct IndexCase {
    const char* what;
    std::map<std::string, std::uint64_t> before, after;
    std::vector<std::pair<std::string, std::optional<std::uint64_t>>> expected;
};

void PrintTo(const IndexCase& c, std::ostream* os) {
    *os << c.what;
}

class InterfaceIndexes : public ::testing::TestWithParam<IndexCase> {};

TEST_P(InterfaceIndexes, AnInterfaceChangingWhileReadIsLeftOut) {
    std::vector<InterfaceCounters> counters{{"eth0", 1, 1, std::nullopt},
                                            {"veth0", 2, 2, std::nullopt}};
    procfs::attachInterfaceIndexes(counters, GetParam().before, GetParam().after);
    std::vector<std::pair<std::string, std::optional<std::uint64_t>>> got;
    for (const InterfaceCounters& c : counters)
        got.emplace_back(c.name, c.index);
    EXPECT_EQ(got, GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Reads, InterfaceIndexes,
    ::testing::Values(IndexCase{"steady",
                                {{"eth0", 2}, {"veth0", 7}},
                                {{"eth0", 2}, {"veth0", 7}},
                                {{"eth0", 2}, {"veth0", 7}}},
                      IndexCase{"veth0 replaced during the read",
                                {{"eth0", 2}, {"veth0", 7}},
                                {{"eth0", 2}, {"veth0", 8}},
                                {{"eth0", 2}}},
                      IndexCase{"veth0 created during the read",
                                {{"eth0", 2}},
                                {{"eth0", 2}, {"veth0", 8}},
                                {{"eth0", 2}}},
                      IndexCase{
                          "no sysfs", {}, {}, {{"eth0", std::nullopt}, {"veth0", std::nullopt}}}));

TEST(InterfaceIndexParse, AWholeNumber) {
    EXPECT_EQ(procfs::parseInterfaceIndex("7\n"), 7u);
    EXPECT_FALSE(procfs::parseInterfaceIndex("x\n"));
    EXPECT_FALSE(procfs::parseInterfaceIndex("7 8\n"));
    EXPECT_FALSE(procfs::parseInterfaceIndex(""));
}

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
    EXPECT_EQ(source->processName(4244), "two\n"); // only the kernel's line end is taken off
    EXPECT_FALSE(source->processName(4243));
    ASSERT_TRUE(source->memoryBreakdown());
    EXPECT_EQ(source->memoryBreakdown()->swapTotal, 2097152u * 1024);
    ASSERT_TRUE(source->networkCounters());
    EXPECT_EQ(source->networkCounters()->size(), 3u);
    EXPECT_FALSE(source->networkCounters()->front().index); // no net/ in that tree
    auto indexed = createLinuxSystemDetailsSource(dataDir("proc_root"), dataDir("sys_net"));
    const auto counters = indexed->networkCounters();
    ASSERT_TRUE(counters);
    std::vector<std::pair<std::string, std::optional<std::uint64_t>>> got;
    for (const InterfaceCounters& c : *counters)
        got.emplace_back(c.name, c.index);
    EXPECT_EQ(got, (std::vector<std::pair<std::string, std::optional<std::uint64_t>>>{
                       {"eth0", 2}, {"wlan0", 3}, {"wg0", std::nullopt}}));
    auto nowhere = createLinuxSystemDetailsSource(dataDir("none"), dataDir("none"));
    EXPECT_FALSE(nowhere->memoryBreakdown());
    EXPECT_FALSE(nowhere->networkCounters());
}

// --- Kernel files that are not: a FIFO where one should be ---

// A /proc and /sys/class tree made at test time with every file the reader opens, one of which
// (`fifo`, relative to the tree) is then a FIFO that nobody writes to.
struct FifoCase {
    const char* fifo;
    std::function<bool(SystemDetailsSource&)> expected; // what the reader gives meanwhile
};

void PrintTo(const FifoCase& c, std::ostream* os) {
    *os << c.fifo;
}

class FifoInTheTree : public ::testing::TestWithParam<FifoCase> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zrm58-fifo-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        const std::pair<const char*, std::string> files[] = {
            {"proc/meminfo", fixture("details/meminfo_swap.txt")},
            {"proc/net/dev", fixture("details/net_dev_before.txt")},
            {"proc/4242/comm", "spinner\n"},
            {"sys/net/eth0/ifindex", "2\n"},
            {"sys/hwmon/hwmon0/name", "coretemp\n"},
            {"sys/hwmon/hwmon0/temp1_label", "Package id 0\n"},
            {"sys/hwmon/hwmon0/temp1_input", "48000\n"},
        };
        for (const auto& [path, text] : files) {
            std::filesystem::create_directories((root / path).parent_path());
            std::ofstream(root / path) << text;
        }
        std::filesystem::remove(root / GetParam().fifo);
        ASSERT_EQ(mkfifo((root / GetParam().fifo).c_str(), 0600), 0);
    }
    void TearDown() override {
        if (!root.empty()) std::filesystem::remove_all(root);
    }
    std::filesystem::path root;
};

TEST_P(FifoInTheTree, IsNotWaitedForAndNotTakenAsAFigure) {
    const int status = zrm58::testing::runInChild([&] {
        auto source = createLinuxSystemDetailsSource(root / "proc", root / "sys");
        return GetParam().expected(*source) ? 0 : 1;
    });
    EXPECT_NE(status, zrm58::testing::kTimedOut) << "the reader waited on the FIFO";
    EXPECT_EQ(status, 0) << "the reader gave another figure";
}

INSTANTIATE_TEST_SUITE_P(
    Files, FifoInTheTree,
    ::testing::Values(
        FifoCase{"proc/meminfo", [](SystemDetailsSource& s) { return !s.memoryBreakdown(); }},
        FifoCase{"proc/net/dev", [](SystemDetailsSource& s) { return !s.networkCounters(); }},
        FifoCase{"proc/4242/comm", [](SystemDetailsSource& s) { return !s.processName(4242); }},
        FifoCase{"sys/net/eth0/ifindex",
                 [](SystemDetailsSource& s) {
                     const auto c = s.networkCounters();
                     return c && !c->empty() && c->front().name == "eth0" && !c->front().index;
                 }},
        FifoCase{"sys/hwmon/hwmon0/name",
                 [](SystemDetailsSource& s) { return !s.temperatureCelsius(); }},
        FifoCase{"sys/hwmon/hwmon0/temp1_label",
                 [](SystemDetailsSource& s) { return s.temperatureCelsius() == 48.0; }},
        FifoCase{"sys/hwmon/hwmon0/temp1_input",
                 [](SystemDetailsSource& s) { return !s.temperatureCelsius(); }}));

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
    source.network = std::vector<InterfaceCounters>{{"eth0", 1000, 0, 2}};
    source.temperature = 51.0;
    for (std::uint32_t pid = 1; pid <= 8; ++pid)
        source.names[pid] = "p" + std::to_string(pid);
    details.start(10.0);

    processes.processors = std::vector<ProcessorTimes>{{0, 100, 300}, {1, 175, 300}};
    source.network = std::vector<InterfaceCounters>{{"eth0", 3000, 512, 2}};
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
    source.network = std::vector<InterfaceCounters>{{"eth0", 1000, 0, 2}};
    details.start(10.0);
    source.network = std::vector<InterfaceCounters>{{"eth0", 1100, 0, 2}};
    EXPECT_FALSE(details.update({}, 10.01).network); // 100 bytes in 10 ms is no rate to show
    const DetailsSnapshot d = details.update({}, 11.0);
    ASSERT_TRUE(d.network);
    EXPECT_DOUBLE_EQ(d.network->received, 100.0); // over the whole second since the baseline
}

TEST_F(DetailsFixture, ShortIntervalsKeepShowingTheLatestRate) {
    source.network = std::vector<InterfaceCounters>{{"eth0", 1000, 0, 2}};
    details.start(10.0);
    source.network = std::vector<InterfaceCounters>{{"eth0", 2000, 0, 2}};
    ASSERT_TRUE(details.update({}, 10.5).network); // 2000 B/s
    // Ticks 40 ms apart: the rate shown stays until a tenth of a second has passed.
    const double ticks[] = {10.54, 10.58, 10.62};
    const std::uint64_t counts[] = {2100, 2200, 2300};
    for (int i = 0; i < 3; ++i) {
        source.network = std::vector<InterfaceCounters>{{"eth0", counts[i], 0, 2}};
        const auto rates = details.update({}, ticks[i]).network;
        ASSERT_TRUE(rates) << ticks[i];
        const double expected = i < 2 ? 2000.0 : 300.0 / 0.12;
        EXPECT_NEAR(rates->received, expected, 1e-6) << ticks[i];
    }
    details.stop();
    details.start(20.0); // a new showing starts without a rate
    EXPECT_FALSE(details.update({}, 20.05).network);
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

// --- Process names: any user names their process ---

struct NameCase {
    const char* what;
    std::string bytes;
    std::u16string shown;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.what;
}

class ProcessNameShown : public ::testing::TestWithParam<NameCase> {};

TEST_P(ProcessNameShown, IntactCharactersKeptAnythingThatMovesTheTextReplaced) {
    EXPECT_EQ(processNameText(GetParam().bytes), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ProcessNameShown,
    ::testing::Values(
        NameCase{"plain", "café-🚀", u"café-🚀"},
        // The kernel keeps 15 bytes: "ab", four 3-byte characters and the first byte of a fifth.
        NameCase{"cut inside a character", "ab\u3042\u3044\u3046\u3048\xE3",
                 u"ab\u3042\u3044\u3046\u3048\uFFFD"},
        NameCase{"cut after two bytes of four", "x\xF0\x9F", u"x\uFFFD"},
        NameCase{"stray bytes",
                 "a\xFF\xFE"
                 "b\x80",
                 u"a\uFFFD\uFFFDb\uFFFD"},
        NameCase{"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        NameCase{"a fake row", "x\n 99%  sshd (1)", u"x\uFFFD 99%  sshd (1)"},
        NameCase{"controls", "\x1B[2J\t\r\x7F\xC2\x85", u"\uFFFD[2J\uFFFD\uFFFD\uFFFD\uFFFD"},
        NameCase{"line and paragraph separators", "a\u2028b\u2029c", u"a\uFFFDb\uFFFDc"},
        NameCase{"right-to-left override", "ab\u202Edc", u"ab\uFFFDdc"},
        NameCase{"bidirectional marks and isolates", "\u200F\u2066a\u2069\u061C",
                 u"\uFFFD\uFFFDa\uFFFD\uFFFD"},
        NameCase{"invisible format characters", "s\u200Bsh\uFEFFd\u00AD",
                 u"s\uFFFDsh\uFFFDd\uFFFD"},
        NameCase{"joiners stay", "\U0001F468\u200D\U0001F4BB", u"\U0001F468\u200D\U0001F4BB"}));

TEST_F(DetailsFixture, ASpoofingNameStaysInItsRowAndCannotTurnTheFiguresAround) {
    source.names[7] = "x\n 99%  sshd (1)";
    source.names[8] = "\u202E\u2067abc";
    details.start(0.0);
    const DetailsSnapshot d = details.update({{7, 50.0}, {8, 25.0}}, 1.0);
    const auto lines = details::detailsLines(d, u'.');
    for (const auto& line : lines)
        for (const char16_t c : line)
            EXPECT_TRUE(c != u'\n' && c != u'\u2028' && c != u'\u202E' && c != u'\u2067');
    // Each name sits in its own direction isolate (FSI ... PDI), so it cannot move its pid.
    EXPECT_EQ(lines.end()[-2], u"   50%  \u2068x\uFFFD 99%  sshd (1)\u2069 (7)");
    EXPECT_EQ(lines.end()[-1], u"   25%  \u2068\uFFFD\uFFFDabc\u2069 (8)");
}

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
    EXPECT_NE(all.find(u" 50%  \u2068spinner\u2069 (4242)"), std::u16string::npos);
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
