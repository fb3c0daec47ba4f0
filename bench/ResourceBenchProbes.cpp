#include "ResourceBench.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>

namespace rbench {

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// The sum over the process's threads of what `perThread` reads from the file `name` of each
// thread's folder in /proc; nothing when the process is gone.
template <typename PerThread>
std::optional<std::uint64_t> sumOverThreads(pid_t pid, const char* name, PerThread perThread) {
    const std::string taskDir = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(taskDir.c_str());
    if (!dir) return std::nullopt;
    std::uint64_t sum = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream in(taskDir + "/" + entry->d_name + "/" + name);
        sum += perThread(in);
    }
    closedir(dir);
    return sum;
}

std::optional<std::uint64_t> cpuNs(pid_t pid) {
    return sumOverThreads(pid, "schedstat", [](std::ifstream& in) {
        std::uint64_t onCpu = 0;
        return (in >> onCpu) ? onCpu : 0;
    });
}

std::optional<std::uint64_t> contextSwitches(pid_t pid) {
    return sumOverThreads(pid, "status", [](std::ifstream& in) {
        std::uint64_t sum = 0;
        std::string line;
        while (std::getline(in, line))
            if (line.find("_ctxt_switches:") != std::string::npos)
                sum += std::strtoull(line.c_str() + line.find(':') + 1, nullptr, 10);
        return sum;
    });
}

std::optional<Memory> memoryOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    if (!in) return std::nullopt;
    Memory m;
    std::string key;
    double kB = 0;
    bool any = false;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        if (!(fields >> key >> kB)) continue;
        if (key == "Rss:") m.rssMiB = kB / 1024, any = true;
        if (key == "Pss:") m.pssMiB = kB / 1024;
        if (key == "Anonymous:") m.anonMiB = kB / 1024;
    }
    if (!any) return std::nullopt;
    return m;
}

std::map<std::string, double> residentByMapping(pid_t pid) {
    std::map<std::string, double> mib;
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
    std::string line, name = "[anon]";
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string first;
        fields >> first;
        if (first == "Rss:") {
            double kB = 0;
            fields >> kB;
            mib[name] += kB / 1024;
        } else if (first.find('-') != std::string::npos && first.back() != ':') {
            // A mapping's header: range, permissions, offset, device, inode, then the name.
            std::string skip, path;
            fields >> skip >> skip >> skip >> skip;
            std::getline(fields >> std::ws, path);
            name = path.empty() ? "[anon]" : path.substr(path.rfind('/') + 1);
        }
    }
    return mib;
}

pid_t launch(const std::vector<std::string>& argv, const std::string& dir) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const std::string log = dir + "/output.log";
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
        close(out);
    }
    if (chdir(dir.c_str()) != 0) _exit(127);
    execv(args[0], args.data());
    _exit(127);
}

void terminate(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (Clock::now() < deadline) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// --- The X screen ---

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    std::free(r);
    return a;
}

int channelDistance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        d = std::max(d, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return d;
}

// The share of pixels that differ from the desktop colour: the window is painted.
double paintedShare(const std::vector<std::uint32_t>& px, std::uint32_t desktop) {
    if (px.empty()) return 0;
    const auto n = std::count_if(px.begin(), px.end(),
                                 [&](std::uint32_t p) { return channelDistance(p, desktop) > 24; });
    return double(n) / double(px.size());
}

// Pixels far from the area's most common colour: glyph strokes over a plain background.
std::size_t textPixels(const std::vector<std::uint32_t>& px) {
    std::unordered_map<std::uint32_t, std::size_t> counts;
    for (const std::uint32_t p : px)
        ++counts[p];
    std::uint32_t mode = 0;
    std::size_t best = 0;
    for (const auto& [colour, n] : counts)
        if (n > best) mode = colour, best = n;
    return std::size_t(std::count_if(
        px.begin(), px.end(), [&](std::uint32_t p) { return channelDistance(p, mode) > 80; }));
}

} // namespace

Screen::Screen() {
    c_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c_)) return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    netWmName_ = atom(c_, "_NET_WM_NAME");
    utf8_ = atom(c_, "UTF8_STRING");
}

Screen::~Screen() {
    if (c_) xcb_disconnect(c_);
}

std::string Screen::titleOf(xcb_window_t w) {
    std::string title;
    for (const xcb_atom_t property : {netWmName_, xcb_atom_t(XCB_ATOM_WM_NAME)}) {
        xcb_get_property_reply_t* r = xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
        if (r && xcb_get_property_value_length(r) > 0)
            title.assign(static_cast<const char*>(xcb_get_property_value(r)),
                         std::size_t(xcb_get_property_value_length(r)));
        std::free(r);
        if (!title.empty()) break;
    }
    return title;
}

std::optional<Screen::Area> Screen::findViewable(const std::string& name) {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr);
    if (!tree) return std::nullopt;
    const xcb_window_t* kids = xcb_query_tree_children(tree);
    const int count = xcb_query_tree_children_length(tree);
    std::optional<Area> found;
    for (int i = 0; i < count && !found; ++i) {
        xcb_get_window_attributes_reply_t* attr =
            xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, kids[i]), nullptr);
        const bool viewable = attr && attr->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attr);
        if (!viewable || titleOf(kids[i]) != name) continue;
        xcb_get_geometry_reply_t* g =
            xcb_get_geometry_reply(c_, xcb_get_geometry(c_, kids[i]), nullptr);
        if (g) found = Area{g->x, g->y, g->width, g->height};
        std::free(g);
    }
    std::free(tree);
    return found;
}

std::vector<std::uint32_t> Screen::grab(const Area& a) {
    std::vector<std::uint32_t> px;
    if (a.w <= 0 || a.h <= 0) return px;
    xcb_get_image_reply_t* img = xcb_get_image_reply(
        c_,
        xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, std::int16_t(a.x), std::int16_t(a.y),
                      std::uint16_t(a.w), std::uint16_t(a.h), ~0u),
        nullptr);
    if (!img) return px;
    // A 24-bit root in 32-bit little-endian units: 0x00RRGGBB per pixel, rows unpadded.
    const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(img));
    const std::size_t n = std::size_t(xcb_get_image_data_length(img)) / 4;
    if (n >= std::size_t(a.w) * std::size_t(a.h)) {
        px.resize(std::size_t(a.w) * std::size_t(a.h));
        for (std::size_t i = 0; i < px.size(); ++i)
            px[i] = data[i] & 0xFFFFFF;
    }
    std::free(img);
    return px;
}

StartTimes watchStart(Screen& screen, const std::string& windowName, Clock::time_point t0,
                      double timeoutMs) {
    StartTimes t;
    // What the desktop shows where no window is (the compositor paints the root itself).
    const std::vector<std::uint32_t> corner = screen.grab({0, 0, 1, 1});
    const std::uint32_t desktop = corner.empty() ? 0 : corner[0];
    while (msSince(t0) < timeoutMs && !t.lineMs) {
        if (const auto area = screen.findViewable(windowName)) {
            const double now = msSince(t0);
            if (!t.shownMs && paintedShare(screen.grab(*area), desktop) >= 0.5) t.shownMs = now;
            // The label area: the middle of the window, clear of margins, button and glyph.
            const Screen::Area label{area->x + area->w / 5, area->y + area->h / 4, area->w * 3 / 5,
                                     area->h / 2};
            if (t.shownMs && textPixels(screen.grab(label)) >= 15) t.lineMs = now;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return t;
}

} // namespace rbench
