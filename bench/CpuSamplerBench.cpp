// One tick of the load sampler on this machine's processes, against a bare loop that reads
// /proc/stat once and opens, reads and closes every /proc/PID/stat once; both at today's
// process count and with 1,000 extra idle processes that this program starts and ends.
// Prints the time per tick and per process and the ratio sampler / bare loop.
//
//   cpu_sampler_bench [--benchmark_filter=...]
#include "platform/Platform.h"
#include "status/uTotalCpuUsagePct.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace cpu = zrm58::uTotalCpuUsagePct;

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

std::vector<std::uint32_t> listProcesses() {
    std::vector<std::uint32_t> ids;
    DIR* dir = opendir("/proc");
    while (const dirent* entry = dir ? readdir(dir) : nullptr) {
        std::uint32_t id = 0;
        const char* name = entry->d_name;
        const char* end = name + std::char_traits<char>::length(name);
        if (auto [ptr, ec] = std::from_chars(name, end, id); ec == std::errc() && ptr == end)
            ids.push_back(id);
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

void Sampler(benchmark::State& state) {
    setExtraProcesses(static_cast<std::size_t>(state.range(0)));
    cpu::ModuleStart(zrm58::createSystemProcessSource());
    for (auto _ : state)
        benchmark::DoNotOptimize(cpu::SampleTotalCpuUsage());
    setCounters(state, cpu::UsageCache().size());
    cpu::ModuleEnd();
}

void BareLoop(benchmark::State& state) {
    setExtraProcesses(static_cast<std::size_t>(state.range(0)));
    const std::vector<std::uint32_t> ids = listProcesses(); // not timed: the loop only reads
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

// What listing /proc alone costs (inside the sampler's time, not the bare loop's).
void Listing(benchmark::State& state) {
    setExtraProcesses(static_cast<std::size_t>(state.range(0)));
    std::size_t count = 0;
    for (auto _ : state)
        count = listProcesses().size();
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
        double cpuUs = 0, realUs = 0, processes = 0;
    };

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians_[run.run_name.function_name + "/" + run.run_name.args] = {
                    run.GetAdjustedCPUTime(), run.GetAdjustedRealTime(),
                    run.counters.at("processes").value};
    }

    void printRatios() const {
        std::printf("\n%-7s %9s %12s %12s %12s %12s %10s %10s\n", "extra", "processes",
                    "sampler/tick", "sampler/proc", "bare/tick", "bare/proc", "ratio cpu",
                    "ratio wall");
        for (const char* extra : {"0", "1000"}) {
            const auto s = medians_.find(std::string("Sampler/extra:") + extra);
            const auto b = medians_.find(std::string("BareLoop/extra:") + extra);
            if (s == medians_.end() || b == medians_.end()) continue;
            const Median& sm = s->second;
            const Median& bm = b->second;
            std::printf("%-7s %9.0f %9.1f us %9.2f us %9.1f us %9.2f us %10.2f %10.2f\n", extra,
                        sm.processes, sm.cpuUs, sm.cpuUs / sm.processes, bm.cpuUs,
                        bm.cpuUs / bm.processes, sm.cpuUs / bm.cpuUs, sm.realUs / bm.realUs);
        }
        std::printf("(medians of 5 repetitions; times are CPU time of this process, kernel "
                    "included; ratio = sampler / bare loop)\n");
    }

private:
    std::map<std::string, Median> medians_;
};

} // namespace

int main(int argc, char** argv) {
    for (const int extra : {0, 1000}) {
        configure(benchmark::RegisterBenchmark("Sampler", Sampler)->Arg(extra));
        configure(benchmark::RegisterBenchmark("BareLoop", BareLoop)->Arg(extra));
        configure(benchmark::RegisterBenchmark("Listing", Listing)->Arg(extra));
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                 : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    setExtraProcesses(0);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
