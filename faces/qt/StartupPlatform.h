#pragma once
#include <optional>
#include <string>

namespace zrm58 {

// What the platform choice is made from: the environment (null: unset), the strip's own command
// line, and what is installed.
struct PlatformInputs {
    const char* qpaPlatform = nullptr;    // QT_QPA_PLATFORM, which many export for every program
    const char* display = nullptr;        // DISPLAY: an X server, XWayland in a Wayland session
    const char* waylandDisplay = nullptr; // WAYLAND_DISPLAY
    const char* sessionType = nullptr;    // XDG_SESSION_TYPE
    const char* platformOption = nullptr; // the value of -platform on the strip's command line
    bool displayOption = false;           // -display on the strip's own command line
    bool waylandPlugin = false;           // the toolkit's Wayland platform plugin is installed
};

struct PlatformChoice {
    // The value QT_QPA_PLATFORM gets: "" unsets it; std::nullopt leaves it as it is.
    std::optional<std::string> platform;
    // Whether the strip runs on Wayland itself, where the compositor places its window.
    bool native = false;
};

// The strip runs on X11 (XWayland in a Wayland session) whenever an X display is there, also when
// QT_QPA_PLATFORM asks every program for Wayland: Wayland gives a client neither its place nor
// stay-on-top. Only -platform on the strip's own command line overrides that. Without an X
// display it runs on Wayland itself where the plugin is installed; where it is not, a
// QT_QPA_PLATFORM that asks for Wayland is set aside, so that the missing display is told in
// one line instead of the toolkit's abort.
PlatformChoice choosePlatform(const PlatformInputs& in);

// Whether the toolkit's Wayland platform plugin is installed where the toolkit looks for it.
bool waylandPluginInstalled();

// Carries out choosePlatform for this process, and says once on standard error when the strip
// runs on Wayland itself (not when it only answers --help or --version).
void preferXcbPlatform(int argc, char** argv);

// Without a session bus (DBUS_SESSION_BUS_ADDRESS unset or empty, and no socket "bus" in
// XDG_RUNTIME_DIR) the bus library would start a bus daemon of its own for the strip's first
// accessibility query (dbus-launch --autolaunch), a daemon that then outlives the strip. There is
// no desktop service to reach without a bus, so the address is set to "disabled:" instead. True
// when it was set.
bool avoidBusAutolaunch();

// The toolkit's ways of waking and of handing pixels to the X server, chosen for a small window
// that repaints a few glyphs a second. Each is left as it is where the user's environment sets it.
// - Pixels go through the socket, not shared memory (QT_XCB_NO_MITSHM): with shared memory the
//   toolkit waits for the server (a round trip) before it paints again an area it handed over the
//   time before, and a tick repaints the seconds' glyphs every time. A few KiB through the socket
//   cost the server no more, and neither side waits.
// - The toolkit's own event dispatcher, not GLib's (QT_NO_GLIB): the strip uses no GLib source,
//   and GLib's loop takes more calls per wake-up.
void chooseLeanToolkitPaths();

// The font families the settings offer are Windows fonts. Where one is not installed, stand in
// with a family of similar width that has Japanese glyphs, so that the line keeps its length.
void installFontSubstitutes();

} // namespace zrm58
