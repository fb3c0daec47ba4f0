// The /proc parsers, on fixture files and on malformed lines.
#include "platform/linux/ProcParsers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace zrm58::procfs {
namespace {

constexpr std::uint64_t perTick = 100'000; // 100-ns units per tick at 100 Hz

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(ZRM58_TEST_DATA) + "/proc/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(TicksTest, ConvertsToHundredNanoseconds) {
    EXPECT_EQ(ticksTo100ns(3, 100), 3 * perTick);
    EXPECT_EQ(ticksTo100ns(3, 1000), 30'000u);
    EXPECT_EQ(ticksTo100ns(450, 300), 15'000'000u); // 1.5 s at a rate that does not divide 10^7
    EXPECT_EQ(ticksTo100ns(1ULL << 50, 100), (1ULL << 50) * perTick); // years of many cores
    EXPECT_EQ(ticksTo100ns(1, 0), std::nullopt);
    EXPECT_EQ(ticksTo100ns(1, -1), std::nullopt);
}

TEST(SystemTimesTest, ModernKernelCountsIdleAsKernelAndLeavesGuestInUser) {
    // cpu  14843 17 3093 139146 355 2 56 5 11 3
    const auto t = parseSystemTimes(fixture("stat_modern.txt"), 100);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->user, (14843u + 17) * perTick);
    EXPECT_EQ(t->kernel, (3093u + 139146 + 355 + 2 + 56 + 5) * perTick);
}

TEST(SystemTimesTest, OldKernelWithoutStealField) {
    // cpu  10 20 30 40 50 60 70
    const auto t = parseSystemTimes(fixture("stat_2_6_kernel.txt"), 100);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->user, 30 * perTick);
    EXPECT_EQ(t->kernel, 250 * perTick);
}

TEST(MachineTimesTest, BusyAndIdleTicksOfTheCpuLine) {
    struct Row {
        const char* file;
        std::uint64_t busy, idle;
    };
    const Row rows[] = {
        // user nice system irq softirq steal are busy; idle iowait are not; guest is inside user
        {"stat_modern.txt", 14843u + 17 + 3093 + 2 + 56 + 5, 139146u + 355}, // ... 11 3 guest
        {"stat_2_6_kernel.txt", 10u + 20 + 30 + 60 + 70, 40u + 50},          // no steal field
    };
    for (const Row& row : rows) {
        const auto t = parseMachineTimes(fixture(row.file));
        ASSERT_TRUE(t) << row.file;
        EXPECT_EQ(t->busy, row.busy) << row.file;
        EXPECT_EQ(t->idle, row.idle) << row.file;
    }
    EXPECT_EQ(parseMachineTimes("cpu0 1 2 3 4\n"), std::nullopt);
    EXPECT_EQ(parseMachineTimes("cpu  1 2 3\n"), std::nullopt);
}

TEST(SystemTimesTest, RejectsMalformedFirstLines) {
    const char* rows[] = {
        "",
        "cpu0 1 2 3 4\n", // a per-processor line is not the total
        "intr 1 2 3 4\ncpu  1 2 3 4\n",
        "cpu  1 2 3\n",     // fewer than user nice system idle
        "cpu  1 2 x 4 5\n", // junk where a number belongs
        "cpu  1 2 3 4 5 x\n",
        "cpu  1 2 3 -4\n",
        "cpu  1 2 3 99999999999999999999\n", // beyond 64 bits
    };
    for (const char* text : rows)
        EXPECT_EQ(parseSystemTimes(text, 100), std::nullopt) << text;
    EXPECT_EQ(parseSystemTimes("cpu  1 2 3 4\n", 0), std::nullopt);
}

TEST(ProcessTimesTest, FieldsAreCountedFromTheLastParenthesis) {
    // comm is "my) prog (x) ": spaces and parentheses; utime 1234, stime 567.
    const auto t = parseProcessTimes(fixture("pid_stat_tricky_comm.txt"), 100);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->user, 1234 * perTick);
    EXPECT_EQ(t->kernel, 567 * perTick);

    const auto k = parseProcessTimes(fixture("pid_stat_kthread.txt"), 100);
    ASSERT_TRUE(k);
    EXPECT_EQ(k->user, 3 * perTick);
    EXPECT_EQ(k->kernel, 91 * perTick);
}

TEST(ProcessTimesTest, CutLinesAndMalformedLines) {
    const std::string full = fixture("pid_stat_tricky_comm.txt");
    const std::size_t afterStime = full.find(" 567 ") + 4;
    EXPECT_TRUE(parseProcessTimes(full.substr(0, afterStime), 100)) << "cut after stime";
    const char* rows[] = {
        "",
        "12 (sh S 1 2 3 4 5 6 7 8 9 10 11 12", // no ')'
        "12 (sh) S 1 2 3 4 5 6 7 8 9 10",      // ends before utime
        "12 (sh) S 1 2 3 4 5 6 7 8 9 10 x 12", // utime not a number
        "12 (sh)",
    };
    for (const char* text : rows)
        EXPECT_EQ(parseProcessTimes(text, 100), std::nullopt) << text;
}

TEST(ProcessTimesTest, StartTimeIsField22InTicks) {
    EXPECT_EQ(parseProcessStartTime(fixture("pid_stat_tricky_comm.txt")), 78960u);
    EXPECT_EQ(parseProcessStartTime(fixture("pid_stat_kthread.txt")), 25u);
    const char* rows[] = {
        "",
        "12 (sh S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20", // no ')'
        "12 (sh) S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18",      // ends before starttime
        "12 (sh) S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 -1",   // not a count
    };
    for (const char* text : rows)
        EXPECT_EQ(parseProcessStartTime(text), std::nullopt) << text;
}

TEST(SystemTimesTest, ForkCountIsTheProcessesLine) {
    EXPECT_EQ(parseForkCount(fixture("stat_modern.txt")), 11104u);
    const char* rows[] = {
        "cpu  1 2 3 4\n",                   // no such line
        "cpu  1 2 3 4\nprocesses\n",        // no number
        "cpu  1 2 3 4\nprocesses 12x\n",    // junk after it
        "processes 12\n",                   // not a line of its own after the first
        "cpu  1 2 3 4\nprocs_running 12\n", // another key
    };
    for (const char* text : rows)
        EXPECT_EQ(parseForkCount(text), std::nullopt) << text;
}

TEST(LoadAvgTest, LastPidIsTheFifthField) {
    EXPECT_EQ(parseLastPid(fixture("loadavg.txt")), 30403u);
    const char* rows[] = {
        "",
        "0.20 0.18 0.12 1/80",         // no fifth field
        "0.20 0.18 0.12 1/80 x",       // not a number
        "0.20 0.18 0.12 1/80 11206 7", // more than five
        "0.20 0.18 0.12 1/80 99999999999",
    };
    for (const char* text : rows)
        EXPECT_EQ(parseLastPid(text), std::nullopt) << text;
}

TEST(MemInfoTest, TotalAndAvailableInBytes) {
    const auto m = parseMemInfo(fixture("meminfo_modern.txt"));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->totalPhys, 24683728ULL * 1024);
    EXPECT_EQ(m->availPhys, 24087948ULL * 1024);
}

TEST(MemInfoTest, KernelWithoutMemAvailableEstimatesIt) {
    const auto m = parseMemInfo(fixture("meminfo_3_10.txt"));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->totalPhys, 2048000ULL * 1024);
    EXPECT_EQ(m->availPhys, (100000ULL + 20000 + 300000) * 1024);
}

TEST(MemInfoTest, MissingOrMalformedFigures) {
    EXPECT_EQ(parseMemInfo(""), std::nullopt);
    EXPECT_EQ(parseMemInfo("MemFree: 5 kB\nMemAvailable: 5 kB\n"), std::nullopt) << "no total";
    EXPECT_EQ(parseMemInfo("MemTotal: 5 kB\nCached: 5 kB\n"), std::nullopt) << "no estimate";
    EXPECT_EQ(parseMemInfo("MemTotal: x kB\nMemAvailable: 5 kB\n"), std::nullopt);
    EXPECT_EQ(parseMemInfo("MemTotal: 8 MB\nMemAvailable: 5 kB\n"), std::nullopt) << "unit";
    const auto m = parseMemInfo("MemTotal: 8 kB\nMemAvailable: 5 kB"); // no final newline
    ASSERT_TRUE(m);
    EXPECT_EQ(m->availPhys, 5u * 1024);
}

} // namespace
} // namespace zrm58::procfs
