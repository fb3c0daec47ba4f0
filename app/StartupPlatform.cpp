#include "app/StartupPlatform.h"
#include <cstdlib>
#include <cstring>

namespace zrm58 {

void preferXcbPlatform(int argc, char** argv) {
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    if (chosen && *chosen) return;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* session = std::getenv("XDG_SESSION_TYPE");
    if ((wayland && *wayland) || (session && std::strcmp(session, "wayland") == 0))
        setenv("QT_QPA_PLATFORM", "xcb", 1);
}

} // namespace zrm58
