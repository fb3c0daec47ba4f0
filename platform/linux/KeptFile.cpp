#include "platform/linux/KeptFile.h"
#include <fcntl.h>
#include <unistd.h>

namespace zrm58::procfs {

KeptFile::~KeptFile() {
    if (fd_ >= 0) close(fd_);
}

std::optional<std::string_view> KeptFile::readStart(char* buffer, std::size_t size) {
    if (fd_ < 0) fd_ = open(path_, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) return std::nullopt;
    const ssize_t n = pread(fd_, buffer, size, 0);
    if (n <= 0) {
        close(fd_);
        fd_ = -1;
        return std::nullopt;
    }
    return std::string_view(buffer, static_cast<std::size_t>(n));
}

} // namespace zrm58::procfs
