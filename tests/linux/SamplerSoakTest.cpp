// Soak of the load sampler over the real /proc backend with process churn: thousands of
// short-lived children started and ended across many ticks. After every tick the usage cache
// must hold exactly the ids of that tick's listing (no record of an ended process left behind,
// none missing), every child known to exist must be among them, and the backend may keep open
// only descriptors of listed processes. Bounded in count (some seconds on two cores).
#include "platform/Platform.h"
#include "status/CpuLoad.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <set>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zrm58 {
namespace {

namespace cpu = uTotalCpuUsagePct;

// 40,000 processes in all, more than a default pid_max (32,768): ids are handed out again
// during the run, so kept descriptors of ended processes meet their ids' new owners.
constexpr int kTicks = 1000;
constexpr int kChildrenPerTick = 40;

// The real backend, recording the ids of its latest successful listing.
class RecordingSource final : public ProcessSource {
public:
    explicit RecordingSource(std::unique_ptr<ProcessSource> real) : real_(std::move(real)) {}

    bool listProcessIds(std::vector<std::uint32_t>& ids) override {
        const bool ok = real_->listProcessIds(ids);
        listed = ok ? std::set<std::uint32_t>(ids.begin(), ids.end()) : std::set<std::uint32_t>{};
        ++listings;
        return ok;
    }
    std::unique_ptr<ProcessHandle> openProcess(std::uint32_t pid) override {
        return real_->openProcess(pid);
    }
    std::optional<CpuTimes> systemTimes() override { return real_->systemTimes(); }
    std::optional<CpuTimes> processTimes(ProcessHandle& process) override {
        return real_->processTimes(process);
    }
    void beginSample() override { real_->beginSample(); }
    void endSample() override { real_->endSample(); }

    std::set<std::uint32_t> listed;
    int listings = 0;

private:
    std::unique_ptr<ProcessSource> real_;
};

// How a child of one tick lives: until the next tick (blocked on a pipe), ended but not yet
// reaped at its own tick (a zombie, still listed by the kernel), or ended and reaped before it.
enum class Fate { untilNextTick, zombie, reaped };

Fate fateOf(int index) {
    switch (index % 4) {
    case 0:
    case 1:
        return Fate::untilNextTick;
    case 2:
        return Fate::zombie;
    default:
        return Fate::reaped;
    }
}

// Starts a child that ends at once, or when `holdFd` reads end-of-file (every write end
// closed). The kernel kills it should the test die first.
pid_t startChild(int holdFd, int writeFd) {
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(0);
    if (writeFd >= 0) close(writeFd); // else this child would hold its own pipe open
    if (holdFd >= 0) {
        char byte;
        while (read(holdFd, &byte, 1) > 0) {
        }
    }
    _exit(0);
}

// Waits until the child has ended, leaving it a zombie.
void waitEndedKeepZombie(pid_t pid) {
    siginfo_t info{};
    waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
}

void reap(pid_t pid) {
    waitpid(pid, nullptr, 0);
}

// True when some process now holds the id (a reaped child's id may be handed out again).
bool idInUse(pid_t pid) {
    return kill(pid, 0) == 0 || errno == EPERM;
}

// The process ids whose /proc/PID/stat this process holds open.
std::multiset<std::uint32_t> heldStatDescriptors() {
    std::multiset<std::uint32_t> held;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return held;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        char target[256];
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        const std::string path(target, static_cast<std::size_t>(n));
        if (path.rfind("/proc/", 0) != 0 || path.size() < 12 ||
            path.compare(path.size() - 5, 5, "/stat") != 0)
            continue;
        const std::string id = path.substr(6, path.size() - 11);
        if (id.empty() || id.find_first_not_of("0123456789") != std::string::npos) continue;
        held.insert(static_cast<std::uint32_t>(std::stoul(id)));
    }
    closedir(dir);
    return held;
}

std::set<std::uint32_t> cacheKeys() {
    std::set<std::uint32_t> keys;
    for (const auto& entry : cpu::UsageCache())
        keys.insert(entry.first);
    return keys;
}

class SamplerSoakTest : public ::testing::Test {
protected:
    void TearDown() override {
        cpu::ProcessSamplingEnd();
        if (holdWrite_ >= 0) close(holdWrite_);
        for (const pid_t pid : unreaped_)
            reap(pid);
    }

    // One tick's churn: the previous tick's held children are let go and reaped, then this
    // tick's children start. Fills the expectations for the tick's sample.
    void churn(std::vector<pid_t>& mustBeListed, std::vector<pid_t>& reapedNow) {
        if (holdWrite_ >= 0) close(holdWrite_);
        holdWrite_ = -1;
        for (const pid_t pid : unreaped_)
            reap(pid);
        reapedNow = unreaped_;
        unreaped_.clear();

        int hold[2];
        ASSERT_EQ(pipe(hold), 0);
        for (int i = 0; i < kChildrenPerTick; ++i) {
            const Fate fate = fateOf(i);
            const pid_t pid = fate == Fate::untilNextTick ? startChild(hold[0], hold[1])
                                                          : startChild(-1, hold[1]);
            ASSERT_GT(pid, 0) << "fork failed at child " << i;
            reusedIds_ += !seenIds_.insert(pid).second;
            if (fate == Fate::reaped) {
                reap(pid);
                reapedNow.push_back(pid);
                continue;
            }
            if (fate == Fate::zombie) waitEndedKeepZombie(pid);
            mustBeListed.push_back(pid);
            unreaped_.push_back(pid);
        }
        close(hold[0]);
        holdWrite_ = hold[1];
        ++started_;
    }

    int holdWrite_ = -1;
    std::vector<pid_t> unreaped_; // held or zombie children of the latest tick
    int started_ = 0;
    std::set<pid_t> seenIds_;
    int reusedIds_ = 0; // children that got an id an earlier child had
};

TEST_F(SamplerSoakTest, CacheHoldsExactlyTheListedProcessesAfterEveryTick) {
    auto owned = std::make_unique<RecordingSource>(createSystemProcessSource());
    RecordingSource& source = *owned;
    cpu::ProcessSamplingStart(std::move(owned));
    ASSERT_TRUE(cpu::ProcessSamplingStarted());

    for (int tick = 0; tick < kTicks; ++tick) {
        std::vector<pid_t> mustBeListed, reapedNow;
        churn(mustBeListed, reapedNow);
        if (HasFatalFailure()) return;

        const int listingsBefore = source.listings;
        const double load = cpu::SampleProcessShares();
        ASSERT_EQ(source.listings, listingsBefore + 1) << "tick " << tick;
        ASSERT_FALSE(source.listed.empty()) << "tick " << tick << ": /proc could not be listed";
        EXPECT_GE(load, 0.0) << "tick " << tick;

        // The cache is exactly the listing: nothing stale, nothing missing.
        const std::set<std::uint32_t> keys = cacheKeys();
        ASSERT_EQ(keys, source.listed) << "tick " << tick;

        // The listing agrees with what this test knows about its own children.
        for (const pid_t pid : mustBeListed)
            ASSERT_EQ(keys.count(static_cast<std::uint32_t>(pid)), 1u)
                << "tick " << tick << ": live or zombie child " << pid << " missing";
        for (const pid_t pid : reapedNow) {
            if (idInUse(pid)) continue; // handed out again: may rightly be listed
            ASSERT_EQ(keys.count(static_cast<std::uint32_t>(pid)), 0u)
                << "tick " << tick << ": reaped child " << pid << " still cached";
        }

        // Descriptors are kept only for listed processes, at most one each.
        const std::multiset<std::uint32_t> held = heldStatDescriptors();
        for (const std::uint32_t id : held) {
            ASSERT_EQ(source.listed.count(id), 1u)
                << "tick " << tick << ": descriptor of unlisted process " << id << " kept";
            ASSERT_EQ(held.count(id), 1u) << "tick " << tick << ": process " << id;
        }
    }
    EXPECT_EQ(started_, kTicks);
    std::printf("%d ticks, %d children, %d of them on a reused id\n", kTicks,
                kTicks * kChildrenPerTick, reusedIds_);

    // All children gone and one more tick: their records and descriptors go with them.
    std::vector<pid_t> lastReaped(unreaped_);
    if (holdWrite_ >= 0) close(holdWrite_);
    holdWrite_ = -1;
    for (const pid_t pid : unreaped_)
        reap(pid);
    unreaped_.clear();
    cpu::SampleProcessShares();
    EXPECT_EQ(cacheKeys(), source.listed);
    for (const pid_t pid : lastReaped) {
        if (idInUse(pid)) continue;
        EXPECT_EQ(cpu::UsageCache().count(static_cast<std::uint32_t>(pid)), 0u) << pid;
    }
    for (const std::uint32_t id : heldStatDescriptors())
        EXPECT_EQ(source.listed.count(id), 1u) << "descriptor of unlisted process " << id;
}

} // namespace
} // namespace zrm58
