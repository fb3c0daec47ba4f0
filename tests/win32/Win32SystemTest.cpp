// The clock, the memory figures and zrm58-line's command line on the real calls.
#include "cli/CommandLine.h"
#include "platform/Platform.h"
#include "platform/SystemDetailsSource.h"
#include "settings/Utf.h"

#include <gtest/gtest.h>
#include <set>

#include <ctime>
#include <fstream>
#include <sstream>

#include <windows.h>

namespace zrm58 {
namespace {

TEST(Win32ClockLive, LocalTimeAgreesWithTheRuntimesLocalTime) {
    const auto clock = createSystemClock();
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::time_t seconds = std::time(nullptr);
        const LocalTime t = clock->now();
        std::tm tm{};
        localtime_s(&tm, &seconds);
        if (t.second != tm.tm_sec) continue; // a second boundary between the two reads
        EXPECT_EQ(t.year, tm.tm_year + 1900);
        EXPECT_EQ(t.month, tm.tm_mon + 1);
        EXPECT_EQ(t.day, tm.tm_mday);
        EXPECT_EQ(t.hour, tm.tm_hour);
        EXPECT_EQ(t.minute, tm.tm_min);
        EXPECT_LT(t.millisecond, 1000);
        return;
    }
    FAIL() << "the clock never agreed within a second";
}

TEST(Win32MemorySourceLive, PhysicalMemoryFigures) {
    const auto status = createSystemMemorySource()->memoryStatus();
    ASSERT_TRUE(status);
    EXPECT_GT(status->totalPhys, 64ull << 20);
    EXPECT_LE(status->availPhys, status->totalPhys);
    EXPECT_GT(status->availPhys, 0u);
    // Under Wine the host's /proc/meminfo is on drive Z: and its MemTotal is the same memory
    // (Wine counts it in whole pages).
    std::ifstream meminfo("Z:\\proc\\meminfo");
    std::string key;
    std::uint64_t kib = 0;
    if (!(meminfo >> key >> kib) || key != "MemTotal:") GTEST_SKIP() << "not under Wine";
    EXPECT_NEAR(static_cast<double>(status->totalPhys / 1024), static_cast<double>(kib), 4.0);
}

TEST(Win32SystemDetailsLive, MemoryNetworkAndProcessNames) {
    const auto details = createSystemDetailsSource();
    const auto memory = details->memoryBreakdown();
    ASSERT_TRUE(memory);
    EXPECT_GT(memory->total, 0u);
    EXPECT_LE(memory->available, memory->total);
    EXPECT_LE(memory->swapFree, memory->swapTotal);
    const auto network = details->networkCounters();
    ASSERT_TRUE(network); // Wine lists the host's interfaces; loopback is left out
    std::set<std::uint64_t> luids;
    for (const auto& counters : *network) {
        EXPECT_TRUE(fromUtf8(counters.name)) << counters.name;
        ASSERT_TRUE(counters.index) << counters.name; // the adapter's LUID tells it apart
        EXPECT_TRUE(luids.insert(*counters.index).second) << counters.name;
    }
    EXPECT_EQ(details->processName(GetCurrentProcessId()), "win32_backend_test.exe");
    EXPECT_FALSE(details->processName(0xFFFFFFF0u));
    EXPECT_FALSE(details->temperatureCelsius()); // Windows offers none to a user program
}

TEST(Win32CommandLine, WideArgumentsArriveWholeInUtf8) {
    const auto args = cli::argumentsOfCommandLine(
        L"\"C:\\Program Files\\zrm58\\zrm58-line.exe\" --format \"yyyy年m月d日 (dddd)\" "
        L"--sep 🔷 --only date");
    const std::vector<std::string> expected = {
        "--format", "yyyy年m月d日 (dddd)", "--sep", "🔷", "--only", "date"};
    EXPECT_EQ(args, expected);
    for (const std::string& a : args)
        EXPECT_TRUE(fromUtf8(a));
}

} // namespace
} // namespace zrm58
