#pragma once
#include <chrono>

namespace zrm58::x11 {

// What the X server named by a display name answered to a connection of its own.
enum class DisplayAnswer {
    Ready,        // the server took the connection and has the screen asked for
    Unreachable,  // no server took the connection (refused, no such socket, no access)
    Silent,       // a connection was made but no answer came within the deadline
    NoSuchScreen, // the server answered but has no screen of the number the name gives
};

struct DisplayProbe {
    DisplayAnswer answer = DisplayAnswer::Unreachable;
    int screen = 0;  // the screen the name asks for (":0.1" asks for 1)
    int screens = 0; // how many the server has; 0 unless it answered
};

// Opens a connection to the display and closes it again, before the toolkit opens its own: the
// toolkit waits for good on a server that never answers and aborts on a screen number the
// server does not have. The connection is made on a thread of its own so that the wait ends
// after `deadline`; a thread still waiting then stays blocked until the process ends.
DisplayProbe probeDisplay(const char* displayName, std::chrono::milliseconds deadline);

} // namespace zrm58::x11
