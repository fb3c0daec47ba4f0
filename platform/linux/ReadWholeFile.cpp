#include "platform/linux/ReadWholeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zrm58::procfs {

std::optional<std::string> readWholeFile(const char* path) {
    // Opened without blocking (a FIFO put where a kernel file should be would wait for a writer
    // for good), then taken only if it is what a kernel file is: a regular file.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return std::nullopt;
    }
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
