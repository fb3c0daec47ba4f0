#pragma once
// Runs a piece of a test in a child process with a deadline, so that a read that blocks (a FIFO
// where a kernel file should be) fails the test instead of hanging it.
#include <chrono>
#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zrm58::testing {

inline constexpr int kTimedOut = -1;

// The child's exit status (what `body` returned), or kTimedOut when it had not ended by
// `deadline` (it is killed then); a child killed by a signal gives 128 + the signal. The
// deadline only turns a hang into a failure: long enough for a sanitized build on a loaded
// machine, and a child that ends ends the wait at once.
inline int runInChild(const std::function<int()>& body,
                      std::chrono::milliseconds deadline = std::chrono::seconds(60)) {
    const pid_t child = fork();
    if (child < 0) return kTimedOut;
    if (child == 0) _exit(body());
    const auto end = std::chrono::steady_clock::now() + deadline;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= end) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return kTimedOut;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace zrm58::testing
