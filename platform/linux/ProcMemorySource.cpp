// The memory source over /proc/meminfo, on one descriptor kept open between readings: the line
// asks every second, and opening the file each time costs as much again as the kernel's writing
// of it. The figures the line needs stand in its first lines; a reading takes the first 4 KiB
// (the whole file is about 1.5 KiB) and leaves out a line cut at their end.
#include "platform/Platform.h"
#include "platform/linux/ProcParsers.h"

#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace zrm58 {
namespace {

class ProcMemorySource final : public MemorySource {
public:
    ProcMemorySource() = default;
    ProcMemorySource(const ProcMemorySource&) = delete;
    ProcMemorySource& operator=(const ProcMemorySource&) = delete;
    ~ProcMemorySource() override {
        if (fd_ >= 0) close(fd_);
    }

    std::optional<MemoryStatus> memoryStatus() const override {
        // Non-blocking: whatever sits at the path, a reading never waits.
        if (fd_ < 0) fd_ = open("/proc/meminfo", O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0) return std::nullopt;
        char text[4096];
        const ssize_t n = pread(fd_, text, sizeof text, 0);
        if (n <= 0) {
            close(fd_); // opened afresh next time
            fd_ = -1;
            return std::nullopt;
        }
        std::string_view read(text, static_cast<std::size_t>(n));
        if (read.size() == sizeof text) read = read.substr(0, read.rfind('\n') + 1);
        return procfs::parseMemInfo(read);
    }

private:
    mutable int fd_ = -1;
};

} // namespace

std::unique_ptr<MemorySource> createSystemMemorySource() {
    return std::make_unique<ProcMemorySource>();
}

} // namespace zrm58
