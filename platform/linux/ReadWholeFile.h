#pragma once
#include <optional>
#include <string>

namespace zrm58::procfs {

// The whole of a small kernel file (/proc, /sys), read in 4 KiB steps until its end;
// std::nullopt when it cannot be opened, is not a regular file (a FIFO, a device or a folder in
// its place; never waited for) or a read fails. No size limit: callers name only files the kernel
// writes.
std::optional<std::string> readWholeFile(const char* path);

} // namespace zrm58::procfs
