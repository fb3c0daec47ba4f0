#pragma once

namespace zrm58 {

// Under a Wayland session, ask for the X11 platform (XWayland): Wayland gives a client neither
// its position nor stay-on-top. A platform the user chose (QT_QPA_PLATFORM or -platform) wins.
void preferXcbPlatform(int argc, char** argv);

} // namespace zrm58
