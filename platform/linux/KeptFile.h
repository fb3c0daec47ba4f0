#pragma once
#include <cstddef>
#include <optional>
#include <string_view>

namespace zrm58::procfs {

// A kernel file read again and again on one descriptor kept open between readings: the kernel
// writes the whole file for every read whatever part is taken, and opening it for every reading
// costs as much again. Non-blocking: whatever sits at the path, a reading never waits.
class KeptFile {
public:
    explicit KeptFile(const char* path) : path_(path) {}
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;
    ~KeptFile();

    // Up to `size` bytes from the file's start, in `buffer`; std::nullopt when the file cannot be
    // opened or read (it is opened afresh at the next reading).
    std::optional<std::string_view> readStart(char* buffer, std::size_t size);

private:
    const char* path_;
    int fd_ = -1;
};

} // namespace zrm58::procfs
