// The machine's processor counters from the first line of /proc/stat, on one descriptor kept
// open between readings. The kernel writes the whole file for every read (about 20 us whatever
// part is read), so a reading takes only the first 512 bytes, which hold the "cpu" line.
#include "platform/Platform.h"
#include "platform/linux/ProcParsers.h"

#include <fcntl.h>
#include <unistd.h>

namespace zrm58 {
namespace {

class ProcSystemTimesSource final : public SystemTimesSource {
public:
    ProcSystemTimesSource() = default;
    ProcSystemTimesSource(const ProcSystemTimesSource&) = delete;
    ProcSystemTimesSource& operator=(const ProcSystemTimesSource&) = delete;
    ~ProcSystemTimesSource() override {
        if (fd_ >= 0) close(fd_);
    }

    std::optional<MachineTimes> machineTimes() override {
        // Non-blocking: whatever sits at the path, a reading never waits.
        if (fd_ < 0) fd_ = open("/proc/stat", O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0) return std::nullopt;
        char text[512];
        const ssize_t n = pread(fd_, text, sizeof text, 0);
        if (n <= 0) {
            close(fd_); // opened afresh next time
            fd_ = -1;
            return std::nullopt;
        }
        return procfs::parseMachineTimes(std::string_view(text, static_cast<std::size_t>(n)));
    }

private:
    int fd_ = -1;
};

} // namespace

std::unique_ptr<SystemTimesSource> createSystemTimesSource() {
    return std::make_unique<ProcSystemTimesSource>();
}

} // namespace zrm58
