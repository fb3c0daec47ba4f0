#pragma once
// Probes of the resource benchmark: a process's CPU time and memory from /proc, starting and
// ending the programs under test, and watching the X screen for their windows and first line.
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>
#include <xcb/xcb.h>

namespace rbench {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0);

// CPU time of all the process's live threads, in nanoseconds (/proc/PID/task/*/schedstat,
// which counts to the nanosecond, where /proc/PID/stat counts 10 ms clock ticks).
std::optional<std::uint64_t> cpuNs(pid_t pid);
// Context switches of all the process's live threads, voluntary and not (each one is the thread
// going to sleep or being put aside: a wake-up of the process), from /proc/PID/task/*/status.
std::optional<std::uint64_t> contextSwitches(pid_t pid);

// Resident, proportional and anonymous memory, in MiB (/proc/PID/smaps_rollup).
struct Memory {
    double rssMiB = 0, pssMiB = 0, anonMiB = 0;
};
std::optional<Memory> memoryOf(pid_t pid);
// Resident memory by what is mapped (a file's name, or [heap], [anon], [stack]), in MiB.
std::map<std::string, double> residentByMapping(pid_t pid);

// Starts `argv` in directory `dir` with its output into dir/output.log. The child is killed
// should the benchmark die first.
pid_t launch(const std::vector<std::string>& argv, const std::string& dir);
// SIGTERM, then SIGKILL after two seconds; always reaps.
void terminate(pid_t pid);

// The X screen named by DISPLAY, as a person sees it (the root window, composited).
class Screen {
public:
    Screen();
    ~Screen();
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;
    bool ok() const { return root_ != 0; }

    struct Area {
        int x = 0, y = 0, w = 0, h = 0;
    };
    // The root-coordinate area of a viewable top-level window titled `name`.
    std::optional<Area> findViewable(const std::string& name);
    // Pixels of the area as 0xRRGGBB, row by row; empty on failure.
    std::vector<std::uint32_t> grab(const Area& a);

private:
    std::string titleOf(xcb_window_t w);
    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t netWmName_ = 0, utf8_ = 0;
};

// Times from `t0` (just before the program was started) until its window is viewable and
// painted (`shownMs`), and until its label area shows text (`lineMs`). Either stays empty if
// it did not happen within `timeoutMs`.
struct StartTimes {
    std::optional<double> shownMs, lineMs;
};
StartTimes watchStart(Screen& screen, const std::string& windowName, Clock::time_point t0,
                      double timeoutMs);

} // namespace rbench
