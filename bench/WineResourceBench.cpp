// The Windows strip's running cost under Wine, on the X server named by DISPLAY: zrm58.exe with
// a settings file of the default look beside the smallest layered window that shows the same
// line the same way (bench/win32/MinimalLayeredLine.cpp), one after the other, interleaved over
// several runs so that load drifts hit both alike.
// Measured over a stretch of steady running after the first ticks settle, median of the runs:
// CPU time per tick of the program's own Unix process (Wine runs a Windows process as one) and
// of the X server, and apart from them of the wineserver and the compositing manager; private
// memory at the end of it, as the anonymous memory of the program's process (smaps_rollup):
// what the process wrote to of its own, the same reading for both.
// The last line printed is the Windows ratios line.
//
// Needs DISPLAY, a Wine prefix in WINEPREFIX whose wineserver runs on that display, and the
// wineserver's pid; bench/win32/resource-bench-wine.sh sets all of them up and runs this.
#include "ResourceBench.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using namespace rbench;

namespace {

struct Options {
    std::string wine = "wine", strip, minimal;
    pid_t xserver = 0, compositor = 0, wineserver = 0;
    int seconds = 20, runs = 3;
};

struct Program {
    std::string name, window, exe, dir;
};

struct Run {
    double ownMs = 0, xMs = 0, wineserverMs = 0, compositorMs = 0; // per tick
    Memory memory;
};

double cpuMs(pid_t pid) {
    return pid > 0 ? double(cpuNs(pid).value_or(0)) / 1e6 : 0;
}

// The program copied into a folder of its own, with what it reads beside it.
Program prepare(const std::string& name, const std::string& window, const std::string& exe) {
    std::string dir = (fs::temp_directory_path() / ("zrm58-wine-" + name + "-XXXXXX")).string();
    if (!mkdtemp(dir.data())) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    const std::string copy = dir + "/" + fs::path(exe).filename().string();
    fs::copy_file(exe, copy);
    return {name, window, copy, dir};
}

// The strip's settings file of the default look at the benchmark's place and size, as the
// strip reads it: UTF-16 little-endian with the byte-order mark.
void writeStripSettings(const Program& p) {
    const std::string ascii = "[Form]\r\nTop=200\r\nLeft=200\r\nHeight=40\r\nWidth=523\r\n"
                              "[Timer]\r\nInterval=1000\r\n";
    std::ofstream out(p.dir + "/ZRM58.ini", std::ios::binary | std::ios::trunc);
    out.write("\xFF\xFE", 2);
    for (const char c : ascii)
        out.put(c).put('\0');
}

std::optional<Run> measure(Screen& screen, const Options& o, const Program& p) {
    if (p.name == "zrm58") writeStripSettings(p);
    const pid_t pid = launch({o.wine, p.exe}, p.dir);
    const StartTimes started = watchStart(screen, p.window, Clock::now(), 60000);
    if (!started.lineMs) {
        std::fprintf(stderr, "%s: no line within 60 s (see %s/output.log)\n", p.name.c_str(),
                     p.dir.c_str());
        terminate(pid);
        return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::seconds(3)); // first ticks and caches settle
    const double own0 = cpuMs(pid), x0 = cpuMs(o.xserver), w0 = cpuMs(o.wineserver),
                 c0 = cpuMs(o.compositor);
    std::this_thread::sleep_for(std::chrono::seconds(o.seconds));
    const double ticks = o.seconds; // one line a second for both
    Run r{(cpuMs(pid) - own0) / ticks, (cpuMs(o.xserver) - x0) / ticks,
          (cpuMs(o.wineserver) - w0) / ticks, (cpuMs(o.compositor) - c0) / ticks,
          memoryOf(pid).value_or(Memory{})};
    terminate(pid);
    return r;
}

// The run of median own + X CPU, and its figures.
Run medianRun(const std::vector<Run>& runs) {
    std::vector<Run> sorted = runs;
    std::sort(sorted.begin(), sorted.end(),
              [](const Run& a, const Run& b) { return a.ownMs + a.xMs < b.ownMs + b.xMs; });
    return sorted[sorted.size() / 2];
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string k = argv[i], v = argv[i + 1];
        if (k == "--wine")
            o.wine = v;
        else if (k == "--strip")
            o.strip = v;
        else if (k == "--minimal")
            o.minimal = v;
        else if (k == "--xserver-pid")
            o.xserver = std::atoi(v.c_str());
        else if (k == "--compositor-pid")
            o.compositor = std::atoi(v.c_str());
        else if (k == "--wineserver-pid")
            o.wineserver = std::atoi(v.c_str());
        else if (k == "--seconds")
            o.seconds = std::max(1, std::atoi(v.c_str()));
        else if (k == "--runs")
            o.runs = std::max(1, std::atoi(v.c_str()));
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
    if (o.strip.empty() || o.minimal.empty()) {
        std::fprintf(stderr,
                     "usage: wine_resource_bench --strip ZRM58.EXE --minimal "
                     "MINIMAL_LAYERED_LINE.EXE [--wine PATH] [--xserver-pid N] "
                     "[--compositor-pid N] [--wineserver-pid N] [--seconds 20] [--runs 3]\n");
        return 2;
    }
    Screen screen;
    if (!screen.ok()) {
        std::fprintf(stderr, "no X server (DISPLAY)\n");
        return 2;
    }
    const std::vector<Program> programs = {prepare("minimal", "MinimalLayeredLine", o.minimal),
                                           prepare("zrm58", "ZRM58", o.strip)};
    std::vector<std::vector<Run>> runs(programs.size());
    for (int i = 0; i < o.runs; ++i)
        for (std::size_t k = 0; k < programs.size(); ++k)
            if (const auto r = measure(screen, o, programs[k])) runs[k].push_back(*r);
    for (const Program& p : programs)
        fs::remove_all(p.dir);
    if (runs[0].empty() || runs[1].empty()) return 1;

    std::printf("\nunder Wine (%d runs of %d s each, interleaved; the run of median own+X):\n",
                o.runs, o.seconds);
    std::printf("%-10s %9s %9s %9s %11s %9s %10s %8s %8s\n", "program", "own", "X server", "own+X",
                "wineserver", "compmgr", "own+X", "private", "RSS");
    std::printf("%-10s %9s %9s %9s %11s %9s %10s %8s %8s\n", "", "ms/tick", "ms/tick", "ms/tick",
                "ms/tick", "ms/tick", "runs", "MiB", "MiB");
    std::vector<Run> chosen;
    for (std::size_t k = 0; k < programs.size(); ++k) {
        const Run r = medianRun(runs[k]);
        chosen.push_back(r);
        double lo = 1e9, hi = 0;
        for (const Run& each : runs[k])
            lo = std::min(lo, each.ownMs + each.xMs), hi = std::max(hi, each.ownMs + each.xMs);
        char spread[32];
        std::snprintf(spread, sizeof spread, "%.2f..%.2f", lo, hi);
        std::printf("%-10s %9.3f %9.3f %9.3f %11.3f %9.3f %10s %8.2f %8.2f\n",
                    programs[k].name.c_str(), r.ownMs, r.xMs, r.ownMs + r.xMs, r.wineserverMs,
                    r.compositorMs, spread, r.memory.anonMiB, r.memory.rssMiB);
    }
    const Run &m = chosen[0], &s = chosen[1];
    const double cpuRatio = (m.ownMs + m.xMs) > 0 ? (s.ownMs + s.xMs) / (m.ownMs + m.xMs) : 0;
    const double privateOver = s.memory.anonMiB - m.memory.anonMiB;
    std::printf("\nagainst the targets:\n");
    std::printf("  [%s] own+X CPU per tick <= 1.2 x the minimal layered window's\n",
                cpuRatio <= 1.2 ? "met" : "NOT MET");
    std::printf("  [%s] private memory <= the minimal layered window's + 5 MiB\n",
                privateOver <= 5 ? "met" : "NOT MET");
    std::printf("windows ratios: win_cpu_vs_minimal=%.2f win_private_mib_over_minimal=%.1f\n",
                cpuRatio, privateOver);
    return 0;
}
