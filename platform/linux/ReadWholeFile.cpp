#include "platform/linux/ReadWholeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zrm58::procfs {

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

} // namespace zrm58::procfs
