// The start-up composition on the system's own sources: the dispatcher's hooks start once the
// load sampler runs and end while it still runs, everything is undone when the runtime goes,
// and what it hands the strip stays filled for its life.
#include "strip/StripRuntime.h"
#include "status/CpuLoad.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zrm58 {
namespace {

std::vector<std::string> steps; // the hooks' calls, each with the sampler's state at the time

void record(const char* hook) {
    steps.push_back(std::string(hook) +
                    (uTotalCpuUsagePct::ModuleStarted() ? ", sampler running" : ", no sampler"));
}
void hooksOn() {
    record("hooks on");
}
void hooksOff() {
    record("hooks off");
}

TEST(StripRuntimeTest, StartsInOrderAndUndoesInReverse) {
    steps.clear();
    {
        StripRuntime runtime("folder/ZRM58.ini", {&hooksOn, &hooksOff});
        EXPECT_TRUE(uTotalCpuUsagePct::ModuleStarted());
        EXPECT_EQ(steps, std::vector<std::string>{"hooks on, sampler running"});
        const StripServices& services = runtime.services();
        EXPECT_NE(services.clock, nullptr);
        EXPECT_NE(services.altCalendar, nullptr);
        EXPECT_NE(services.memory, nullptr);
        EXPECT_EQ(services.processes, &runtime.processes());
        EXPECT_EQ(services.details, &runtime.details());
        EXPECT_EQ(services.files, nullptr); // the system's store
        EXPECT_EQ(services.settingsPath, "folder/ZRM58.ini");
        EXPECT_EQ(runtime.localeSettings().decimalSep, services.localeSettings.decimalSep);
    }
    EXPECT_FALSE(uTotalCpuUsagePct::ModuleStarted());
    EXPECT_EQ(steps, (std::vector<std::string>{"hooks on, sampler running",
                                               "hooks off, sampler running"}));
}

TEST(StripRuntimeTest, WithoutHooksStillStartsAndEndsTheSampler) {
    {
        StripRuntime runtime("ZRM58.ini", {});
        EXPECT_TRUE(uTotalCpuUsagePct::ModuleStarted());
    }
    EXPECT_FALSE(uTotalCpuUsagePct::ModuleStarted());
}

} // namespace
} // namespace zrm58
