#pragma once
#include <optional>

namespace zrm58 {

// The strip's file descriptors: the soft limit is raised towards a comfortable number where the
// hard limit allows, and a limit too low for the strip (its display connection, the toolkit's
// event and font files, the single-instance socket, the details panel's reads and the save)
// ends the program now with one line and exit status 1, instead of a strip that hangs at its
// first paint or loses its settings at the end. std::nullopt when the strip may start.
std::optional<int> ensureDescriptors();

// Around the toolkit's start: the toolkit aborts (and advises reinstalling) when its platform
// cannot start, which happens when the X server refuses the connection that follows the display
// check (a server out of client slots). From construction to done(), such a failure ends the
// program with one line naming the display and exit status 1; the toolkit's messages meanwhile
// are held back and written after done(), so that a failed start writes that line alone.
class ToolkitStartGuard {
public:
    // The display is the one `-display` names, else DISPLAY's.
    ToolkitStartGuard(int argc, char** argv);
    ~ToolkitStartGuard();
    void done();

    ToolkitStartGuard(const ToolkitStartGuard&) = delete;
    ToolkitStartGuard& operator=(const ToolkitStartGuard&) = delete;

private:
    bool active_ = true;
};

} // namespace zrm58
