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
    std::uint64_t stamp = 0;              // the process's identity, see assignStamps
    std::optional<std::uint64_t> runTime; // run time read while listing, 100-ns units
};

// A /proc entry name as a process id: plain decimal digits, no leading zero, within 32 bits;
// std::nullopt for anything else ("self", "1a", "01", "").
std::optional<std::uint32_t> parsePidName(std::string_view name);

// Where a listing stands in the /proc directory. Positions are the directory offsets that
// getdents64 hands out (d_off): a process entry sits at its id plus a fixed offset.
struct ListingCursor {
    std::int64_t offset = 0;                        // where the next record begins
    std::optional<std::int64_t> firstProcessOffset; // where the process entries begin
    std::optional<std::int64_t> idOffset;           // a process entry's position less its id
    bool idOffsetVaries = false;                    // seen to differ: no seeking to an id
};

// Appends the process entries of one getdents64 result (`length` bytes of linux_dirent64
// records) to `out`, in their order, moving `cursor` along. False when the records do not fit
// the bytes.
bool appendProcessEntries(const char* records, std::size_t length, ListingCursor& cursor,
                          std::vector<ProcEntry>& out);

// Whether `pid` lies in the ids handed out after `before` up to `now`, the kernel's cursor of
// the last id it gave (ids go up and wrap around to the low ones).
bool inFreshIds(std::uint32_t pid, std::uint32_t before, std::uint32_t now);

// Gives each entry of `current` (sorted by id) its stamp from `previous` (the listing before,
// sorted by id): the same process keeps its stamp, a new process gets `nextStamp++`. An id with
// the same inode as before is the same process; an id whose inode changed is asked about
// through `startedSincePrevious(pid)` (true: started after the previous listing, so a new
// process; false: the same one; std::nullopt: cannot tell, taken as new).
void assignStamps(const std::vector<ProcEntry>& previous, std::vector<ProcEntry>& current,
                  std::uint64_t& nextStamp,
                  const std::function<std::optional<bool>(std::uint32_t)>& startedSincePrevious);

} // namespace zrm58::procfs
