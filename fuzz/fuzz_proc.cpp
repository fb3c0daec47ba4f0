// Fuzz target: the parsers of /proc/stat, /proc/PID/stat and /proc/meminfo, and the /proc
// listing's getdents64 records, each on the input.
//
// Properties beyond running clean: /proc/stat is read from its first line only, so what follows
// that line never changes the result; a process line without ')' has no fields to count; the
// listing finds where the process entries begin exactly when it finds one.
#include "FuzzSupport.h"
#include "platform/linux/ProcListing.h"
#include "platform/linux/ProcParsers.h"

#include <string>
#include <vector>

namespace {

using namespace zrm58;

bool same(const std::optional<CpuTimes>& a, const std::optional<CpuTimes>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || (a->kernel == b->kernel && a->user == b->user);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::asBytes(data, size);
    for (const long hz : {100L, 1000L, 0L}) {
        const auto system = procfs::parseSystemTimes(bytes, hz);
        if (hz <= 0) FUZZ_CHECK(!system);
        if (bytes.find('\n') == std::string_view::npos) {
            const std::string longer = std::string(bytes) + "\ncpu0 9 9 9 9\nintr 1\n";
            FUZZ_CHECK(same(procfs::parseSystemTimes(longer, hz), system));
        }
        const auto process = procfs::parseProcessTimes(bytes, hz);
        if (bytes.find(')') == std::string_view::npos) FUZZ_CHECK(!process);
    }
    if (bytes.find(')') == std::string_view::npos)
        FUZZ_CHECK(!procfs::parseProcessStartTime(bytes));
    procfs::parseMemInfo(bytes);
    procfs::parseLastPid(bytes);
    procfs::parseForkCount(bytes);

    std::vector<procfs::ProcEntry> entries;
    procfs::ListingCursor cursor;
    if (procfs::appendProcessEntries(bytes.data(), bytes.size(), cursor, entries))
        FUZZ_CHECK(entries.empty() == !cursor.firstProcessOffset);
    for (const procfs::ProcEntry& entry : entries)
        FUZZ_CHECK(entry.pid != 0);
    return 0;
}
