#include "faces/qt/DisplayProbe.h"

#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <xcb/xcb.h>

namespace zrm58::x11 {
namespace {

// Shared by the caller and the connecting thread, which may outlive the caller's wait.
struct Attempt {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    DisplayProbe result;
};

DisplayProbe connectOnce(const std::string& displayName) {
    DisplayProbe probe;
    // The screen is checked here, not by the library (which would only refuse the connection),
    // so that the message can say which screens there are.
    char* host = nullptr;
    int display = 0;
    if (!xcb_parse_display(displayName.c_str(), &host, &display, &probe.screen)) return probe;
    std::free(host);
    xcb_connection_t* c = xcb_connect(displayName.c_str(), nullptr);
    if (xcb_connection_has_error(c) == 0) {
        probe.screens = xcb_setup_roots_length(xcb_get_setup(c));
        probe.answer = probe.screen >= 0 && probe.screen < probe.screens
                           ? DisplayAnswer::Ready
                           : DisplayAnswer::NoSuchScreen;
    }
    xcb_disconnect(c);
    return probe;
}

} // namespace

DisplayProbe probeDisplay(const char* displayName, std::chrono::milliseconds deadline) {
    const auto attempt = std::make_shared<Attempt>();
    try {
        std::thread([attempt, name = std::string(displayName)] {
            const DisplayProbe result = connectOnce(name);
            const std::lock_guard lock(attempt->mutex);
            attempt->result = result;
            attempt->finished = true;
            attempt->done.notify_one();
        }).detach();
    } catch (const std::system_error&) {
        return connectOnce(displayName); // no thread to be had: without the deadline
    }
    std::unique_lock lock(attempt->mutex);
    if (!attempt->done.wait_for(lock, deadline, [&] { return attempt->finished; }))
        return {DisplayAnswer::Silent, 0, 0};
    return attempt->result;
}

} // namespace zrm58::x11
