// The /proc listing's pure steps: entry names, getdents64 records, and which listed ids are new
// processes.
#include "platform/linux/ProcListing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

namespace zrm58::procfs {
namespace {

TEST(ProcListingTest, EntryNamesThatAreProcessIds) {
    const std::pair<const char*, std::optional<std::uint32_t>> rows[] = {
        {"1", 1u},
        {"4194304", 4194304u},
        {"4294967295", 4294967295u},
        {"4294967296", std::nullopt}, // past 32 bits
        {"99999999999", std::nullopt},
        {"0", std::nullopt},
        {"01", std::nullopt},
        {"", std::nullopt},
        {"self", std::nullopt},
        {"thread-self", std::nullopt},
        {"12a", std::nullopt},
        {"-3", std::nullopt},
    };
    for (const auto& [name, pid] : rows)
        EXPECT_EQ(parsePidName(name), pid) << name;
}

// linux_dirent64 records as the kernel lays them out: d_ino, d_off, d_reclen, d_type, the name
// with its NUL, padded to 8 bytes.
std::string records(const std::vector<std::tuple<std::uint64_t, std::int64_t, const char*>>& rows) {
    std::string out;
    for (const auto& [inode, next, name] : rows) {
        const std::size_t length = (19 + std::strlen(name) + 1 + 7) / 8 * 8;
        std::string r(length, '\0');
        const auto reclen = static_cast<std::uint16_t>(length);
        std::memcpy(r.data(), &inode, 8);
        std::memcpy(r.data() + 8, &next, 8);
        std::memcpy(r.data() + 16, &reclen, 2);
        r[18] = 4; // DT_DIR
        std::memcpy(r.data() + 19, name, std::strlen(name));
        out += r;
    }
    return out;
}

TEST(ProcListingTest, RecordsGiveProcessEntriesAndWhereTheyBegin) {
    // Positions as /proc hands them out: a process entry at its id + 258.
    const std::string first = records({{1, 1, "."},
                                       {1, 2, ".."},
                                       {4026531842, 3, "cpuinfo"},
                                       {50, 258, "self"},
                                       {51, 259, "thread-self"},
                                       {700, 260, "1"},
                                       {701, 4397, "2"}});
    std::vector<ProcEntry> out;
    ListingCursor cursor;
    ASSERT_TRUE(appendProcessEntries(first.data(), first.size(), cursor, out));
    EXPECT_EQ(cursor.firstProcessOffset, 259) << "the position after thread-self";
    EXPECT_EQ(cursor.offset, 4397);
    EXPECT_EQ(cursor.idOffset, 258);
    // A second read goes on; what was found stays.
    const std::string second = records({{9000, 4398, "4139"}});
    ASSERT_TRUE(appendProcessEntries(second.data(), second.size(), cursor, out));
    EXPECT_EQ(cursor.firstProcessOffset, 259);
    EXPECT_FALSE(cursor.idOffsetVaries);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].pid, 1u);
    EXPECT_EQ(out[0].inode, 700u);
    EXPECT_EQ(out[2].pid, 4139u);
    EXPECT_EQ(out[2].inode, 9000u);

    // A listing that begins at a process entry: where it began is where the entries begin.
    const std::string fromProcesses = records({{700, 260, "1"}, {701, 261, "2"}});
    ListingCursor seeked;
    seeked.offset = 259;
    out.clear();
    ASSERT_TRUE(appendProcessEntries(fromProcesses.data(), fromProcesses.size(), seeked, out));
    EXPECT_EQ(seeked.firstProcessOffset, 259);
    EXPECT_EQ(out.size(), 2u);

    // Positions that do not follow the ids: no seeking to an id.
    const std::string odd = records({{700, 300, "1"}, {701, 301, "2"}, {702, 302, "7"}});
    ListingCursor unordered;
    unordered.offset = 259;
    ASSERT_TRUE(appendProcessEntries(odd.data(), odd.size(), unordered, out));
    EXPECT_TRUE(unordered.idOffsetVaries);

    // A position so low that it less the id is no 64-bit number (a record the fuzzer made):
    // no seeking to an id either, and no overflow on the way.
    const std::string lowest = records({{700, INT64_MIN, "."}, {701, 5, "99999"}});
    ListingCursor atLowest;
    ASSERT_TRUE(appendProcessEntries(lowest.data(), lowest.size(), atLowest, out));
    EXPECT_TRUE(atLowest.idOffsetVaries);
}

TEST(ProcListingTest, CutOrBrokenRecordsAreRefused) {
    const std::string good = records({{700, 260, "1"}});
    std::vector<ProcEntry> out;
    ListingCursor cursor;
    EXPECT_FALSE(appendProcessEntries(good.data(), good.size() - 1, cursor, out));
    std::string zeroLength = good;
    zeroLength[16] = zeroLength[17] = 0; // d_reclen 0 would never advance
    EXPECT_FALSE(appendProcessEntries(zeroLength.data(), zeroLength.size(), cursor, out));
    EXPECT_TRUE(appendProcessEntries(good.data(), 0, cursor, out));
}

TEST(ProcListingTest, FreshIdsFollowTheKernelsCursorRoundTheWrap) {
    struct Row {
        std::uint32_t pid, before, now;
        bool fresh;
    };
    const Row rows[] = {
        {501, 500, 510, true},      {510, 500, 510, true},
        {500, 500, 510, false},     {511, 500, 510, false},
        {42, 500, 510, false},      {500, 500, 500, false}, // none handed out
        {32767, 32000, 400, true},  {301, 32000, 400, true},
        {400, 32000, 400, true},    {401, 32000, 400, false},
        {32000, 32000, 400, false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(inFreshIds(r.pid, r.before, r.now), r.fresh)
            << r.pid << " in (" << r.before << ", " << r.now << "]";
}

// The listing before: ids 10, 20, 30, 40 with inodes 100 ... 400 and stamps 1 ... 4.
TEST(ProcListingTest, OnlyANewProcessOnAnIdGetsANewStamp) {
    const std::vector<ProcEntry> previous{
        {10, 100, 1, {}}, {20, 200, 2, {}}, {30, 300, 3, {}}, {40, 400, 4, {}}};
    std::vector<ProcEntry> current{
        {10, 100, 0, {}}, // same inode: same process, not asked about
        {20, 201, 0, {}}, // new inode, started since: a new process on the id
        {30, 301, 0, {}}, // new inode, started before: the same process, its directory remade
        {35, 350, 0, {}}, // an id not listed before
        {40, 401, 0, {}}, // new inode, start unreadable: taken as new
    };
    const std::map<std::uint32_t, std::optional<bool>> started{
        {20, true}, {30, false}, {40, std::nullopt}};
    std::vector<std::uint32_t> asked;
    std::uint64_t nextStamp = 5;
    assignStamps(previous, current, nextStamp, [&](std::uint32_t pid) {
        asked.push_back(pid);
        return started.at(pid);
    });
    EXPECT_EQ(asked, (std::vector<std::uint32_t>{20, 30, 40}));
    const std::uint64_t stamps[] = {1, 5, 3, 6, 7};
    for (std::size_t i = 0; i < current.size(); ++i)
        EXPECT_EQ(current[i].stamp, stamps[i]) << "id " << current[i].pid;
    EXPECT_EQ(nextStamp, 8u);

    // The first listing: every process gets a stamp of its own.
    std::vector<ProcEntry> fresh{{1, 1, 0, {}}, {2, 2, 0, {}}};
    std::uint64_t firstStamp = 1;
    assignStamps({}, fresh, firstStamp, [](std::uint32_t) { return std::optional<bool>(); });
    EXPECT_EQ(fresh[0].stamp, 1u);
    EXPECT_EQ(fresh[1].stamp, 2u);
}

} // namespace
} // namespace zrm58::procfs
