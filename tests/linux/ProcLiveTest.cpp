// The Linux backend on this machine: the samplers against /proc/stat over the same interval,
// the memory piece against /proc/meminfo, and the process source's descriptor handling.
#include "platform/Platform.h"
#include "platform/linux/ProcProcessSource.h"
#include "status/CpuLoad.h"
#include "status/StatusTexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <linux/sched.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zrm58 {
namespace {

namespace cpu = uTotalCpuUsagePct;

// A child process that spins on one core, or sleeps; killed and reaped by the destructor, and
// by the kernel should this test die first.
class Child {
public:
    enum class Kind { busy, idle };
    explicit Child(Kind kind) {
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(0);
            volatile unsigned long spins = 0;
            for (;;) {
                if (kind == Kind::idle) pause();
                spins = spins + 1;
            }
        }
    }
    ~Child() { end(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    void end() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

std::string readFile(const char* path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Busy and total ticks of the first line of /proc/stat, read here independently of the
// backend's parser: busy excludes idle and iowait; guest time is inside user already.
struct StatTicks {
    double busy = 0, total = 0;
};

StatTicks readStatTicks() {
    std::istringstream line(readFile("/proc/stat"));
    std::string label;
    double f[8] = {};
    line >> label;
    for (double& v : f)
        line >> v;
    StatTicks t;
    for (const double v : f)
        t.total += v;
    t.busy = t.total - f[3] - f[4];
    return t;
}

class CpuLoadLiveTest : public ::testing::Test {
protected:
    void TearDown() override {
        cpu::ProcessSamplingEnd();
        cpu::ModuleEnd();
    }
};

// The process ids in /proc and the last id the kernel handed out (/proc/loadavg): when both are
// unchanged over an interval, no process started or ended in it.
struct ProcessSet {
    std::vector<std::string> ids;
    std::string lastPid;
    bool operator==(const ProcessSet&) const = default;
};

ProcessSet readProcessSet() {
    ProcessSet set;
    DIR* dir = opendir("/proc");
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] >= '0' && entry->d_name[0] <= '9') set.ids.emplace_back(entry->d_name);
    closedir(dir);
    std::sort(set.ids.begin(), set.ids.end());
    std::istringstream loadavg(readFile("/proc/loadavg"));
    for (int field = 0; field < 5; ++field)
        loadavg >> set.lastPid;
    return set;
}

TEST_F(CpuLoadLiveTest, SamplerAgreesWithProcStatOverTheSameInterval) {
    Child busy(Child::Kind::busy);
    cpu::ProcessSamplingStart(createSystemProcessSource());
    // Processes that start or end inside an interval count in /proc/stat but not (wholly) in
    // the sampler. Only a quiet interval, with the same processes at both ends, is judged; on
    // a machine that is never quiet, agreement on any interval will do.
    std::string figures;
    bool agreedOnce = false;
    for (int attempt = 0; attempt < 10; ++attempt) {
        const ProcessSet setBefore = readProcessSet();
        cpu::SampleProcessShares();
        const StatTicks before = readStatTicks();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const double load = cpu::SampleProcessShares();
        const StatTicks after = readStatTicks();
        const bool quiet = readProcessSet() == setBefore;
        const double share = 100.0 * (after.busy - before.busy) / (after.total - before.total);
        figures += std::string(quiet ? " quiet:" : " busy:") + " sampler " + std::to_string(load) +
                   " /proc/stat " + std::to_string(share);
        const bool agreed = std::fabs(load - share) <= 10;
        if (quiet) {
            EXPECT_TRUE(agreed) << figures;
            std::printf("%s\n", figures.c_str());
            return;
        }
        agreedOnce = agreedOnce || agreed;
    }
    std::printf("%s\n", figures.c_str());
    if (!agreedOnce) GTEST_SKIP() << "no quiet interval and no agreement:" << figures;
}

// The processor time a process has used, in milliseconds, from its /proc/PID/stat.
double usedMs(pid_t pid) {
    const std::string line = readFile(("/proc/" + std::to_string(pid) + "/stat").c_str());
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(line.substr(close + 2));
    std::string skip;
    for (int field = 3; field <= 13; ++field)
        fields >> skip;
    double utime = 0, stime = 0;
    fields >> utime >> stime;
    return (utime + stime) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Waits (at most 10 s) until the process has used `ms` of processor time.
void waitUntilUsed(pid_t pid, double ms) {
    for (int i = 0; i < 1000 && usedMs(pid) < ms; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// How a test gives a new process the id of an ended one (both need root, or the checkpoint
// capability): clone3 with set_tid (Linux 5.5), or the kernel's own turn, by setting its last
// handed-out id (ns_last_pid) just below and forking.
enum class Reuse { setTid, inTurn };

// The body of such a child: spins for `busyMs` of processor time, then sleeps.
[[noreturn]] void runChild(pid_t parent, double busyMs) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(0);
    for (timespec used{}; clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used) == 0 &&
                          used.tv_sec * 1e3 + used.tv_nsec / 1e6 < busyMs + 20;) {
    }
    for (;;)
        pause();
}

// Starts a child on the given process id; -1 with errno when it cannot.
pid_t startChildWithId(pid_t id, double busyMs, Reuse how) {
    const pid_t parent = getpid();
    if (how == Reuse::setTid) {
        pid_t ids[1] = {id};
        clone_args args{};
        args.exit_signal = SIGCHLD;
        args.set_tid = reinterpret_cast<std::uintptr_t>(ids);
        args.set_tid_size = 1;
        const long pid = syscall(SYS_clone3, &args, sizeof args);
        if (pid == 0) runChild(parent, busyMs);
        return static_cast<pid_t>(pid);
    }
    for (int attempt = 0; attempt < 50; ++attempt) { // others may fork in between
        std::FILE* last = std::fopen("/proc/sys/kernel/ns_last_pid", "w");
        if (!last) return -1;
        std::fprintf(last, "%d", id - 1);
        if (std::fclose(last) != 0) return -1;
        const pid_t pid = fork();
        if (pid == 0) runChild(parent, busyMs);
        if (pid == id || pid < 0) return pid;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    errno = EAGAIN;
    return -1;
}

// The reproduction of a wrong load on a reused id: a busy process is sampled, ends, and a new
// process gets its id before the next tick. The new process is a new process, measured from
// zero (against the time since boot, so next to nothing), and never charged with the old one's
// times: an idle one came out far below zero (-1000 %), a busier one as the difference.
TEST_F(CpuLoadLiveTest, ProcessOnAReusedIdIsANewProcess) {
    struct Row {
        const char* what;
        double oldMs, newMs;
        Reuse how;
    };
    const Row rows[] = {
        {"idle new process: its times went backwards", 300, 0, Reuse::setTid},
        {"busier new process on the id handed out in turn: only its start tells", 100, 400,
         Reuse::inTurn},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Child old(Child::Kind::busy);
        waitUntilUsed(old.pid(), row.oldMs);
        const pid_t id = old.pid();
        cpu::ProcessSamplingStart(createSystemProcessSource());
        ASSERT_EQ(cpu::UsageCache().count(static_cast<std::uint32_t>(id)), 1u);
        old.end();
        const pid_t reborn = startChildWithId(id, row.newMs, row.how);
        if (reborn < 0)
            GTEST_SKIP() << "cannot start a process on a chosen id: " << strerror(errno);
        ASSERT_EQ(reborn, id);
        waitUntilUsed(reborn, row.newMs);

        const double load = cpu::SampleProcessShares();
        const auto shares = cpu::LastTickShares();
        kill(reborn, SIGKILL);
        waitpid(reborn, nullptr, 0);
        const auto share =
            std::find_if(shares.begin(), shares.end(), [&](const cpu::ProcessShare& s) {
                return s.processId == static_cast<std::uint32_t>(id);
            });
        ASSERT_NE(share, shares.end());
        EXPECT_GE(share->percentage, 0.0);
        EXPECT_LT(share->percentage, 1.0) << "a new process, measured since boot";
        EXPECT_GE(load, 0.0);
        for (const cpu::ProcessShare& s : shares)
            EXPECT_GE(s.percentage, 0.0) << "process " << s.processId;
        cpu::ProcessSamplingEnd();
    }
}

TEST_F(CpuLoadLiveTest, FirstTickMeasuresFromModuleStart) {
    // The start sample is taken; a tick right after it covers a few milliseconds, not the time
    // since boot, so an idle test process contributes next to nothing and the total is sane.
    cpu::ProcessSamplingStart(createSystemProcessSource());
    const double load = cpu::SampleProcessShares();
    EXPECT_GE(load, -1.0);
    EXPECT_LE(load, 101.0);
    EXPECT_FALSE(cpu::UsageCache().empty());
    EXPECT_EQ(cpu::UsageCache().count(static_cast<std::uint32_t>(getpid())), 1u);
}

// A shell loop that keeps starting processes that spin for 0.2 s and end: most of them live
// between two samples. Killed (its group) by the destructor, and by the kernel should this
// test die first; a spinner already started ends by its own time-out.
class ShortLivedSpinners {
public:
    ShortLivedSpinners() {
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(0);
            execl("/bin/sh", "sh", "-c",
                  "while :; do timeout 0.2 sh -c 'while :; do :; done'; done", nullptr);
            _exit(127);
        }
    }
    ~ShortLivedSpinners() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    ShortLivedSpinners(const ShortLivedSpinners&) = delete;
    ShortLivedSpinners& operator=(const ShortLivedSpinners&) = delete;

private:
    pid_t pid_ = -1;
};

TEST_F(CpuLoadLiveTest, MachineLoadAgreesWithProcStatWhileShortLivedProcessesRun) {
    ShortLivedSpinners spinners;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // The test reads the counters just before and just after each of the sampler's readings,
    // so the sampler's interval lies between the inner one (after one reading, before the next)
    // and the outer one: its busy and total ticks lie between theirs, however long a loaded
    // machine holds this thread between the reads.
    StatTicks lo = readStatTicks();
    cpu::ModuleStart(createSystemTimesSource());
    StatTicks hi = readStatTicks();
    for (int tick = 0; tick < 3; ++tick) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const StatTicks nextLo = readStatTicks();
        const double load = cpu::SampleTotalCpuUsage();
        const StatTicks nextHi = readStatTicks();
        const double least = 100.0 * (nextLo.busy - hi.busy) / (nextHi.total - lo.total);
        const double most = 100.0 * (nextHi.busy - lo.busy) / (nextLo.total - hi.total);
        EXPECT_GE(load, least - 0.01)
            << "tick " << tick << ": between " << least << " and " << most;
        EXPECT_LE(load, most + 0.01) << "tick " << tick << ": between " << least << " and " << most;
        EXPECT_TRUE(cpu::LastSampleRead());
        lo = nextLo;
        hi = nextHi;
    }
    cpu::ModuleEnd();
}

TEST(MemoryLiveTest, TextFollowsProcMeminfoByTheFormula) {
    const auto memory = createSystemMemorySource();
    auto figure = [](const std::string& text, const char* key) {
        const std::size_t at = text.find(key);
        EXPECT_NE(at, std::string::npos) << key;
        return std::stoull(text.substr(at + std::char_traits<char>::length(key))) * 1024;
    };
    // The source keeps its descriptor between readings: the readings compared are later ones.
    (void)UpdateMemoryInfo(*memory, u',');
    // MemAvailable moves all the time: compare when it held still around the read.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const std::string before = readFile("/proc/meminfo");
        const std::u16string text = UpdateMemoryInfo(*memory, u',');
        const std::string after = readFile("/proc/meminfo");
        const MemoryStatus m{figure(before, "MemTotal:"), figure(before, "MemAvailable:")};
        if (m.availPhys != figure(after, "MemAvailable:")) continue;
        EXPECT_EQ(text, formatMemoryInfo(m, u','));
        EXPECT_NE(text, u"RAM: 0% (0,0/0,0)");
        return;
    }
    GTEST_SKIP() << "MemAvailable never held still over one read";
}

std::size_t openDescriptors() {
    std::size_t count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (const dirent* entry = readdir(dir))
        count += entry->d_name[0] != '.';
    closedir(dir);
    return count;
}

TEST(ProcSourceLiveTest, EndedProcessCannotBeOpened) {
    const auto source = createSystemProcessSource();
    Child child(Child::Kind::idle);
    const auto id = static_cast<std::uint32_t>(child.pid());
    std::vector<std::uint32_t> ids;
    ASSERT_TRUE(source->listProcessIds(ids));
    EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end());
    auto first = source->openProcess(id);
    ASSERT_TRUE(first);
    EXPECT_TRUE(source->processTimes(*first));
    first.reset();
    ASSERT_TRUE(source->openProcess(id)) << "opens again while the process lives";
    child.end();
    EXPECT_EQ(source->openProcess(id), nullptr);
    EXPECT_EQ(source->openProcess(0), nullptr); // no process 0 in /proc
}

// A child that keeps `threads` threads spinning; killed and reaped by the destructor.
class BusyThreads {
public:
    explicit BusyThreads(int threads) {
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ != 0) return;
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(0);
        for (int i = 1; i < threads; ++i)
            std::thread([] {
                for (volatile unsigned long spins = 0;;)
                    spins = spins + 1;
            }).detach();
        for (volatile unsigned long spins = 0;;)
            spins = spins + 1;
    }
    ~BusyThreads() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    BusyThreads(const BusyThreads&) = delete;
    BusyThreads& operator=(const BusyThreads&) = delete;
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

std::optional<std::uint64_t> timesOf(ProcessSource& source, std::uint32_t pid) {
    const auto process = source.openProcess(pid);
    const auto times = process ? source.processTimes(*process) : std::nullopt;
    if (!times) return std::nullopt;
    return times->kernel + times->user;
}

// The process CPU clock gives what /proc/PID/stat's utime + stime add up to, over all threads:
// read between two reads of the file, it lies between them, allowing the two ticks that the
// file's utime and stime each lose to truncation. For busy processes of one and of three
// threads, and for every process on the machine.
TEST(ProcSourceLiveTest, CpuClockAgreesWithProcStat) {
    const auto clock = createProcProcessSource(ProcessTimesFrom::cpuClock);
    const auto stat = createProcProcessSource(ProcessTimesFrom::statFile);
    const std::uint64_t twoTicks =
        2 * 10'000'000 / static_cast<std::uint64_t>(sysconf(_SC_CLK_TCK));
    auto agree = [&](std::uint32_t pid) -> std::optional<std::string> {
        const auto before = timesOf(*stat, pid);
        const auto between = timesOf(*clock, pid);
        const auto after = timesOf(*stat, pid);
        if (!before || !between || !after) return std::nullopt; // ended meanwhile
        if (*before <= *between && *between <= *after + twoTicks) return std::string();
        return "process " + std::to_string(pid) + ": stat " + std::to_string(*before) + ", clock " +
               std::to_string(*between) + ", stat " + std::to_string(*after);
    };
    for (const int threads : {1, 3}) {
        BusyThreads busy(threads);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (int round = 0; round < 5; ++round) {
            const auto verdict = agree(static_cast<std::uint32_t>(busy.pid()));
            ASSERT_TRUE(verdict);
            EXPECT_EQ(*verdict, "") << threads << " thread(s)";
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    std::vector<std::uint32_t> ids;
    ASSERT_TRUE(clock->listProcessIds(ids));
    std::size_t compared = 0;
    for (const std::uint32_t id : ids)
        if (const auto verdict = agree(id)) {
            EXPECT_EQ(*verdict, "");
            ++compared;
        }
    EXPECT_GT(compared, 0u);
}

// The process ids in /proc, read here independently of the source.
std::vector<std::uint32_t> readdirIds() {
    std::vector<std::uint32_t> ids;
    for (const std::string& name : readProcessSet().ids)
        ids.push_back(static_cast<std::uint32_t>(std::stoul(name)));
    std::sort(ids.begin(), ids.end());
    return ids;
}

// Listings after the first are taken by changes (the known processes' clocks and the ids
// handed out since) while the kernel's count agrees: they list exactly what /proc lists, with
// processes starting and ending between them, and the run times they keep are the clocks'.
TEST(ProcSourceLiveTest, ListingByChangesListsWhatProcLists) {
    const auto source = createSystemProcessSource();
    std::vector<std::uint32_t> ids;
    ASSERT_TRUE(source->listProcessIds(ids));
    std::vector<std::unique_ptr<Child>> children;
    int judged = 0;
    for (int round = 0; round < 30; ++round) {
        children.push_back(std::make_unique<Child>(Child::Kind::idle));
        children.push_back(std::make_unique<Child>(Child::Kind::idle));
        if (round % 2 == 1) children.erase(children.begin()); // one ends, reaped
        const std::vector<std::uint32_t> before = readdirIds();
        ids.clear();
        ASSERT_TRUE(source->listProcessIds(ids));
        if (readdirIds() != before) continue; // /proc changed meanwhile: nothing to judge by
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, before) << "round " << round;
        ++judged;
    }
    const ProcListingCounts counts = procListingCounts(*source);
    std::printf("%d rounds judged; listings: %llu whole, %llu by changes\n", judged,
                static_cast<unsigned long long>(counts.whole),
                static_cast<unsigned long long>(counts.byChanges));
    EXPECT_GT(judged, 0);
    if (counts.byChanges == 0)
        GTEST_SKIP() << "the kernel's process count never agreed (another PID namespace?)";
}

TEST(ProcSourceLiveTest, SystemTimesAreReadOncePerSample) {
    const auto source = createSystemProcessSource();
    auto spin = [] {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(60);
        while (std::chrono::steady_clock::now() < end) {
        }
    };
    source->beginSample();
    const auto a = source->systemTimes();
    spin();
    const auto b = source->systemTimes();
    source->endSample();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->kernel + a->user, b->kernel + b->user);
    spin();
    const auto c = source->systemTimes();
    ASSERT_TRUE(c);
    EXPECT_GT(c->kernel + c->user, a->kernel + a->user) << "outside a sample each call reads";
}

// No descriptor is kept per process (nor kernel memory behind one): whatever the number of
// processes, the source holds /proc, /proc/stat and /proc/loadavg, also under a low limit.
TEST(ProcSourceLiveTest, KeepsNoDescriptorPerProcess) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    const std::size_t baseline = openDescriptors();
    {
        std::vector<std::unique_ptr<Child>> children;
        for (int i = 0; i < 80; ++i)
            children.push_back(std::make_unique<Child>(Child::Kind::idle));
        const auto source = createSystemProcessSource();
        setrlimit(RLIMIT_NOFILE, &saved);
        std::size_t opened = 0;
        for (int tick = 0; tick < 3; ++tick) {
            std::vector<std::uint32_t> ids;
            ASSERT_TRUE(source->listProcessIds(ids));
            (void)source->systemTimes();
            opened = 0;
            for (const std::uint32_t id : ids)
                opened += source->openProcess(id) != nullptr;
            EXPECT_LE(openDescriptors(), baseline + 3); // /proc, /proc/stat, /proc/loadavg
        }
        EXPECT_GE(opened, 80u) << "every process is read";
        children.resize(40);
        std::vector<std::uint32_t> ids;
        source->listProcessIds(ids);
        EXPECT_LE(openDescriptors(), baseline + 3);
    }
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(openDescriptors(), baseline) << "all closed with the source";
}

} // namespace
} // namespace zrm58
