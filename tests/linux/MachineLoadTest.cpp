// The line's processor figure on fixture readings of the cpu line of /proc/stat: parsed as the
// backend parses them, sampled by the load module through a fake source, shown as the tick
// shows it.
#include "fakes/FakeSystemTimesSource.h"
#include "platform/linux/ProcParsers.h"
#include "status/CpuLoad.h"
#include "status/StatusTexts.h"

#include <gtest/gtest.h>

namespace zrm58 {
namespace {

namespace cpu = uTotalCpuUsagePct;

MachineTimes reading(const char* cpuLine) {
    const std::optional<MachineTimes> times = procfs::parseMachineTimes(cpuLine);
    EXPECT_TRUE(times) << cpuLine;
    return times.value_or(MachineTimes{});
}

class MachineLoadTest : public ::testing::Test {
protected:
    void TearDown() override { cpu::ModuleEnd(); }
    fakes::FakeSystemTimesSource machine;
};

struct LoadRow {
    const char* what;
    const char* atStart; // the reading at module start
    const char* atTick;  // the reading at the first tick
    const char16_t* text;
};

//                     user nice system idle iowait irq softirq steal guest guest_nice
const LoadRow loadRows[] = {
    {"a short-lived process kept one of two processors busy; no process outlived the interval",
     "cpu  1000 0 500 8000 100 0 0 0 0 0", "cpu  1080 0 520 8100 100 0 0 0 0 0", u"CPU: 50%"},
    {"idle", "cpu  1000 0 500 8000 100 0 0 0 0 0", "cpu  1000 0 500 8200 100 0 0 0 0 0",
     u"CPU:  0%"},
    {"all busy", "cpu  1000 5 500 8000 100 0 0 0 0 0", "cpu  1150 15 540 8000 100 0 0 0 0 0",
     u"CPU:100%"},
    {"waiting for I/O is not busy", "cpu  1000 0 500 8000 100 0 0 0 0 0",
     "cpu  1050 0 500 8000 250 0 0 0 0 0", u"CPU: 25%"},
    {"interrupts and stolen time are busy", "cpu  1000 0 500 8000 100 7 7 7 0 0",
     "cpu  1000 0 500 8070 100 17 17 17 0 0", u"CPU: 30%"},
    {"guest time is inside user and nice already", "cpu  1000 100 500 8000 100 0 0 0 400 90",
     "cpu  1100 100 500 8100 100 0 0 0 480 90", u"CPU: 50%"},
    {"iowait went back a little while idle moved on", "cpu  1000 0 500 8000 100 0 0 0 0 0",
     "cpu  1100 0 500 8100 95 0 0 0 0 0", u"CPU: 51%"},
    {"a busy counter went back: no busy time, never below zero",
     "cpu  1000 0 500 8000 100 0 0 0 0 0", "cpu  10 0 500 8100 100 0 0 0 0 0", u"CPU:  0%"},
    {"the first tick measures from start-up, not from boot: busy since boot, idle since",
     "cpu  90000 0 9000 1000 0 0 0 0 0 0", "cpu  90010 0 9000 1090 0 0 0 0 0 0", u"CPU: 10%"},
    {"an old kernel's four fields", "cpu  1000 0 500 8000", "cpu  1020 0 510 8070", u"CPU: 30%"},
};

class MachineLoadRows : public MachineLoadTest, public ::testing::WithParamInterface<LoadRow> {};

TEST_P(MachineLoadRows, FirstTickText) {
    const LoadRow& row = GetParam();
    machine.times = reading(row.atStart);
    cpu::ModuleStart(machine);
    machine.times = reading(row.atTick);
    const CpuTexts t = UpdateCpuInfo();
    EXPECT_EQ(std::string(t.cpuInfo.begin(), t.cpuInfo.end()),
              std::string(row.text, row.text + std::char_traits<char16_t>::length(row.text)));
    EXPECT_TRUE(t.read);
}

INSTANTIATE_TEST_SUITE_P(Readings, MachineLoadRows, ::testing::ValuesIn(loadRows));

TEST_F(MachineLoadTest, EachTickMeasuresFromThePreviousOne) {
    machine.times = reading("cpu  1000 0 500 8000 100 0 0 0 0 0");
    cpu::ModuleStart(machine);
    const char* ticks[] = {"cpu  10 0 500 8100 100 0 0 0 0 0",  // busy counter reset
                           "cpu  60 0 500 8150 100 0 0 0 0 0",  // measured from the reset
                           "cpu  60 0 500 8150 100 0 0 0 0 0"}; // no time passed
    const double want[] = {0.0, 50.0, 50.0};                    // the last figure kept
    for (int i = 0; i < 3; ++i) {
        machine.times = reading(ticks[i]);
        EXPECT_EQ(cpu::SampleTotalCpuUsage(), want[i]) << ticks[i];
    }
}

TEST_F(MachineLoadTest, FailedReadingsShowNoLoadAndKeepTheBase) {
    machine.times = {1000, 1000};
    machine.fails = true; // not even at start
    cpu::ModuleStart(machine);
    EXPECT_FALSE(cpu::LastSampleRead());
    const CpuTexts failed = UpdateCpuInfo();
    EXPECT_EQ(failed.cpuInfo, u"CPU:  0%");
    EXPECT_EQ(failed.busyGlyph, u"\uEC37");
    EXPECT_FALSE(failed.read);

    machine.fails = false;
    EXPECT_EQ(cpu::SampleTotalCpuUsage(), 0.0) << "the first reading is a base";
    EXPECT_TRUE(cpu::LastSampleRead());
    machine.advance(25, 75);
    machine.fails = true;
    EXPECT_EQ(cpu::SampleTotalCpuUsage(), 0.0);
    machine.fails = false;
    machine.advance(25, 75);
    EXPECT_EQ(cpu::SampleTotalCpuUsage(), 25.0) << "measured from the last reading that worked";
}

TEST(MachineLoadModule, NotStartedReadsNothing) {
    EXPECT_FALSE(cpu::ModuleStarted());
    EXPECT_EQ(cpu::SampleTotalCpuUsage(), 0.0);
    EXPECT_FALSE(cpu::LastSampleRead());
}

} // namespace
} // namespace zrm58
