#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

// The process entries of /proc as getdents64 hands them out, and which of them are new
// processes. Pure functions over bytes and entries: the reader in ProcProcessSource.cpp feeds
// them.
namespace zrm58::procfs {

// One process directory of /proc: its id and the inode number the listing gave it. The inode
// of /proc/PID is made afresh for every process that holds the id (and may also be remade for
// the same process when the kernel drops the directory from its cache).
struct ProcEntry {
    std::uint32_t pid = 0;
    std::uint64_t inode = 0;
    std::uint64_t stamp = 0; // the process's identity, see assignStamps
};

// A /proc entry name as a process id: plain decimal digits, no leading zero, within 32 bits;
// std::nullopt for anything else ("self", "1a", "01", "").
std::optional<std::uint32_t> parsePidName(std::string_view name);

// Appends the process entries of one getdents64 result (`length` bytes of linux_dirent64
// records) to `out`, in their order. `offset` is the directory position the read began at; it
// is moved along the records, and `firstProcessOffset`, when empty, receives the position of
// the first process entry (where a later listing can begin, past the other entries). False
// when the records do not fit the bytes.
bool appendProcessEntries(const char* records, std::size_t length, std::int64_t& offset,
                          std::optional<std::int64_t>& firstProcessOffset,
                          std::vector<ProcEntry>& out);

// Gives each entry of `current` (sorted by id) its stamp from `previous` (the listing before,
// sorted by id): the same process keeps its stamp, a new process gets `nextStamp++`. An id with
// the same inode as before is the same process; an id whose inode changed is asked about
// through `startedSincePrevious(pid)` (true: started after the previous listing, so a new
// process; false: the same one; std::nullopt: cannot tell, taken as new).
void assignStamps(const std::vector<ProcEntry>& previous, std::vector<ProcEntry>& current,
                  std::uint64_t& nextStamp,
                  const std::function<std::optional<bool>(std::uint32_t)>& startedSincePrevious);

} // namespace zrm58::procfs
