// The memory source over /proc/meminfo, read whole on every request (about 1.5 KiB).
#include "platform/Platform.h"
#include "platform/linux/ProcParsers.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace zrm58 {
namespace {

std::optional<std::string> readWholeFile(const char* path) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    char chunk[4096];
    ssize_t n = 0;
    for (;;) {
        n = read(fd, chunk, sizeof chunk);
        if (n > 0)
            text.append(chunk, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(fd);
    if (n < 0) return std::nullopt;
    return text;
}

class ProcMemorySource final : public MemorySource {
public:
    std::optional<MemoryStatus> memoryStatus() const override {
        const auto text = readWholeFile("/proc/meminfo");
        return text ? procfs::parseMemInfo(*text) : std::nullopt;
    }
};

} // namespace

std::unique_ptr<MemorySource> createSystemMemorySource() {
    return std::make_unique<ProcMemorySource>();
}

} // namespace zrm58
