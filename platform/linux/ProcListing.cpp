#include "platform/linux/ProcListing.h"

#include <cstring>
#include <limits>

namespace zrm58::procfs {
namespace {

// The fixed head of a linux_dirent64 record: d_ino, d_off, d_reclen, d_type, then the name.
constexpr std::size_t inodeAt = 0, offsetAt = 8, lengthAt = 16, nameAt = 19;

template <class T> T field(const char* record, std::size_t at) {
    T value;
    std::memcpy(&value, record + at, sizeof value); // records are 8-aligned, but stay safe
    return value;
}

} // namespace

std::optional<std::uint32_t> parsePidName(std::string_view name) {
    if (name.empty() || name.size() > 10 || name[0] < '1' || name[0] > '9') return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : name) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

bool appendProcessEntries(const char* records, std::size_t length, ListingCursor& cursor,
                          std::vector<ProcEntry>& out) {
    std::size_t at = 0;
    while (at < length) {
        if (length - at < nameAt + 1) return false;
        const char* record = records + at;
        const auto recordLength = field<std::uint16_t>(record, lengthAt);
        if (recordLength < nameAt + 1 || recordLength > length - at) return false;
        const char* name = record + nameAt;
        const std::size_t nameLength = strnlen(name, recordLength - nameAt);
        if (const auto pid = parsePidName(std::string_view(name, nameLength))) {
            if (!cursor.firstProcessOffset) cursor.firstProcessOffset = cursor.offset;
            const auto id = static_cast<std::int64_t>(*pid);
            if (cursor.offset < std::numeric_limits<std::int64_t>::min() + id) {
                cursor.idOffsetVaries = true; // no position of an id: never sought
            } else {
                const std::int64_t idOffset = cursor.offset - id;
                if (!cursor.idOffset) cursor.idOffset = idOffset;
                cursor.idOffsetVaries = cursor.idOffsetVaries || *cursor.idOffset != idOffset;
            }
            out.push_back({*pid, field<std::uint64_t>(record, inodeAt), 0, std::nullopt});
        }
        cursor.offset = field<std::int64_t>(record, offsetAt);
        at += recordLength;
    }
    return true;
}

bool inFreshIds(std::uint32_t pid, std::uint32_t before, std::uint32_t now) {
    if (before <= now) return pid > before && pid <= now;
    return pid > before || pid <= now; // wrapped around
}

void assignStamps(const std::vector<ProcEntry>& previous, std::vector<ProcEntry>& current,
                  std::uint64_t& nextStamp,
                  const std::function<std::optional<bool>(std::uint32_t)>& startedSincePrevious) {
    auto before = previous.begin();
    for (ProcEntry& entry : current) {
        while (before != previous.end() && before->pid < entry.pid)
            ++before;
        const bool known = before != previous.end() && before->pid == entry.pid;
        bool same = known && before->inode == entry.inode;
        if (known && !same) same = startedSincePrevious(entry.pid) == false;
        entry.stamp = same ? before->stamp : nextStamp++;
    }
}

} // namespace zrm58::procfs
