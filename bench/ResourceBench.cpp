// The whole strip's running cost on an X server with a compositing manager, beside programs
// that show the same line (date and time with the Japanese era, memory in use, total CPU, in
// Noto Sans CJK JP at the strip's size, under ja_JP) at the same one-second interval, all in one
// run on the same server:
//  - conky with that line;
//  - a plain QLabel with that line (the toolkit's floor for a line of text);
//  - the same QLabel in a frameless translucent window with a rounded half-transparent rectangle
//    and a drop shadow (the toolkit's floor for the strip's look);
//  - the strip with a settings file of the default look.
// Measured: time from start to the window shown and to the first line drawn, watched from
// outside (the same screen polling for all), median of several starts; CPU time per tick over
// a stretch of steady running, the program's own and the X server's (and the compositing
// manager's, shown apart); context switches per second of all its threads; resident,
// proportional and anonymous memory at the end of it.
// Then the scaling: the strip's CPU per tick and the kernel memory it pins at about 100, 1,000
// and 5,000 processes (sleeping children in a private PID namespace), beside conky and a bare
// loop that reads every /proc/PID/stat once per tick with kept descriptors.
// The last line printed is the ratios line.
//
// A second mode runs the strip alone at a short interval for minutes and prints its memory over
// time, to show that it does not grow.
//
// Needs DISPLAY; bench/resource-bench.sh starts a private Xvfb and xcompmgr and runs this.
#include "ResourceBench.h"
#include "platform/Platform.h"
#include "status/CpuLoad.h"
#include "status/StatusTexts.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
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
    int seconds = 20, starts = 5, scaleSeconds = 8;
    std::vector<int> scaleCounts{100, 1000, 5000};
    std::string self;    // this program, run again inside the private PID namespace
    std::string locale;  // LOCPATH holding ja_JP.UTF-8 for the C library (conky's strftime)
    int inNamespace = 0; // > 0: the process count to make inside a private PID namespace
    int soakMinutes = 0, intervalMs = 50, soakSampleSeconds = 15, churnMs = 10;
};

struct Program {
    std::string name, window;
    std::vector<std::string> argv;
    std::string dir;
    std::string ini; // the strip's settings file text (ASCII), written before each start
};

struct Figures {
    std::vector<double> shownMs, lineMs, lineAfterShownMs;
    double ownMsPerTick = 0, xMsPerTick = 0, compositorMsPerTick = 0;
    double wakeupsPerSecond = 0; // context switches of all the program's threads
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
    // The default look, written out: solid background at half opacity, black text with shadow.
    p.ini = "[Form]\r\nTop=200\r\nLeft=200\r\nHeight=40\r\nWidth=523\r\n"
            "[Timer]\r\nInterval=" +
            std::to_string(intervalMs > 0 ? intervalMs : 1000) + "\r\n";
    return p;
}

Program conkyProgram(const Options& o) {
    Program p{"conky", "conky-bench", {}, tempDir("conky"), {}};
    // The strip's default line: its date pattern through strftime under ja_JP (%EC %Ey: the
    // era and its year), memory and CPU, in the strip's font at its size (12 of 33 logical
    // units drawn in 30 pixels: 11 pixels).
    std::ofstream(p.dir + "/conky.conf")
        << "conky.config = {\n"
           "  out_to_x = true, out_to_console = false, background = false,\n"
           "  own_window = true, own_window_type = 'normal', own_window_title = 'conky-bench',\n"
           "  own_window_colour = 'dcdcdc', default_color = 'black',\n"
           "  update_interval = 1, double_buffer = true, use_xft = true,\n"
           "  font = 'Noto Sans CJK JP:pixelsize=11', minimum_width = 513, minimum_height = 30,\n"
           "  alignment = 'top_left', gap_x = 100, gap_y = 100,\n"
           "}\n"
           "conky.text = [[｜${time %Y年%m月%d日 (%a) %H:%M:%S (%EC %Ey年)}｜RAM: ${memperc}% "
           "(${mem}/${memmax})｜CPU:${cpu}%]]\n";
    p.argv = {o.conky, "-c", p.dir + "/conky.conf"};
    return p;
}

Program labelProgram(const Options& o) {
    return {"qt-label", "MinimalQtLabel", {o.label}, tempDir("label"), {}};
}

Program lookProgram(const Options& o) {
    return {"qt-look", "QtLook", {o.label, "--look"}, tempDir("look"), {}};
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

int countProcesses();

Gathering gatherAlone(int seconds) {
    namespace cpu = zrm58::uTotalCpuUsagePct;
    cpu::ModuleStart(zrm58::createSystemTimesSource());
    const auto memory = zrm58::createSystemMemorySource();
    Gathering g;
    const Clock::time_point t0 = Clock::now();
    for (int s = 1; s <= seconds; ++s) {
        std::this_thread::sleep_until(t0 + std::chrono::seconds(s));
        const double a = threadCpuMs();
        (void)cpu::SampleTotalCpuUsage();
        const double b = threadCpuMs();
        (void)zrm58::UpdateMemoryInfo(*memory, u'.');
        g.samplerMs += b - a;
        g.memoryMs += threadCpuMs() - b;
    }
    g.processes = static_cast<std::size_t>(countProcesses());
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
    if (t.lineMs && t.shownMs) f.lineAfterShownMs.push_back(*t.lineMs - *t.shownMs);
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
    const std::uint64_t switches0 = contextSwitches(pid).value_or(0);
    std::this_thread::sleep_for(std::chrono::seconds(o.seconds));
    const double ticks = o.seconds; // one update a second for every program
    f.wakeupsPerSecond = double(contextSwitches(pid).value_or(0) - switches0) / o.seconds;
    f.ownMsPerTick = (cpuMs(pid) - own0) / ticks;
    f.xMsPerTick = (cpuMs(o.xserver) - x0) / ticks;
    f.compositorMsPerTick = (cpuMs(o.compositor) - c0) / ticks;
    f.memory = memoryOf(pid).value_or(Memory{});
    f.residentByMapping = residentByMapping(pid);
    terminate(pid);
}

void printRow(const char* name, const Figures& f) {
    std::printf("%-10s %8.0f %8.0f %9.3f %9.3f %9.3f %9.3f %8.1f %8.1f %8.2f %8.1f\n", name,
                median(f.shownMs), median(f.lineMs), f.ownMsPerTick, f.xMsPerTick,
                f.ownMsPerTick + f.xMsPerTick, f.compositorMsPerTick, f.memory.rssMiB,
                f.memory.pssMiB, f.memory.anonMiB, f.wakeupsPerSecond);
}

double ratio(double a, double b) {
    return b > 0 ? a / b : 0;
}

void printRatios(const char* name, const Figures& s, const Figures& r) {
    std::printf(
        "%-10s %8.2f %8.2f %9.2f %9.2f %9.2f %9.2f %8.2f %8.2f %8.2f %8.2f\n", name,
        ratio(median(s.shownMs), median(r.shownMs)), ratio(median(s.lineMs), median(r.lineMs)),
        ratio(s.ownMsPerTick, r.ownMsPerTick), ratio(s.xMsPerTick, r.xMsPerTick),
        ratio(s.ownMsPerTick + s.xMsPerTick, r.ownMsPerTick + r.xMsPerTick),
        ratio(s.compositorMsPerTick, r.compositorMsPerTick),
        ratio(s.memory.rssMiB, r.memory.rssMiB), ratio(s.memory.pssMiB, r.memory.pssMiB),
        ratio(s.memory.anonMiB, r.memory.anonMiB), ratio(s.wakeupsPerSecond, r.wakeupsPerSecond));
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

// --- Scaling with the number of processes ---

struct ScalePoint {
    int processes = 0;      // as the namespace's /proc lists them
    double stripMs = 0;     // the strip's own CPU per tick
    double conkyMs = 0;     // conky's own CPU per tick
    double loopMs = 0;      // the bare loop over kept descriptors, per pass
    int stripProcFds = 0;   // descriptors the strip keeps open on /proc
    double loopSlabKiB = 0; // kernel slab grown by the bare loop's kept descriptors
};

double slabKiB() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    double kB = 0, sum = 0;
    std::string unit;
    while (in >> key >> kB) {
        std::getline(in, unit);
        if (key == "Slab:") sum += kB;
        if (key == "KernelStack:" || key == "PageTables:") sum += 0; // not the descriptors'
    }
    return sum;
}

int procFds(pid_t pid) {
    int n = 0;
    const std::string dir = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        std::error_code lec;
        const fs::path target = fs::read_symlink(e.path(), lec);
        if (!lec && target.string().rfind("/proc/", 0) == 0) ++n;
    }
    return n;
}

int countProcesses() {
    int n = 0;
    for (const auto& e : fs::directory_iterator("/proc"))
        if (std::isdigit(static_cast<unsigned char>(e.path().filename().string()[0]))) ++n;
    return n;
}

double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The bare loop: every /proc/PID/stat opened once and kept, then read once per pass.
void bareLoop(int passes, ScalePoint& sp) {
    const double slab0 = slabKiB();
    std::vector<int> fds;
    for (const auto& e : fs::directory_iterator("/proc")) {
        const std::string name = e.path().filename().string();
        if (!std::isdigit(static_cast<unsigned char>(name[0]))) continue;
        const int fd = open(("/proc/" + name + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) fds.push_back(fd);
    }
    char buf[1024];
    for (const int fd : fds) // the first read allocates the kernel's buffer of each file
        [[maybe_unused]] auto n = pread(fd, buf, sizeof buf, 0);
    sp.loopSlabKiB = slabKiB() - slab0;
    const double c0 = processCpuMs();
    for (int i = 0; i < passes; ++i)
        for (const int fd : fds)
            [[maybe_unused]] auto n = pread(fd, buf, sizeof buf, 0);
    sp.loopMs = (processCpuMs() - c0) / passes;
    for (const int fd : fds)
        close(fd);
}

// Runs inside a private PID namespace (as its first process): `count` sleeping children, then
// the strip, conky and the bare loop one after the other. Prints one "scale" line.
int scaleInNamespace(Screen& screen, const Options& o, int count) {
    std::vector<pid_t> sleepers;
    for (int i = 0; i < count - 2; ++i) { // the namespace's first process and the program
        const pid_t c = fork();
        if (c == 0) {
            for (;;)
                pause();
        }
        if (c > 0) sleepers.push_back(c);
    }
    ScalePoint sp;
    auto run = [&](const Program& p, double& msPerTick, int* fds) {
        const pid_t pid = start(p);
        watchStart(screen, p.window, Clock::now(), 10000);
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const double c0 = cpuMs(pid);
        std::this_thread::sleep_for(std::chrono::seconds(o.scaleSeconds));
        msPerTick = (cpuMs(pid) - c0) / o.scaleSeconds;
        if (fds) *fds = procFds(pid);
        sp.processes = countProcesses();
        terminate(pid);
    };
    const Program strip = stripProgram(o, 0), conky = conkyProgram(o);
    run(strip, sp.stripMs, &sp.stripProcFds);
    run(conky, sp.conkyMs, nullptr);
    bareLoop(20, sp);
    std::printf("scale %d %.4f %.4f %.4f %d %.1f\n", sp.processes, sp.stripMs, sp.conkyMs,
                sp.loopMs, sp.stripProcFds, sp.loopSlabKiB);
    fs::remove_all(strip.dir);
    fs::remove_all(conky.dir);
    for (const pid_t c : sleepers)
        kill(c, SIGKILL);
    return 0;
}

std::vector<ScalePoint> scaling(const Options& o) {
    std::vector<ScalePoint> points;
    for (const int n : o.scaleCounts) {
        const std::string cmd = "unshare -fp --mount-proc '" + o.self + "' --strip '" + o.strip +
                                "' --conky '" + o.conky + "' --scale-seconds " +
                                std::to_string(o.scaleSeconds) + " --in-namespace " +
                                std::to_string(n);
        FILE* f = popen(cmd.c_str(), "r");
        if (!f) continue;
        char line[512];
        while (std::fgets(line, sizeof line, f)) {
            ScalePoint sp;
            if (std::sscanf(line, "scale %d %lf %lf %lf %d %lf", &sp.processes, &sp.stripMs,
                            &sp.conkyMs, &sp.loopMs, &sp.stripProcFds, &sp.loopSlabKiB) == 6)
                points.push_back(sp);
        }
        pclose(f);
    }
    return points;
}

int compare(Screen& screen, const Options& o) {
    const std::vector<Program> programs = {conkyProgram(o), labelProgram(o), lookProgram(o),
                                           stripProgram(o, 0)};
    std::map<std::string, Figures> figures;
    for (const Program& p : programs) { // one start each, not counted: cold caches
        Figures warmUp;
        measureStart(screen, p, warmUp);
    }
    for (int i = 0; i < o.starts; ++i) // interleaved, so that load drifts hit all alike
        for (const Program& p : programs)
            measureStart(screen, p, figures[p.name]);

    const double x0 = cpuMs(o.xserver), c0 = cpuMs(o.compositor);
    const int gatherSeconds = std::min(o.seconds, 10);
    const Gathering gathering = gatherAlone(gatherSeconds);
    std::printf("idle X server %.3f ms/s, compositor %.3f ms/s (nothing running)\n",
                (cpuMs(o.xserver) - x0) / gatherSeconds,
                (cpuMs(o.compositor) - c0) / gatherSeconds);
    for (const Program& p : programs)
        measureRunning(screen, o, p, figures[p.name]);

    std::printf("\n%-10s %8s %8s %9s %9s %9s %9s %8s %8s %8s %8s\n", "program", "shown", "line",
                "own", "X server", "own+X", "compmgr", "RSS", "PSS", "anon", "wakeups");
    std::printf("%-10s %8s %8s %9s %9s %9s %9s %8s %8s %8s %8s\n", "", "ms", "ms", "ms/tick",
                "ms/tick", "ms/tick", "ms/tick", "MiB", "MiB", "MiB", "per s");
    for (const Program& p : programs)
        printRow(p.name.c_str(), figures[p.name]);
    const Figures &s = figures["zrm58"], &c = figures["conky"], &q = figures["qt-label"],
                  &look = figures["qt-look"];
    std::printf("\nthe strip's data gathering alone, once a second in the benchmark's process: "
                "load sample %.3f ms (%zu processes running), memory text %.3f ms\n",
                gathering.samplerMs, gathering.processes, gathering.memoryMs);
    std::printf("\nzrm58 as a ratio:\n");
    printRatios("/conky", s, c);
    printRatios("/qt-label", s, q);
    printRatios("/qt-look", s, look);
    std::printf("\nstart-up spread (median above):\n");
    for (const Program& p : programs) {
        printRange((p.name + " shown").c_str(), figures[p.name].shownMs);
        printRange((p.name + " line").c_str(), figures[p.name].lineMs);
        printRange((p.name + " line after shown").c_str(), figures[p.name].lineAfterShownMs);
    }
    printResidentExcess(s, look, "qt-look");
    for (const Program& p : programs)
        fs::remove_all(p.dir);

    std::printf("\nscaling (private PID namespace, %d s per program; ms per tick):\n",
                o.scaleSeconds);
    std::printf("%10s %10s %10s %12s %10s %14s\n", "processes", "zrm58", "conky", "bare loop",
                "zrm58 fds", "loop slab KiB");
    const std::vector<ScalePoint> points = scaling(o);
    for (const ScalePoint& sp : points)
        std::printf("%10d %10.3f %10.3f %12.3f %10d %14.0f\n", sp.processes, sp.stripMs, sp.conkyMs,
                    sp.loopMs, sp.stripProcFds, sp.loopSlabKiB);
    double usPerProcess = 0, kernelKiB = 0;
    if (points.size() >= 2) {
        const ScalePoint &lo = points.front(), &hi = points.back();
        usPerProcess = (hi.stripMs - lo.stripMs) * 1000 / std::max(1, hi.processes - lo.processes);
        // The strip's kept /proc descriptors at the cost per descriptor the bare loop's measured.
        const double perFd = hi.loopSlabKiB / std::max(1, hi.processes);
        kernelKiB = hi.stripProcFds * perFd;
        std::printf("kernel memory per kept, read /proc/PID/stat descriptor: %.2f KiB (slab growth "
                    "of the bare loop / its descriptors; noisy on a shared machine)\n",
                    perFd);
    }

    const double sx = s.ownMsPerTick + s.xMsPerTick;
    std::printf("\nagainst the targets (%d s of running, %d starts each):\n", o.seconds, o.starts);
    verdict("own+X CPU per tick <= conky's", sx <= c.ownMsPerTick + c.xMsPerTick);
    verdict("own+X CPU per tick < the Qt look's", sx < look.ownMsPerTick + look.xMsPerTick);
    verdict("anonymous memory <= 1.5 x conky's", s.memory.anonMiB <= 1.5 * c.memory.anonMiB);
    verdict("resident memory <= the Qt look's + 5 MiB", s.memory.rssMiB <= look.memory.rssMiB + 5);
    verdict("window shown <= 1.5 x qt-label's time to show",
            median(s.shownMs) <= 1.5 * median(q.shownMs));
    const double afterInterval = median(s.lineAfterShownMs) - 1000;
    verdict("first line <= 50 ms after the first interval (from the window shown)",
            afterInterval <= 50);
    verdict("one more process <= 0.25 us per tick (5,000 against 100)", usPerProcess <= 0.25);
    verdict("context switches per second (all threads) <= conky's",
            s.wakeupsPerSecond <= c.wakeupsPerSecond);
    verdict("kernel memory pinned at 5,000 processes < 1 MiB", kernelKiB < 1024);
    std::printf(
        "ratios: cpu_vs_conky=%.2f cpu_vs_qt_look=%.2f anon_vs_conky=%.2f "
        "rss_over_qt_look_mib=%.1f shown_vs_qt_label=%.2f first_line_after_interval_ms=%.0f "
        "us_per_process_5000=%.2f kernel_kib_pinned_5000=%.0f wakeups_vs_conky=%.2f\n",
        ratio(sx, c.ownMsPerTick + c.xMsPerTick), ratio(sx, look.ownMsPerTick + look.xMsPerTick),
        ratio(s.memory.anonMiB, c.memory.anonMiB), s.memory.rssMiB - look.memory.rssMiB,
        ratio(median(s.shownMs), median(q.shownMs)), afterInterval, usPerProcess, kernelKiB,
        ratio(s.wakeupsPerSecond, c.wakeupsPerSecond));
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
        else if (k == "--scale-seconds")
            o.scaleSeconds = std::max(1, std::atoi(v.c_str()));
        else if (k == "--in-namespace")
            o.inNamespace = std::max(3, std::atoi(v.c_str()));
        else if (k == "--locale-path")
            o.locale = v;
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
    Options o = parse(argc, argv);
    o.self = fs::canonical("/proc/self/exe").string();
    // Every program under test shows the Japanese line: ja_JP for ICU and, through a private
    // LOCPATH, for the C library.
    setenv("LANG", "ja_JP.UTF-8", 1);
    unsetenv("LC_ALL");
    unsetenv("LC_TIME");
    if (!o.locale.empty()) setenv("LOCPATH", o.locale.c_str(), 1);
    if (o.strip.empty() || (o.soakMinutes == 0 && o.inNamespace == 0 && o.label.empty())) {
        std::fprintf(stderr, "usage: resource_bench --strip ZRM58 --label MINIMAL_QT_LABEL "
                             "[--conky PATH] [--xserver-pid N] [--compositor-pid N] [--seconds 60] "
                             "[--starts 5] [--scale-seconds 8] [--locale-path DIR]\n"
                             "       resource_bench --strip ZRM58 --memory-soak-minutes M "
                             "[--interval-ms 50] [--churn-ms 10 (0: none)]\n");
        return 2;
    }
    Screen screen;
    if (!screen.ok()) {
        std::fprintf(stderr, "no X server (DISPLAY)\n");
        return 2;
    }
    if (o.inNamespace > 0) return scaleInNamespace(screen, o, o.inNamespace);
    return o.soakMinutes > 0 ? memorySoak(screen, o) : compare(screen, o);
}
