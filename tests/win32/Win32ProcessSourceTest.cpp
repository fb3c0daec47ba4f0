#include "platform/win32/Win32ProcessSource.h"
#include "fakes/FakeWin32Calls.h"
#include "platform/Platform.h"
#include "status/CpuLoad.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>

namespace zrm58 {
namespace {

using fakes::FakeWin32ProcessCalls;

std::vector<std::uint32_t> listed(ProcessSource& source) {
    std::vector<std::uint32_t> ids;
    EXPECT_TRUE(source.listProcessIds(ids));
    return ids;
}

// --- On the real calls (faithful under Wine: its own processes, the caller's own times) ---

TEST(Win32ProcessSourceLive, SnapshotListsThisProcessAndOthers) {
    auto source = createSystemProcessSource();
    const auto ids = listed(*source);
    EXPECT_NE(std::find(ids.begin(), ids.end(), GetCurrentProcessId()), ids.end());
    EXPECT_GE(ids.size(), 2u); // Wine's services.exe and friends, Windows' many more
}

TEST(Win32ProcessSourceLive, OwnProcessAndMachineTimesGrowWithWork) {
    auto source = createSystemProcessSource();
    listed(*source);
    const auto handle = source->openProcess(GetCurrentProcessId());
    ASSERT_NE(handle, nullptr);
    const auto before = source->processTimes(*handle);
    const auto machineBefore = source->systemTimes();
    ASSERT_TRUE(before && machineBefore);
    // Busy for 300 ms of wall time at least, and on a loaded machine (where the scheduler may
    // give this process less than one tick of it) until its own clock has moved on; a clock
    // that never moves ends the wait after a minute.
    volatile std::uint64_t spin = 0;
    const auto start = std::chrono::steady_clock::now();
    std::optional<CpuTimes> after;
    std::optional<CpuTimes> machineAfter;
    for (;;) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(10);
        while (std::chrono::steady_clock::now() < end)
            spin = spin + 1;
        if (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(300)) continue;
        listed(*source);
        const auto again = source->openProcess(GetCurrentProcessId());
        ASSERT_NE(again, nullptr);
        after = source->processTimes(*again);
        machineAfter = source->systemTimes();
        ASSERT_TRUE(after && machineAfter);
        if (after->kernel + after->user > before->kernel + before->user ||
            std::chrono::steady_clock::now() - start > std::chrono::minutes(1))
            break;
    }
    EXPECT_GT(after->kernel + after->user, before->kernel + before->user);
    EXPECT_GT(machineAfter->kernel + machineAfter->user,
              machineBefore->kernel + machineBefore->user);
    // The machine's kernel time counts its idle time: never less than its growth in user time
    // would make it on an idle machine, and over 300 ms of wall time at least 100 ms in all.
    EXPECT_GE(machineAfter->kernel + machineAfter->user - machineBefore->kernel -
                  machineBefore->user,
              1'000'000u);
}

TEST(Win32ProcessSourceLive, IdleProcessAndUnknownIdsAreNotOpened) {
    auto source = createSystemProcessSource();
    EXPECT_EQ(source->openProcess(0), nullptr);
    EXPECT_EQ(source->openProcess(0xFFFFFFF0u), nullptr);
}

// --- On a fake of the calls that answers as Windows documents (Wine's GetProcessTimes gives
// the caller's own times for any process, so another process's figures are tested here) ---

TEST(Win32ProcessSourceOnFakeCalls, AnotherProcessTimesAsWindowsDocumentsThem) {
    FakeWin32ProcessCalls fake;
    // Times past 2^32 units (about seven minutes): the high halves of the FILETIMEs count.
    fake.processes[100] = {0x1'0000'0010ull, 0x2'0000'0020ull};
    fake.systemIdle = 0x5'0000'0000ull, fake.systemKernel = 0x7'0000'0000ull,
    fake.systemUser = 0x3'0000'0000ull;
    auto source = win32::createWin32ProcessSource(fake.calls());
    EXPECT_EQ(listed(*source), std::vector<std::uint32_t>{100});
    const auto handle = source->openProcess(100);
    ASSERT_NE(handle, nullptr);
    const auto times = source->processTimes(*handle);
    ASSERT_TRUE(times);
    EXPECT_EQ(times->kernel, 0x1'0000'0010ull);
    EXPECT_EQ(times->user, 0x2'0000'0020ull);
    const auto machine = source->systemTimes();
    ASSERT_TRUE(machine);
    EXPECT_EQ(machine->kernel, 0x7'0000'0000ull); // idle included, as GetSystemTimes gives it
    EXPECT_EQ(machine->user, 0x3'0000'0000ull);
}

TEST(Win32ProcessSourceOnFakeCalls, SamplerSumsOtherProcessesLoad) {
    FakeWin32ProcessCalls fake;
    fake.processes[0] = {}; // the idle process: listed, never opened
    fake.processes[100] = {1000, 1000};
    fake.processes[200] = {0, 500};
    auto source = win32::createWin32ProcessSource(fake.calls());
    uTotalCpuUsagePct::ProcessSamplingStart(*source); // the first sample sets the baselines
    // 10,000 units of machine time pass; process 100 uses 3,000 of them and 200 uses 1,500.
    fake.systemKernel += 6000, fake.systemUser += 4000;
    fake.processes[100].kernel += 1000, fake.processes[100].user += 2000;
    fake.processes[200].user += 1500;
    EXPECT_DOUBLE_EQ(uTotalCpuUsagePct::SampleProcessShares(), 45.0);
    uTotalCpuUsagePct::ProcessSamplingEnd();
}

TEST(Win32ProcessSourceOnFakeCalls, HandlesAreKeptBetweenTicksAndClosedWhenTheProcessLeaves) {
    FakeWin32ProcessCalls fake;
    fake.processes[100] = {};
    fake.processes[200] = {};
    {
        auto source = win32::createWin32ProcessSource(fake.calls());
        for (int tick = 0; tick < 3; ++tick) {
            for (const std::uint32_t pid : listed(*source))
                EXPECT_NE(source->openProcess(pid), nullptr);
        }
        EXPECT_EQ(fake.opens, 2); // once per process, not once per tick
        for (DWORD access : fake.openAccess)
            EXPECT_EQ(access, PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE);
        fake.processes.erase(200);
        listed(*source);
        EXPECT_EQ(fake.openHandles(), 1); // 200's handle closed with the listing
        EXPECT_EQ(fake.snapshots, 4);
    }
    EXPECT_EQ(fake.openHandles(), 0); // snapshots and kept handles: all closed
    EXPECT_EQ(fake.closes, fake.opens + fake.snapshots);
}

TEST(Win32ProcessSourceOnFakeCalls, EndedProcessIdTakenByANewProcessIsOpenedAfresh) {
    FakeWin32ProcessCalls fake;
    fake.processes[100] = {5000, 5000};
    auto source = win32::createWin32ProcessSource(fake.calls());
    listed(*source);
    ASSERT_NE(source->openProcess(100), nullptr);
    fake.reuseId(100, {7, 8, false, true, 0x1D9'0000'0000'0000ull});
    listed(*source);
    const auto handle = source->openProcess(100);
    ASSERT_NE(handle, nullptr);
    const auto times = source->processTimes(*handle);
    ASSERT_TRUE(times);
    EXPECT_EQ(times->kernel, 7u); // the new process's, through a new handle
    EXPECT_EQ(source->processStart(*handle), 0x1D9'0000'0000'0000ull);
    EXPECT_EQ(fake.opens, 2);
    EXPECT_EQ(fake.openHandles(), 1);
}

TEST(Win32ProcessSourceOnFakeCalls, ProcessWithoutSynchronizeRightIsOpenedEveryTick) {
    FakeWin32ProcessCalls fake;
    fake.processes[4] = {10, 0};
    fake.processes[4].grantsSynchronize = false; // as a protected process may
    auto source = win32::createWin32ProcessSource(fake.calls());
    for (int tick = 0; tick < 2; ++tick) {
        listed(*source);
        const auto handle = source->openProcess(4);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(source->processTimes(*handle)->kernel, 10u);
    }
    EXPECT_EQ(fake.opens, 2);
    EXPECT_EQ(fake.openHandles(), 0); // closed with each tick's handle
}

TEST(Win32ProcessSourceOnFakeCalls, EveryFailingCallGivesTheContractsAnswer) {
    struct Case {
        const char* call;
        void (*breakIt)(FakeWin32ProcessCalls&);
    };
    const Case cases[] = {
        {"CreateToolhelp32Snapshot", [](FakeWin32ProcessCalls& f) { f.snapshotFails = true; }},
        {"Process32FirstW", [](FakeWin32ProcessCalls& f) { f.firstFails = true; }},
        {"OpenProcess", [](FakeWin32ProcessCalls& f) { f.openRefused.insert(100); }},
        {"GetProcessTimes", [](FakeWin32ProcessCalls& f) { f.processTimesFail = true; }},
        {"GetSystemTimes", [](FakeWin32ProcessCalls& f) { f.systemTimesFail = true; }},
    };
    for (const Case& c : cases) {
        FakeWin32ProcessCalls fake;
        fake.processes[100] = {1, 1};
        c.breakIt(fake);
        auto source = win32::createWin32ProcessSource(fake.calls());
        std::vector<std::uint32_t> ids;
        const bool listedOk = source->listProcessIds(ids);
        EXPECT_EQ(listedOk, !fake.snapshotFails && !fake.firstFails) << c.call;
        const auto handle = source->openProcess(100);
        EXPECT_EQ(handle == nullptr, fake.openRefused.contains(100)) << c.call;
        if (handle) {
            EXPECT_EQ(source->processTimes(*handle).has_value(), !fake.processTimesFail) << c.call;
        }
        EXPECT_EQ(source->systemTimes().has_value(), !fake.systemTimesFail) << c.call;
        source.reset();
        EXPECT_EQ(fake.openHandles(), 0) << c.call; // the snapshot too, after a failed walk
    }
}

} // namespace
} // namespace zrm58
