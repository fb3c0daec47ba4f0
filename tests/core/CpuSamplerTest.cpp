// The load sampler driven by a scripted process source: every failure path, the order of the
// stores, pruning, and exact percentages.
#include "fakes/FakeProcessSource.h"
#include "status/CpuLoad.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace zrm58 {
namespace {

namespace cpu = uTotalCpuUsagePct;
using fakes::FakeProcessSource;
using Calls = std::vector<std::string>;

std::vector<std::uint32_t> cachedIds() {
    std::vector<std::uint32_t> ids;
    for (const auto& entry : cpu::UsageCache())
        ids.push_back(entry.first);
    std::sort(ids.begin(), ids.end());
    return ids;
}

const cpu::TProcessCpuUsage& record(std::uint32_t pid) {
    return cpu::UsageCache().at(pid);
}

class CpuSamplerTest : public ::testing::Test {
protected:
    void TearDown() override { cpu::ProcessSamplingEnd(); }
    FakeProcessSource src;
};

TEST(FileTimeDeltaTest, WrapsAsTwosComplement) {
    struct Row {
        std::uint64_t newer, older;
        std::int64_t delta;
    };
    const Row rows[] = {
        {5, 3, 2},
        {3, 5, -2},                            // older is larger: negative
        {0, 1, -1},                            // wraps below zero
        {0x8000000000000000ULL, 0, INT64_MIN}, // read as signed
        {0, 0x8000000000000000ULL, INT64_MIN}, // wraps both ways
        {UINT64_MAX, 0, -1},
    };
    for (const Row& r : rows)
        EXPECT_EQ(cpu::FileTimeDelta(r.newer, r.older), r.delta) << r.newer << " - " << r.older;
}

TEST_F(CpuSamplerTest, StartTakesOneDiscardedSampleSoTheFirstTickMeasuresFromStart) {
    src.setProcesses({3, 1}, {10, 10});
    src.system = CpuTimes{1000, 1000};
    cpu::ProcessSamplingStart(src);
    EXPECT_EQ((Calls{"begin", "list", "open 1", "system", "times 1", "close 1", "open 3", "system",
                     "times 3", "close 3", "end"}),
              src.calls);
    EXPECT_EQ(record(1).LastSystemTimes.KernelTime, 1000u);
    EXPECT_EQ(record(3).LastProcessTimes.UserTime, 10u);

    // 1000 units of machine time pass; process 1 uses 250 of them, process 3 uses 125.
    src.system = CpuTimes{1600, 1400};
    src.processes[1].times = CpuTimes{110, 160};
    src.processes[3].times = CpuTimes{80, 65};
    EXPECT_EQ(cpu::SampleProcessShares(), 25.0 + 12.5);
    EXPECT_EQ(src.openHandles, 0);
}

TEST_F(CpuSamplerTest, LastTickSharesAreTheAddendsOfTheSum) {
    src.setProcesses({3, 1, 2}, {10, 10});
    src.system = CpuTimes{1000, 1000};
    cpu::ProcessSamplingStart(src);
    EXPECT_TRUE(cpu::LastTickShares().empty()) << "the start sample measures since boot";

    // 1000 units pass: 1 uses 250, 2 cannot be opened, 3 uses 125.
    src.system = CpuTimes{1600, 1400};
    src.processes[1].times = CpuTimes{110, 160};
    src.processes[2].openable = false;
    src.processes[3].times = CpuTimes{80, 65};
    const double sum = cpu::SampleProcessShares();
    const std::vector<cpu::ProcessShare>& shares = cpu::LastTickShares();
    ASSERT_EQ(shares.size(), 3u);
    const std::uint32_t ids[] = {1, 2, 3};
    const double percentages[] = {25.0, 0.0, 12.5};
    double again = 0;
    for (std::size_t i = 0; i < shares.size(); ++i) {
        EXPECT_EQ(shares[i].processId, ids[i]);
        EXPECT_EQ(shares[i].percentage, percentages[i]);
        again = shares[i].percentage + again;
    }
    EXPECT_EQ(again, sum);

    // Same process count: the same storage, refilled in place.
    const cpu::ProcessShare* storage = shares.data();
    src.system = CpuTimes{2100, 1900};
    cpu::SampleProcessShares();
    EXPECT_EQ(cpu::LastTickShares().data(), storage);
    EXPECT_EQ(cpu::LastTickShares()[0].percentage, 0.0);

    src.snapshotFails = true;
    EXPECT_EQ(cpu::SampleProcessShares(), 0.0);
    EXPECT_TRUE(cpu::LastTickShares().empty());
    src.snapshotFails = false;
    cpu::SampleProcessShares();
    EXPECT_EQ(cpu::LastTickShares().size(), 3u);
    cpu::ProcessSamplingEnd();
    EXPECT_TRUE(cpu::LastTickShares().empty());
}

TEST_F(CpuSamplerTest, NotStartedSamplesNothing) {
    EXPECT_FALSE(cpu::ProcessSamplingStarted());
    EXPECT_EQ(cpu::SampleProcessShares(), 0.0);
    EXPECT_EQ(cpu::SampleProcessCpuUsage(1), 0.0);
    EXPECT_TRUE(cpu::UsageCache().empty());
    EXPECT_TRUE(src.calls.empty());
}

TEST_F(CpuSamplerTest, OwnedSourceLivesUntilModuleEnd) {
    auto owned = std::make_unique<FakeProcessSource>();
    owned->setProcesses({9}, {0, 0});
    cpu::ProcessSamplingStart(std::move(owned));
    EXPECT_EQ(cachedIds(), std::vector<std::uint32_t>{9});
    EXPECT_EQ(cpu::SampleProcessShares(), 0.0);
    cpu::ProcessSamplingEnd();
    EXPECT_FALSE(cpu::ProcessSamplingStarted());
    EXPECT_TRUE(cpu::UsageCache().empty());
}

// Process 7 has a stored record (system {100, 50}, process {20, 5}); one scripted change, then
// SampleProcessCpuUsage(7). Each row is one path through it.
struct ProcessRow {
    const char* path;
    bool openable;
    std::optional<CpuTimes> system;
    std::optional<CpuTimes> times;
    double result;
    CpuTimes storedSystem;
    CpuTimes storedProcess;
    Calls calls;
    std::optional<std::uint64_t> start = 1; // the process's start stamp; 1 at the stored sample
};

const Calls fullRoad{"open 7", "system", "times 7", "close 7"};

const ProcessRow processRows[] = {
    // system delta 200 + 200, process delta 50 + 50
    {"both times read",
     true,
     CpuTimes{300, 250},
     CpuTimes{70, 55},
     25.0,
     {300, 250},
     {70, 55},
     fullRoad},
    {"open fails: record unchanged, nothing else asked",
     false,
     CpuTimes{300, 250},
     CpuTimes{70, 55},
     0.0,
     {100, 50},
     {20, 5},
     {"open 7"}},
    {"system times fail: nothing stored",
     true,
     std::nullopt,
     CpuTimes{70, 55},
     0.0,
     {100, 50},
     {20, 5},
     {"open 7", "system", "close 7"}},
    {"process times fail: system times already stored",
     true,
     CpuTimes{300, 250},
     std::nullopt,
     0.0,
     {300, 250},
     {20, 5},
     fullRoad},
    {"zero system delta: both stored",
     true,
     CpuTimes{100, 50},
     CpuTimes{70, 55},
     0.0,
     {100, 50},
     {70, 55},
     fullRoad},
    {"negative system delta: both stored",
     true,
     CpuTimes{90, 40},
     CpuTimes{70, 55},
     0.0,
     {90, 40},
     {70, 55},
     fullRoad},
    {"kernel up, user down, sum zero: both stored",
     true,
     CpuTimes{150, 0},
     CpuTimes{70, 55},
     0.0,
     {150, 0},
     {70, 55},
     fullRoad},
    // An id taken over by a new process is a new process: measured from zero (550 units of
    // system time since boot), never against the old process's times.
    {"reused id, times went backwards (25 to 11): measured from zero",
     true,
     CpuTimes{300, 250},
     CpuTimes{11, 0},
     2.0,
     {300, 250},
     {11, 0},
     fullRoad},
    {"reused id, times went back to zero: share 0, not negative",
     true,
     CpuTimes{300, 250},
     CpuTimes{0, 0},
     0.0,
     {300, 250},
     {0, 0},
     fullRoad},
    {"reused id told by its new start stamp although its times grew",
     true,
     CpuTimes{300, 250},
     CpuTimes{110, 0},
     20.0,
     {300, 250},
     {110, 0},
     fullRoad,
     2},
    {"source cannot tell the start: times that grew are the same process",
     true,
     CpuTimes{300, 250},
     CpuTimes{110, 0},
     21.25,
     {300, 250},
     {110, 0},
     fullRoad,
     std::nullopt},
};

class ProcessPathTest : public CpuSamplerTest, public ::testing::WithParamInterface<ProcessRow> {};

TEST_P(ProcessPathTest, ResultStoresAndCalls) {
    const ProcessRow& row = GetParam();
    SCOPED_TRACE(row.path);
    src.setProcesses({7}, {20, 5});
    src.processes[7].start = 1;
    src.system = CpuTimes{100, 50};
    cpu::ProcessSamplingStart(src);
    src.calls.clear();

    src.processes[7].openable = row.openable;
    src.processes[7].times = row.times;
    src.processes[7].start = row.start;
    src.system = row.system;
    EXPECT_EQ(cpu::SampleProcessCpuUsage(7), row.result);
    const cpu::TProcessCpuUsage& r = record(7);
    EXPECT_EQ(r.LastSystemTimes.KernelTime, row.storedSystem.kernel);
    EXPECT_EQ(r.LastSystemTimes.UserTime, row.storedSystem.user);
    EXPECT_EQ(r.LastProcessTimes.KernelTime, row.storedProcess.kernel);
    EXPECT_EQ(r.LastProcessTimes.UserTime, row.storedProcess.user);
    EXPECT_EQ(r.ProcessCPUusagePercentage, 0.0);
    EXPECT_EQ(src.calls, row.calls);
    EXPECT_EQ(src.openHandles, 0);
}

INSTANTIATE_TEST_SUITE_P(Paths, ProcessPathTest, ::testing::ValuesIn(processRows),
                         [](const auto& info) { return "row" + std::to_string(info.index); });

TEST_F(CpuSamplerTest, PercentageIsComputedInExtendedPrecision) {
    cpu::ProcessSamplingStart(src); // empty listing
    src.processes[5] = {true, CpuTimes{1, 0}};
    src.system = CpuTimes{2, 1};
    // 1/3 and *100 rounded to a 64-bit significand, then to double: the last bit differs from
    // plain double arithmetic, (1.0 / 3.0) * 100.0 == 0x1.0aaaaaaaaaaaap+5.
    EXPECT_EQ(cpu::SampleProcessCpuUsage(5), 0x1.0aaaaaaaaaaabp+5);
}

TEST_F(CpuSamplerTest, HugeDeltasSumWithoutOverflow) {
    cpu::ProcessSamplingStart(src);
    src.processes[5] = {true, CpuTimes{1ULL << 61, 1ULL << 61}};
    src.system = CpuTimes{1ULL << 61, 1ULL << 61};
    EXPECT_EQ(cpu::SampleProcessCpuUsage(5), 100.0);
    // Kernel and user deltas of INT64_MAX each: the 64-bit sum wraps to -2, not above zero.
    src.processes[6] = {true, CpuTimes{1, 1}};
    src.system = CpuTimes{INT64_MAX, INT64_MAX};
    EXPECT_EQ(cpu::SampleProcessCpuUsage(6), 0.0);
    EXPECT_EQ(record(6).LastSystemTimes.KernelTime, std::uint64_t{INT64_MAX});
}

TEST_F(CpuSamplerTest, UnopenableIdKeepsZeroRecordUntilItOpens) {
    src.listing = {0, 4};
    src.processes[4] = {true, CpuTimes{0, 0}};
    src.system = CpuTimes{500, 500};
    cpu::ProcessSamplingStart(src);
    ASSERT_EQ(cachedIds(), (std::vector<std::uint32_t>{0, 4})); // made before the open fails
    for (int tick = 0; tick < 2; ++tick) {
        src.system->kernel += 200;
        EXPECT_EQ(cpu::SampleProcessShares(), 0.0);
        EXPECT_EQ(record(0).LastSystemTimes.KernelTime, 0u);
        EXPECT_EQ(record(0).LastProcessTimes.KernelTime, 0u);
    }
    // Now openable: its first sample measures from zero, 175 of 1400 since boot.
    src.processes[0] = {true, CpuTimes{100, 75}};
    EXPECT_EQ(cpu::SampleProcessCpuUsage(0), 12.5);
}

TEST_F(CpuSamplerTest, SnapshotFailureEmptiesCacheAndNextSampleStartsFromZero) {
    src.setProcesses({1, 2}, {50, 50});
    src.system = CpuTimes{400, 400};
    cpu::ProcessSamplingStart(src);
    ASSERT_EQ(cpu::UsageCache().size(), 2u);

    src.calls.clear();
    src.snapshotFails = true;
    EXPECT_EQ(cpu::SampleProcessShares(), 0.0);
    EXPECT_TRUE(cpu::UsageCache().empty());
    EXPECT_EQ((Calls{"begin", "list", "end"}), src.calls);

    // Back again: both measured from zero, 100 of 1000 each.
    src.snapshotFails = false;
    src.system = CpuTimes{500, 500};
    EXPECT_EQ(cpu::SampleProcessShares(), 20.0);
}

TEST_F(CpuSamplerTest, FailedListingIsNotUsedEvenIfItDeliveredIds) {
    src.setProcesses({1, 2}, {0, 0});
    cpu::ProcessSamplingStart(src);
    src.snapshotFails = true;
    src.partialIdsOnFailure = true;
    std::vector<std::uint32_t> list;
    cpu::CollectProcessIds(list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(cpu::SampleProcessShares(), 0.0);
    EXPECT_TRUE(cpu::UsageCache().empty());
}

TEST_F(CpuSamplerTest, EmptyListingYieldsZeroAndEmptyCache) {
    src.setProcesses({1}, {0, 0});
    cpu::ProcessSamplingStart(src);
    src.listing.clear();
    EXPECT_EQ(cpu::SampleProcessShares(), 0.0);
    EXPECT_TRUE(cpu::UsageCache().empty());
}

TEST_F(CpuSamplerTest, EndedProcessLosesItsRecordBeforeAnyProcessIsSampled) {
    src.setProcesses({1, 2, 3}, {0, 0});
    cpu::ProcessSamplingStart(src);
    src.listing = {3, 1}; // 2 has ended
    std::vector<std::vector<std::uint32_t>> seenAtOpen;
    src.onOpen = [&](std::uint32_t) { seenAtOpen.push_back(cachedIds()); };
    cpu::SampleProcessShares();
    ASSERT_FALSE(seenAtOpen.empty());
    EXPECT_EQ(seenAtOpen.front(), (std::vector<std::uint32_t>{1, 3}));
    EXPECT_EQ(cachedIds(), (std::vector<std::uint32_t>{1, 3}));

    // Pruning alone, on a list that keeps 3 and adds an unknown 9.
    cpu::PruneUsageCache({3, 9});
    EXPECT_EQ(cachedIds(), std::vector<std::uint32_t>{3});
    cpu::PruneUsageCache({});
    EXPECT_TRUE(cpu::UsageCache().empty());
}

TEST_F(CpuSamplerTest, SharesAreAddedInAscendingUnsignedIdOrder) {
    // System delta 2^60. Ids 1 and 2 have share s = 6000/2^60 each, a little over a third of
    // ulp(100) = 2^-46; id 0xFFFFFFFF has 100. Ascending unsigned order adds s + s first, which
    // then moves 100 up by one ulp; any other order loses both s against 100.
    src.listing = {0xFFFFFFFFu, 2, 1};
    src.processes[1] = {true, CpuTimes{60, 0}};
    src.processes[2] = {true, CpuTimes{0, 60}};
    src.processes[0xFFFFFFFFu] = {true, CpuTimes{1ULL << 59, 1ULL << 59}};
    src.system = std::nullopt; // the discarded start sample stores nothing
    cpu::ProcessSamplingStart(src);
    src.calls.clear();
    src.system = CpuTimes{1ULL << 59, 1ULL << 59};

    std::vector<std::uint32_t> list;
    cpu::CollectProcessIds(list);
    EXPECT_EQ(list, (std::vector<std::uint32_t>{1, 2, 0xFFFFFFFFu}));
    src.calls.clear();
    EXPECT_EQ(cpu::SampleProcessShares(), 0x1.9000000000001p+6);
    const Calls opens = [&] {
        Calls o;
        for (const auto& c : src.calls)
            if (c.rfind("open", 0) == 0) o.push_back(c);
        return o;
    }();
    EXPECT_EQ((Calls{"open 1", "open 2", "open 4294967295"}), opens);
}

TEST_F(CpuSamplerTest, SumIsNotClamped) {
    src.setProcesses({1, 2}, {0, 0});
    cpu::ProcessSamplingStart(src);
    src.system = CpuTimes{200, 200};
    src.processes[1].times = CpuTimes{150, 150};
    src.processes[2].times = CpuTimes{300, 0};
    EXPECT_EQ(cpu::SampleProcessShares(), 150.0);
}

TEST_F(CpuSamplerTest, RestartBeginsWithAnEmptyCache) {
    src.setProcesses({1, 2}, {0, 0});
    cpu::ProcessSamplingStart(src);
    FakeProcessSource other;
    other.setProcesses({5}, {0, 0});
    cpu::ProcessSamplingStart(other);
    EXPECT_EQ(cachedIds(), std::vector<std::uint32_t>{5});
}

} // namespace
} // namespace zrm58
