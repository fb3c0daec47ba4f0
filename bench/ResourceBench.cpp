// The whole strip's running cost on an X server, beside conky showing the same facts (date and
// time, memory in use, total CPU) at the same one-second interval and beside the smallest Qt 6
// window with a once-a-second label, all in one run on the same server:
//  - time from start to the window shown and to the first line drawn, watched from outside
//    (the same screen polling for all three programs), median of several starts;
//  - CPU time per one-second update over a minute, the program's own and the X server's (and
//    the compositing manager's, shown apart);
//  - resident, proportional and anonymous memory at the end of that minute.
// The strip's figures are then printed as ratios to the other two.
//
// A second mode runs the strip alone at a short interval for minutes and prints its memory over
// time, to show that it does not grow.
//
// Needs DISPLAY; bench/resource-bench.sh starts a private Xvfb and xcompmgr and runs this.
#include "ResourceBench.h"
#include "platform/Platform.h"
#include "status/StatusTexts.h"
#include "status/uTotalCpuUsagePct.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace rbench;

namespace {

struct Options {
    std::string strip, label, conky = "/usr/bin/conky";
    pid_t xserver = 0, compositor = 0;
    int seconds = 60, starts = 5;
    int soakMinutes = 0, intervalMs = 50, soakSampleSeconds = 15, churnMs = 10;
};

struct Program {
    std::string name, window;
    std::vector<std::string> argv;
    std::string dir;
    std::string ini; // the strip's settings file text (ASCII), written before each start
};

struct Figures {
    std::vector<double> shownMs, lineMs;
    double ownMsPerTick = 0, xMsPerTick = 0, compositorMsPerTick = 0;
    Memory memory;
    std::map<std::string, double> residentByMapping;
};

std::string tempDir(const std::string& tag) {
    std::string pattern = (fs::temp_directory_path() / ("zrm58-bench-" + tag + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    return pattern;
}

// The settings file as the strip reads it: UTF-16 little-endian with the byte-order mark.
void writeUtf16(const std::string& path, const std::string& ascii) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write("\xFF\xFE", 2);
    for (const char c : ascii)
        out.put(c).put('\0');
}

Program stripProgram(const Options& o, int intervalMs) {
    Program p{"zrm58", "ZRM58", {}, tempDir("strip"), {}};
    // A copy of its own, so that its settings file lives beside it.
    const std::string exe = p.dir + "/zrm58";
    fs::copy_file(o.strip, exe, fs::copy_options::overwrite_existing);
    p.argv = {exe};
    if (intervalMs > 0) p.ini = "[Timer]\r\nInterval=" + std::to_string(intervalMs) + "\r\n";
    return p;
}

Program conkyProgram(const Options& o) {
    Program p{"conky", "conky-bench", {}, tempDir("conky"), {}};
    std::ofstream(p.dir + "/conky.conf")
        << "conky.config = {\n"
           "  out_to_x = true, out_to_console = false, background = false,\n"
           "  own_window = true, own_window_type = 'normal', own_window_title = 'conky-bench',\n"
           "  own_window_colour = 'dcdcdc', default_color = 'black',\n"
           "  update_interval = 1, double_buffer = true, use_xft = true,\n"
           "  font = 'DejaVu Sans:size=12', alignment = 'top_left', gap_x = 100, gap_y = 100,\n"
           "}\n"
           "conky.text = [[${time %Y/%m/%d %H:%M:%S} | RAM: ${mem}/${memmax} | CPU: ${cpu}%]]\n";
    p.argv = {o.conky, "-c", p.dir + "/conky.conf"};
    return p;
}

Program labelProgram(const Options& o) {
    return {"qt-label", "MinimalQtLabel", {o.label}, tempDir("label"), {}};
}

pid_t start(const Program& p) {
    if (!p.ini.empty())
        writeUtf16(p.dir + "/ZRM58.ini", p.ini);
    else
        fs::remove(p.dir + "/ZRM58.ini");
    return launch(p.argv, p.dir);
}

// The strip's data gathering alone, in this process at the same one-second interval: the load
// sample over all processes and the memory text. Its CPU is what the strip's tick cannot drop.
struct Gathering {
    double samplerMs = 0, memoryMs = 0;
    std::size_t processes = 0;
};

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

Gathering gatherAlone(int seconds) {
    namespace cpu = zrm58::uTotalCpuUsagePct;
    cpu::ModuleStart(zrm58::createSystemProcessSource());
    const auto memory = zrm58::createSystemMemorySource();
    Gathering g;
    const Clock::time_point t0 = Clock::now();
    for (int s = 1; s <= seconds; ++s) {
        std::this_thread::sleep_until(t0 + std::chrono::seconds(s));
        const double a = threadCpuMs();
        cpu::SampleTotalCpuUsage();
        const double b = threadCpuMs();
        (void)zrm58::UpdateMemoryInfo(*memory, u'.');
        g.samplerMs += b - a;
        g.memoryMs += threadCpuMs() - b;
    }
    g.processes = cpu::UsageCache().size();
    cpu::ModuleEnd();
    g.samplerMs /= seconds;
    g.memoryMs /= seconds;
    return g;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double cpuMs(pid_t pid) {
    return pid > 0 ? double(cpuNs(pid).value_or(0)) / 1e6 : 0;
}

// One start: launched, watched until its line shows, ended.
void measureStart(Screen& screen, const Program& p, Figures& f) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const Clock::time_point t0 = Clock::now();
    const pid_t pid = start(p);
    const StartTimes t = watchStart(screen, p.window, t0, 10000);
    terminate(pid);
    if (t.shownMs) f.shownMs.push_back(*t.shownMs);
    if (t.lineMs) f.lineMs.push_back(*t.lineMs);
    if (!t.lineMs)
        std::fprintf(stderr, "%s: no line within 10 s (see %s)\n", p.name.c_str(),
                     (p.dir + "/output.log").c_str());
}

// One minute (or --seconds) of steady running, alone on the server.
void measureRunning(Screen& screen, const Options& o, const Program& p, Figures& f) {
    const pid_t pid = start(p);
    watchStart(screen, p.window, Clock::now(), 10000);
    std::this_thread::sleep_for(std::chrono::seconds(3)); // first ticks and caches settle
    const double own0 = cpuMs(pid), x0 = cpuMs(o.xserver), c0 = cpuMs(o.compositor);
    std::this_thread::sleep_for(std::chrono::seconds(o.seconds));
    const double ticks = o.seconds; // one update a second for every program
    f.ownMsPerTick = (cpuMs(pid) - own0) / ticks;
    f.xMsPerTick = (cpuMs(o.xserver) - x0) / ticks;
    f.compositorMsPerTick = (cpuMs(o.compositor) - c0) / ticks;
    f.memory = memoryOf(pid).value_or(Memory{});
    f.residentByMapping = residentByMapping(pid);
    terminate(pid);
}

void printRow(const char* name, const Figures& f) {
    std::printf("%-10s %8.0f %8.0f %9.3f %9.3f %9.3f %9.3f %8.1f %8.1f %8.2f\n", name,
                median(f.shownMs), median(f.lineMs), f.ownMsPerTick, f.xMsPerTick,
                f.ownMsPerTick + f.xMsPerTick, f.compositorMsPerTick, f.memory.rssMiB,
                f.memory.pssMiB, f.memory.anonMiB);
}

double ratio(double a, double b) {
    return b > 0 ? a / b : 0;
}

void printRatios(const char* name, const Figures& s, const Figures& r) {
    std::printf("%-10s %8.2f %8.2f %9.2f %9.2f %9.2f %9.2f %8.2f %8.2f %8.2f\n", name,
                ratio(median(s.shownMs), median(r.shownMs)),
                ratio(median(s.lineMs), median(r.lineMs)), ratio(s.ownMsPerTick, r.ownMsPerTick),
                ratio(s.xMsPerTick, r.xMsPerTick),
                ratio(s.ownMsPerTick + s.xMsPerTick, r.ownMsPerTick + r.xMsPerTick),
                ratio(s.compositorMsPerTick, r.compositorMsPerTick),
                ratio(s.memory.rssMiB, r.memory.rssMiB), ratio(s.memory.pssMiB, r.memory.pssMiB),
                ratio(s.memory.anonMiB, r.memory.anonMiB));
}

void printRange(const char* name, const std::vector<double>& v) {
    if (v.empty()) return;
    std::printf("  %s: %zu starts, %.0f .. %.0f ms\n", name, v.size(),
                *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()));
}

// Where the strip's resident memory exceeds the other program's, mapping by mapping.
void printResidentExcess(const Figures& s, const Figures& r, const char* other) {
    std::vector<std::pair<double, std::string>> excess;
    for (const auto& [name, mib] : s.residentByMapping) {
        const auto it = r.residentByMapping.find(name);
        const double more = mib - (it == r.residentByMapping.end() ? 0 : it->second);
        if (more >= 0.25) excess.emplace_back(more, name);
    }
    std::sort(excess.rbegin(), excess.rend());
    std::printf("\nresident memory of zrm58 beyond %s's, by mapping (0.25 MiB or more):\n", other);
    for (const auto& [more, name] : excess)
        std::printf("  %6.2f MiB  %s\n", more, name.c_str());
}

void verdict(const char* what, bool ok) {
    std::printf("  [%s] %s\n", ok ? "met" : "NOT MET", what);
}

int compare(Screen& screen, const Options& o) {
    const std::vector<Program> programs = {conkyProgram(o), labelProgram(o), stripProgram(o, 0)};
    std::map<std::string, Figures> figures;
    for (const Program& p : programs) { // one start each, not counted: cold caches
        Figures warmUp;
        measureStart(screen, p, warmUp);
    }
    for (int i = 0; i < o.starts; ++i) // interleaved, so that load drifts hit all alike
        for (const Program& p : programs)
            measureStart(screen, p, figures[p.name]);

    const double x0 = cpuMs(o.xserver), c0 = cpuMs(o.compositor);
    const int gatherSeconds = std::min(o.seconds, 20);
    const Gathering gathering = gatherAlone(gatherSeconds);
    std::printf("idle X server %.3f ms/s, compositor %.3f ms/s (nothing running)\n",
                (cpuMs(o.xserver) - x0) / gatherSeconds,
                (cpuMs(o.compositor) - c0) / gatherSeconds);
    for (const Program& p : programs)
        measureRunning(screen, o, p, figures[p.name]);

    std::printf("\n%-10s %8s %8s %9s %9s %9s %9s %8s %8s %8s\n", "program", "shown", "line", "own",
                "X server", "own+X", "compmgr", "RSS", "PSS", "anon");
    std::printf("%-10s %8s %8s %9s %9s %9s %9s %8s %8s %8s\n", "", "ms", "ms", "ms/tick", "ms/tick",
                "ms/tick", "ms/tick", "MiB", "MiB", "MiB");
    for (const Program& p : programs)
        printRow(p.name.c_str(), figures[p.name]);
    const Figures &s = figures["zrm58"], &c = figures["conky"], &q = figures["qt-label"];
    std::printf("\nthe strip's data gathering alone, once a second in the benchmark's process: "
                "load sample %.3f ms (%zu processes), memory text %.3f ms\n",
                gathering.samplerMs, gathering.processes, gathering.memoryMs);
    std::printf("\nzrm58 as a ratio:\n");
    printRatios("/conky", s, c);
    printRatios("/qt-label", s, q);
    std::printf("\nstart-up spread (median above):\n");
    for (const Program& p : programs) {
        printRange((p.name + " shown").c_str(), figures[p.name].shownMs);
        printRange((p.name + " line").c_str(), figures[p.name].lineMs);
    }
    printResidentExcess(s, q, "qt-label");
    std::printf("\nagainst the targets (%d s of running, %d starts each):\n", o.seconds, o.starts);
    verdict("own+X CPU per tick <= conky's",
            s.ownMsPerTick + s.xMsPerTick <= c.ownMsPerTick + c.xMsPerTick);
    verdict("anonymous memory <= 2 x conky's", s.memory.anonMiB <= 2 * c.memory.anonMiB);
    verdict("resident memory <= qt-label's + 10 MiB", s.memory.rssMiB <= q.memory.rssMiB + 10);
    verdict("first line <= 1.5 x qt-label's time to show",
            median(s.lineMs) <= 1.5 * median(q.shownMs));
    verdict("window shown <= 1.5 x qt-label's time to show",
            median(s.shownMs) <= 1.5 * median(q.shownMs));
    for (const Program& p : programs)
        fs::remove_all(p.dir);
    return 0;
}

// Short-lived processes, one every `everyMs`, until destroyed: the strip's sampler meets
// thousands of processes that come and go.
class Churn {
public:
    explicit Churn(int everyMs)
        : thread_([this, everyMs] {
              while (!stop_) {
                  const pid_t child = fork();
                  if (child == 0) _exit(0);
                  if (child > 0) {
                      waitpid(child, nullptr, 0);
                      ++started_;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(everyMs));
              }
          }) {}
    ~Churn() {
        stop_ = true;
        thread_.join();
    }
    long started() const { return started_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<long> started_{0};
    std::thread thread_;
};

// The strip alone at a short interval, with process churn: its memory sampled every few seconds.
int memorySoak(Screen& screen, const Options& o) {
    const Program p = stripProgram(o, o.intervalMs);
    const pid_t pid = start(p);
    const StartTimes t = watchStart(screen, p.window, Clock::now(), 10000);
    if (!t.shownMs) {
        std::fprintf(stderr, "the strip did not show (see %s/output.log)\n", p.dir.c_str());
        terminate(pid);
        return 1;
    }
    std::printf("zrm58 at %d ms for %d min, pid %d, a process started and ended every %d ms "
                "(0: none)\n%8s %8s %8s %8s %8s %10s\n",
                o.intervalMs, o.soakMinutes, int(pid), o.churnMs, "s", "ticks", "RSS MiB",
                "PSS MiB", "anon MiB", "CPU ms");
    const Clock::time_point t0 = Clock::now();
    std::vector<Memory> samples;
    const int total = o.soakMinutes * 60;
    std::optional<Churn> churn;
    if (o.churnMs > 0) churn.emplace(o.churnMs);
    for (int s = 0; s <= total; s += o.soakSampleSeconds) {
        std::this_thread::sleep_until(t0 + std::chrono::seconds(s));
        const auto m = memoryOf(pid);
        if (!m) {
            std::fprintf(stderr, "the strip ended early\n");
            return 1;
        }
        samples.push_back(*m);
        std::printf("%8d %8d %8.2f %8.2f %8.2f %10.0f\n", s, s * 1000 / o.intervalMs, m->rssMiB,
                    m->pssMiB, m->anonMiB, cpuMs(pid));
        std::fflush(stdout);
    }
    const long churned = churn ? churn->started() : 0;
    churn.reset();
    terminate(pid);
    fs::remove_all(p.dir);
    std::printf("%ld short-lived processes started and ended meanwhile\n", churned);
    // Growth after the first minute (fonts, caches and the allocator's pools fill up by then).
    const std::size_t from = std::min(samples.size() - 1, std::size_t(60 / o.soakSampleSeconds));
    auto maxOf = [&](auto field) {
        double m = 0;
        for (std::size_t i = from; i < samples.size(); ++i)
            m = std::max(m, samples[i].*field);
        return m;
    };
    std::printf("after the first minute: RSS %.2f -> %.2f MiB (max %.2f), anon %.2f -> %.2f MiB "
                "(max %.2f)\n",
                samples[from].rssMiB, samples.back().rssMiB, maxOf(&Memory::rssMiB),
                samples[from].anonMiB, samples.back().anonMiB, maxOf(&Memory::anonMiB));
    return 0;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string k = argv[i], v = argv[i + 1];
        if (k == "--strip")
            o.strip = v;
        else if (k == "--label")
            o.label = v;
        else if (k == "--conky")
            o.conky = v;
        else if (k == "--xserver-pid")
            o.xserver = std::atoi(v.c_str());
        else if (k == "--compositor-pid")
            o.compositor = std::atoi(v.c_str());
        else if (k == "--seconds")
            o.seconds = std::max(1, std::atoi(v.c_str()));
        else if (k == "--starts")
            o.starts = std::max(1, std::atoi(v.c_str()));
        else if (k == "--memory-soak-minutes")
            o.soakMinutes = std::max(1, std::atoi(v.c_str()));
        else if (k == "--interval-ms")
            o.intervalMs = std::max(1, std::atoi(v.c_str()));
        else if (k == "--churn-ms")
            o.churnMs = std::max(0, std::atoi(v.c_str()));
        else {
            std::fprintf(stderr, "unknown option %s\n", k.c_str());
            std::exit(2);
        }
    }
    return o;
}

} // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    if (o.strip.empty() || (o.soakMinutes == 0 && o.label.empty())) {
        std::fprintf(stderr, "usage: resource_bench --strip ZRM58 --label MINIMAL_QT_LABEL "
                             "[--conky PATH] [--xserver-pid N] [--compositor-pid N] [--seconds 60] "
                             "[--starts 5]\n"
                             "       resource_bench --strip ZRM58 --memory-soak-minutes M "
                             "[--interval-ms 50] [--churn-ms 10 (0: none)]\n");
        return 2;
    }
    Screen screen;
    if (!screen.ok()) {
        std::fprintf(stderr, "no X server (DISPLAY)\n");
        return 2;
    }
    return o.soakMinutes > 0 ? memorySoak(screen, o) : compare(screen, o);
}
