#include "faces/qt/StartupChecks.h"
#include "faces/qt/DisplayProbe.h"
#include "faces/qt/StartupPlatform.h"
#include "faces/qt/ToolkitOptions.h"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifndef ZRM58_VERSION
#define ZRM58_VERSION "unknown"
#endif

namespace zrm58 {
namespace {

const char kUsage[] =
    "Usage: zrm58 [--help] [--version] [toolkit options]\n"
    "Show the ZRM58 strip: date and time, memory in use and processor load in one translucent\n"
    "line on the desktop. Its menu button opens resize, settings and exit.\n"
    "\n"
    "  --help      show this text\n"
    "  --version   show the version\n"
    "\n"
    "The settings live in ZRM58.ini (see the manual page). Starting zrm58 while a strip on the\n"
    "same settings file runs brings that strip onto the screen instead of a second one.\n"
    "Toolkit options are those of Qt (-display, -platform, -style and the like); any other\n"
    "option or argument is refused.\n"
    "Exit status: 0 after a normal end, 1 when the strip could not start or its display broke,\n"
    "2 on an unknown option.\n";

bool nonEmpty(const char* v) {
    return v && *v;
}

// How long the X server may take to answer the first connection.
constexpr std::chrono::seconds kDisplayDeadline{5};

// One line and exit status 1 when the display cannot serve the strip; the toolkit would hang on a
// server that never answers and abort on a screen the server does not have.
std::optional<int> checkDisplay(const char* display) {
    const x11::DisplayProbe probe = x11::probeDisplay(display, kDisplayDeadline);
    switch (probe.answer) {
    case x11::DisplayAnswer::Ready:
        return std::nullopt;
    case x11::DisplayAnswer::Unreachable:
        std::fprintf(stderr,
                     "zrm58: cannot open the display '%s'; start zrm58 from a desktop session, "
                     "or set DISPLAY to a running X server this user may use\n",
                     display);
        break;
    case x11::DisplayAnswer::Silent:
        std::fprintf(stderr,
                     "zrm58: the display '%s' does not answer (no reply in %lld s); its X server "
                     "may be stopped or busy, or the name leads to something else\n",
                     display, static_cast<long long>(kDisplayDeadline.count()));
        break;
    case x11::DisplayAnswer::NoSuchScreen:
        std::fprintf(stderr,
                     "zrm58: the display '%s' has no screen %d; its X server's screens are "
                     "numbered 0 to %d\n",
                     display, probe.screen, probe.screens - 1);
        break;
    }
    return 1;
}

int refuseArgument(const char* arg) {
    std::fprintf(stderr, "zrm58: %s '%s' (try zrm58 --help)\n",
                 arg[0] == '-' && arg[1] != '\0' ? "unknown option" : "unexpected argument", arg);
    return 2;
}

} // namespace

std::optional<int> startupChecks(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("zrm58 %s\n", ZRM58_VERSION);
            return 0;
        }
    }
    // An unknown option is told the same way with a display as without one.
    if (const std::optional<int> foreign = firstForeignArgument(argc, argv))
        return refuseArgument(argv[*foreign]);

    // Only the X11 platform is checked here; a platform the user chose is the toolkit's business.
    const char* chosen = optionValue(argc, argv, "-platform");
    if (!chosen) chosen = std::getenv("QT_QPA_PLATFORM");
    if (nonEmpty(chosen) && std::strncmp(chosen, "xcb", 3) != 0) return std::nullopt;

    const char* display = optionValue(argc, argv, "-display");
    if (!display) display = std::getenv("DISPLAY");
    if (!nonEmpty(display)) {
        if (nonEmpty(std::getenv("WAYLAND_DISPLAY"))) {
            // Only advice that can work: the plugin is asked for, not assumed.
            if (waylandPluginInstalled())
                std::fputs("zrm58: no X display: DISPLAY is not set in this Wayland session; "
                           "enable XWayland in the compositor, or start zrm58 without asking for "
                           "xcb (it then runs on Wayland itself)\n",
                           stderr);
            else
                std::fputs("zrm58: no X display: DISPLAY is not set in this Wayland session and "
                           "Qt's Wayland platform plugin is not installed; enable XWayland in the "
                           "compositor, or install the plugin (Debian: qt6-wayland)\n",
                           stderr);
        } else {
            std::fputs("zrm58: no display: DISPLAY is not set; start zrm58 from a desktop "
                       "session, or name a running X server (DISPLAY=:0 zrm58)\n",
                       stderr);
        }
        return 1;
    }
    return checkDisplay(display);
}

std::optional<int> rejectLeftoverArguments(int argc, char** argv) {
    if (argc < 2) return std::nullopt;
    return refuseArgument(argv[1]);
}

} // namespace zrm58
