// The machine's counters from GetSystemTimes: on the real call under Wine, and on the fake of
// the call where a reading has to be chosen.
#include "fakes/FakeWin32Calls.h"
#include "platform/Platform.h"
#include "platform/win32/Win32SystemTimesSource.h"
#include "status/CpuLoad.h"
#include "status/StatusTexts.h"

#include <gtest/gtest.h>

#include <chrono>

namespace zrm58 {
namespace {

using fakes::FakeWin32ProcessCalls;

TEST(Win32SystemTimesLive, CountersMoveOnWithWallTime) {
    auto source = createSystemTimesSource();
    const auto before = source->machineTimes();
    ASSERT_TRUE(before);
    volatile std::uint64_t spin = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < end)
        spin = spin + 1;
    const auto after = source->machineTimes();
    ASSERT_TRUE(after);
    // 300 ms of wall time: at least 100 ms of the machine's time in all, some of it busy.
    EXPECT_GE(after->busy + after->idle - before->busy - before->idle, 1'000'000u);
    EXPECT_GT(after->busy, before->busy);
}

struct Row {
    const char* what;
    std::uint64_t idle, kernel, user; // added between module start and the tick
    const char16_t* text;
};

const Row rows[] = {
    {"a quarter busy: kernel time holds the idle time", 7500, 8000, 2000, u"CPU: 25%"},
    {"idle", 10000, 10000, 0, u"CPU:  0%"},
    {"all busy", 0, 4000, 6000, u"CPU:100%"},
};

TEST(Win32SystemTimesOnFakeCalls, BusyIsKernelPlusUserLessIdle) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeWin32ProcessCalls fake;
        // Past 2^32 units: the high halves of the FILETIMEs count.
        fake.systemIdle = 0x5'0000'0000ull, fake.systemKernel = 0x7'0000'0000ull,
        fake.systemUser = 0x3'0000'0000ull;
        uTotalCpuUsagePct::ModuleStart(
            win32::createWin32SystemTimesSource(fake.calls().getSystemTimes));
        fake.systemIdle += row.idle, fake.systemKernel += row.kernel, fake.systemUser += row.user;
        const CpuTexts t = UpdateCpuInfo();
        EXPECT_EQ(t.cpuInfo, row.text);
        EXPECT_TRUE(t.read);
        uTotalCpuUsagePct::ModuleEnd();
    }
}

TEST(Win32SystemTimesOnFakeCalls, AFailedCallOrAnImpossibleReadingIsUnreadable) {
    FakeWin32ProcessCalls fake;
    fake.systemIdle = 100, fake.systemKernel = 200, fake.systemUser = 50;
    auto source = win32::createWin32SystemTimesSource(fake.calls().getSystemTimes);
    const auto times = source->machineTimes();
    ASSERT_TRUE(times);
    EXPECT_EQ(times->busy, 150u);
    EXPECT_EQ(times->idle, 100u);
    fake.systemTimesFail = true;
    EXPECT_FALSE(source->machineTimes());
    fake.systemTimesFail = false;
    fake.systemIdle = 300; // more idle than kernel + user: no real machine's reading
    EXPECT_FALSE(source->machineTimes());
}

} // namespace
} // namespace zrm58
