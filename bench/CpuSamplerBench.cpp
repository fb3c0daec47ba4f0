// The load sampler on this machine's processes: the time of one tick with the process CPU
// clocks (the program's source; by_changes is the share of its listings taken by changes
// rather than whole) and with /proc/PID/stat (the reference source), against a bare
// loop that reads /proc/stat once and opens, reads and closes every /proc/PID/stat once; the
// listing of /proc alone, by the source (getdents64) and by readdir. Each at today's process
// count and with extra idle processes that this program starts and ends. Then the figures: over
// a few ticks, every process's share by the clock and by /proc/PID/stat over the same interval,
// for a busy one-thread and a busy three-thread child and for the whole machine.
//
//   cpu_sampler_bench [--extra=0,1000] [--benchmark_filter=...]
//
// For 5,000 processes and nothing else, run it alone in a private PID namespace:
//   unshare -fp --mount-proc cpu_sampler_bench --extra=0,100,1000,5000
#include "platform/Platform.h"
#include "platform/linux/ProcProcessSource.h"
#include "status/CpuLoad.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace cpu = zrm58::uTotalCpuUsagePct;
using zrm58::ProcessTimesFrom;

// Idle children that sleep until killed (or until this program dies: PDEATHSIG).
std::vector<pid_t> idleChildren;

void setExtraProcesses(std::size_t count) {
    const pid_t parent = getpid();
    while (idleChildren.size() < count) {
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(0);
            for (;;)
                pause();
        }
        if (pid < 0) {
            std::perror("fork");
            break;
        }
        idleChildren.push_back(pid);
    }
    while (idleChildren.size() > count) {
        kill(idleChildren.back(), SIGKILL);
        waitpid(idleChildren.back(), nullptr, 0);
        idleChildren.pop_back();
    }
}

// The listing as it was done before: readdir, each name checked and converted.
std::vector<std::uint32_t> readdirProcesses() {
    std::vector<std::uint32_t> ids;
    DIR* dir = opendir("/proc");
    while (const dirent* entry = dir ? readdir(dir) : nullptr) {
        const char* name = entry->d_name;
        if (*name < '1' || *name > '9') continue;
        char* end = nullptr;
        const unsigned long id = std::strtoul(name, &end, 10);
        if (*end == '\0') ids.push_back(static_cast<std::uint32_t>(id));
    }
    if (dir) closedir(dir);
    return ids;
}

void readOnce(const char* path, char* buf, std::size_t size) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    benchmark::DoNotOptimize(read(fd, buf, size));
    close(fd);
}

void setCounters(benchmark::State& state, std::size_t processes) {
    state.counters["processes"] = static_cast<double>(processes);
    state.counters["per_process"] = benchmark::Counter(
        static_cast<double>(processes),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void sampler(benchmark::State& state, ProcessTimesFrom from) {
    setExtraProcesses(static_cast<std::size_t>(state.range(0)));
    auto source = zrm58::createProcProcessSource(from);
    const zrm58::ProcessSource& listed = *source;
    cpu::ProcessSamplingStart(std::move(source));
    for (auto _ : state)
        benchmark::DoNotOptimize(cpu::SampleProcessShares());
    setCounters(state, cpu::UsageCache().size());
    const zrm58::ProcListingCounts counts = zrm58::procListingCounts(listed);
    state.counters["by_changes"] = static_cast<double>(counts.byChanges) /
                                   static_cast<double>(counts.byChanges + counts.whole);
    cpu::ProcessSamplingEnd();
}

void SamplerClock(benchmark::State& state) {
    sampler(state, ProcessTimesFrom::cpuClock);
}

void SamplerStat(benchmark::State& state) {
    sampler(state, ProcessTimesFrom::statFile);
}

void BareLoop(benchmark::State& state) {
    setExtraProcesses(static_cast<std::size_t>(state.range(0)));
    const std::vector<std::uint32_t> ids = readdirProcesses(); // not timed: the loop only reads
    std::vector<std::string> paths;
    for (const std::uint32_t id : ids)
        paths.push_back("/proc/" + std::to_string(id) + "/stat");
    char buf[1024];
    for (auto _ : state) {
        readOnce("/proc/stat", buf, sizeof buf);
        for (const std::string& path : paths)
            readOnce(path.c_str(), buf, sizeof buf);
    }
    setCounters(state, ids.size());
}

// Listing /proc alone: the source's getdents64 listing, and readdir as before.
void ListingSource(benchmark::State& state) {
    setExtraProcesses(static_cast<std::size_t>(state.range(0)));
    const auto source = zrm58::createSystemProcessSource();
    std::vector<std::uint32_t> ids;
    for (auto _ : state) {
        ids.clear();
        benchmark::DoNotOptimize(source->listProcessIds(ids));
    }
    setCounters(state, ids.size());
}

void ListingReaddir(benchmark::State& state) {
    setExtraProcesses(static_cast<std::size_t>(state.range(0)));
    std::size_t count = 0;
    for (auto _ : state)
        count = readdirProcesses().size();
    setCounters(state, count);
}

void configure(benchmark::internal::Benchmark* b) {
    b->ArgName("extra")->Unit(benchmark::kMicrosecond)->MinTime(0.1)->Repetitions(5);
    b->ReportAggregatesOnly(true);
}

// Console output as usual, plus the medians kept for the closing table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(OutputOptions options) : ConsoleReporter(options) {}

    struct Median {
        double cpuUs = 0, processes = 0;
    };

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians_[run.run_name.function_name + "/" + run.run_name.args] = {
                    run.GetAdjustedCPUTime(), run.counters.at("processes").value};
    }

    std::optional<Median> median(const std::string& name, long extra) const {
        const auto it = medians_.find(name + "/extra:" + std::to_string(extra));
        if (it == medians_.end()) return std::nullopt;
        return it->second;
    }

    void printRatios(const std::vector<long>& extras) const {
        std::printf("\n%-6s %9s %11s %11s %11s %11s %11s %11s %9s %9s\n", "extra", "processes",
                    "clock/tick", "clock/proc", "stat/tick", "bare/tick", "list/tick", "readdir",
                    "clock/bare", "clock/stat");
        auto us = [](const std::optional<Median>& m) {
            char text[32] = "          -";
            if (m) std::snprintf(text, sizeof text, "%8.1f us", m->cpuUs);
            return std::string(text);
        };
        auto ratio = [](const std::optional<Median>& a, const std::optional<Median>& b) {
            char text[32] = "        -";
            if (a && b) std::snprintf(text, sizeof text, "%9.2f", a->cpuUs / b->cpuUs);
            return std::string(text);
        };
        for (const long extra : extras) {
            const auto c = median("SamplerClock", extra);
            if (!c) continue;
            const auto s = median("SamplerStat", extra), b = median("BareLoop", extra);
            const auto l = median("ListingSource", extra), r = median("ListingReaddir", extra);
            std::printf("%-6ld %9.0f %s %8.2f us %s %s %s %s %s %s\n", extra, c->processes,
                        us(c).c_str(), c->cpuUs / c->processes, us(s).c_str(), us(b).c_str(),
                        us(l).c_str(), us(r).c_str(), ratio(c, b).c_str(), ratio(c, s).c_str());
        }
        if (extras.size() >= 2) {
            const auto lo = median("SamplerClock", extras.front());
            const auto hi = median("SamplerClock", extras.back());
            if (lo && hi && hi->processes > lo->processes)
                std::printf("one more process costs %.3f us per tick (clock source, %.0f to %.0f "
                            "processes)\n",
                            (hi->cpuUs - lo->cpuUs) / (hi->processes - lo->processes),
                            lo->processes, hi->processes);
        }
        std::printf("(medians of 5 repetitions; CPU time of this process, kernel included; "
                    "clock = the program's sampler, stat = the same sampler on /proc/PID/stat, "
                    "bare = open/read/close of every /proc/PID/stat)\n");
    }

private:
    std::map<std::string, Median> medians_;
};

// A child keeping `threads` threads spinning; killed by the caller.
pid_t startBusy(int threads) {
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
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

// One process's times by both sources, read back to back.
struct BothTimes {
    std::uint64_t clock = 0, stat = 0;
};

std::optional<std::uint64_t> timesOf(zrm58::ProcessSource& source, std::uint32_t pid) {
    const auto process = source.openProcess(pid);
    const auto times = process ? source.processTimes(*process) : std::nullopt;
    if (!times) return std::nullopt;
    return times->kernel + times->user;
}

std::map<std::uint32_t, BothTimes> readBoth(zrm58::ProcessSource& clock,
                                            zrm58::ProcessSource& stat) {
    std::map<std::uint32_t, BothTimes> all;
    std::vector<std::uint32_t> ids;
    if (!clock.listProcessIds(ids)) return all;
    for (const std::uint32_t id : ids) {
        const auto c = timesOf(clock, id), s = timesOf(stat, id);
        if (c && s) all[id] = {*c, *s};
    }
    return all;
}

// Each process's share of the machine over one tick by both sources, and the sums.
void compareFigures() {
    const pid_t one = startBusy(1), three = startBusy(3);
    const auto clock = zrm58::createProcProcessSource(ProcessTimesFrom::cpuClock);
    const auto stat = zrm58::createProcProcessSource(ProcessTimesFrom::statFile);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::printf("\nshares of the whole machine per tick of 1 s, by the process CPU clock and by "
                "/proc/PID/stat over the same interval:\n%-5s %-22s %-22s %-22s %s\n",
                "tick", "1-thread busy child", "3-thread busy child", "whole machine (sum)",
                "largest difference of one process");
    auto systemTotal = [&] {
        const auto t = clock->systemTimes();
        return t ? t->kernel + t->user : 0;
    };
    auto before = readBoth(*clock, *stat);
    std::uint64_t systemBefore = systemTotal();
    for (int tick = 1; tick <= 5; ++tick) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const auto after = readBoth(*clock, *stat);
        const std::uint64_t systemAfter = systemTotal();
        const double machine = static_cast<double>(systemAfter - systemBefore);
        double sumClock = 0, sumStat = 0, largest = 0;
        std::map<pid_t, std::pair<double, double>> child;
        for (const auto& [id, now] : after) {
            const auto was = before.find(id);
            if (was == before.end() || now.clock < was->second.clock) continue; // new this tick
            const double c = 100.0 * static_cast<double>(now.clock - was->second.clock) / machine;
            const double s = 100.0 * static_cast<double>(now.stat - was->second.stat) / machine;
            sumClock += c;
            sumStat += s;
            largest = std::max(largest, std::fabs(c - s));
            if (static_cast<pid_t>(id) == one || static_cast<pid_t>(id) == three)
                child[static_cast<pid_t>(id)] = {c, s};
        }
        std::printf("%-5d %8.2f / %-11.2f %8.2f / %-11.2f %8.2f / %-11.2f %.2f points\n", tick,
                    child[one].first, child[one].second, child[three].first, child[three].second,
                    sumClock, sumStat, largest);
        before = after;
        systemBefore = systemAfter;
    }
    std::printf("(clock / stat, %% of all logical processors; /proc/PID/stat moves in 10 ms "
                "ticks, so one tick of 1 s on 2 processors may differ by up to 1 point per "
                "process)\n");
    for (const pid_t pid : {one, three}) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

// --extra=A,B,... (default 0,1000): the extra idle process counts; removed from argv.
std::vector<long> takeExtras(int& argc, char** argv) {
    std::vector<long> extras{0, 1000};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--extra=", 8) != 0) continue;
        extras.clear();
        for (const char* p = argv[i] + 8; *p;) {
            char* end = nullptr;
            extras.push_back(std::strtol(p, &end, 10));
            p = *end == ',' ? end + 1 : end;
            if (end == p && *p) break;
        }
        std::copy(argv + i + 1, argv + argc, argv + i);
        --argc;
        --i;
    }
    return extras;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<long> extras = takeExtras(argc, argv);
    for (const long extra : extras) {
        configure(benchmark::RegisterBenchmark("SamplerClock", SamplerClock)->Arg(extra));
        configure(benchmark::RegisterBenchmark("SamplerStat", SamplerStat)->Arg(extra));
        configure(benchmark::RegisterBenchmark("BareLoop", BareLoop)->Arg(extra));
        configure(benchmark::RegisterBenchmark("ListingSource", ListingSource)->Arg(extra));
        configure(benchmark::RegisterBenchmark("ListingReaddir", ListingReaddir)->Arg(extra));
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                 : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    setExtraProcesses(0);
    reporter.printRatios(extras);
    compareFigures();
    benchmark::Shutdown();
    return 0;
}
