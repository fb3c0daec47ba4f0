#pragma once

namespace zrm58 {

// Under a Wayland session, ask for the X11 platform (XWayland): Wayland gives a client neither
// its position nor stay-on-top. A platform the user chose (QT_QPA_PLATFORM or -platform) wins.
void preferXcbPlatform(int argc, char** argv);

// Without a session bus (DBUS_SESSION_BUS_ADDRESS unset or empty, and no socket "bus" in
// XDG_RUNTIME_DIR) the bus library would start a bus daemon of its own for the strip's first
// accessibility query (dbus-launch --autolaunch), a daemon that then outlives the strip. There is
// no desktop service to reach without a bus, so the address is set to "disabled:" instead. True
// when it was set.
bool avoidBusAutolaunch();

// The font families the settings offer are Windows fonts. Where one is not installed, stand in
// with a family of similar width that has Japanese glyphs, so that the line keeps its length.
void installFontSubstitutes();

} // namespace zrm58
