// The system clock follows the time zone in force at each reading: a zone file that TZ names and
// that is swapped or rewritten, and /etc/localtime replaced while TZ is unset.
#include "platform/linux/LinuxClock.h"
#include "linux/ChildWithDeadline.h"
#include "platform/Platform.h"
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zrm58 {
namespace {

namespace fs = std::filesystem;
const fs::path kZoneInfo = "/usr/share/zoneinfo";

// Minutes of the day between two readings, taken forward (Tokyo is 540 ahead of UTC). A reading
// that crosses a minute adds one.
int minutesAhead(const LocalTime& from, const LocalTime& to) {
    const int a = from.hour * 60 + from.minute, b = to.hour * 60 + to.minute;
    return ((b - a) % 1440 + 1440) % 1440;
}

bool isTokyoAfterUtc(int minutes) {
    return minutes == 540 || minutes == 541;
}

TEST(LinuxClock, ZoneFilePath) {
    using linux_backend::zoneFilePath;
    struct {
        const char *tz, *tzdir;
        std::optional<std::string> path;
    } const rows[] = {
        {nullptr, nullptr, std::nullopt}, // unset: /etc/localtime, watched by the C library
        {"/tmp/zone", nullptr, "/tmp/zone"},
        {":/etc/localtime", nullptr, "/etc/localtime"},
        {"Asia/Tokyo", nullptr, "/usr/share/zoneinfo/Asia/Tokyo"},
        {":Asia/Tokyo", "/opt/zi", "/opt/zi/Asia/Tokyo"},
        {"Asia/Tokyo", "", "/usr/share/zoneinfo/Asia/Tokyo"},
        {"", nullptr, "/usr/share/zoneinfo/Universal"},
        {"JST-9", nullptr, "/usr/share/zoneinfo/JST-9"}, // a rule: no file there
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tz ? row.tz : "(unset)");
        EXPECT_EQ(zoneFilePath(row.tz, row.tzdir), row.path);
    }
}

class ZoneFileSwap : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kZoneInfo / "Asia/Tokyo") || !fs::exists(kZoneInfo / "UTC"))
            GTEST_SKIP() << "no time-zone data";
        char pattern[] = "/tmp/zrm58-zone-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        const char* tz = std::getenv("TZ");
        savedTz = tz ? std::optional<std::string>(tz) : std::nullopt;
    }
    void TearDown() override {
        if (savedTz)
            setenv("TZ", savedTz->c_str(), 1);
        else
            unsetenv("TZ");
        if (!dir.empty()) fs::remove_all(dir);
    }
    fs::path dir;
    std::optional<std::string> savedTz;
};

TEST_F(ZoneFileSwap, LinkRetargetedWhileRunning) {
    const fs::path zone = dir / "localtime";
    fs::create_symlink(kZoneInfo / "UTC", zone);
    for (const char* prefix : {"", ":"}) {
        SCOPED_TRACE(std::string("TZ=") + prefix + zone.string());
        fs::remove(zone);
        fs::create_symlink(kZoneInfo / "UTC", zone);
        setenv("TZ", (prefix + zone.string()).c_str(), 1);
        const auto clock = createSystemClock();
        const LocalTime before = clock->now();
        // As `ln -sf` does it: a new link renamed over the old one.
        fs::create_symlink(kZoneInfo / "Asia/Tokyo", dir / "next");
        fs::rename(dir / "next", zone);
        const LocalTime after = clock->now();
        EXPECT_TRUE(isTokyoAfterUtc(minutesAhead(before, after)))
            << before.hour << ":" << before.minute << " then " << after.hour << ":" << after.minute;
        EXPECT_TRUE(isTokyoAfterUtc(minutesAhead(before, clock->now()))); // and it stays
    }
}

TEST_F(ZoneFileSwap, FileRewrittenInPlace) {
    const fs::path zone = dir / "zone";
    fs::copy_file(kZoneInfo / "UTC", zone);
    setenv("TZ", zone.c_str(), 1);
    const auto clock = createSystemClock();
    const LocalTime before = clock->now();
    fs::copy_file(kZoneInfo / "Asia/Tokyo", zone, fs::copy_options::overwrite_existing);
    EXPECT_TRUE(isTokyoAfterUtc(minutesAhead(before, clock->now())));
}

TEST_F(ZoneFileSwap, TzChangedInTheProcess) {
    setenv("TZ", "UTC", 1);
    const auto clock = createSystemClock();
    const LocalTime before = clock->now();
    setenv("TZ", "Asia/Tokyo", 1);
    EXPECT_TRUE(isTokyoAfterUtc(minutesAhead(before, clock->now())));
}

// TZ unset: /etc/localtime itself, replaced in a private mount namespace (a bind mount over
// it), as `ln -sf /usr/share/zoneinfo/Asia/Tokyo /etc/localtime` replaces it for everyone.
TEST_F(ZoneFileSwap, EtcLocaltimeReplacedWhileRunning) {
    fs::copy_file(kZoneInfo / "UTC", dir / "utc");
    fs::copy_file(kZoneInfo / "Asia/Tokyo", dir / "tokyo");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // 77: the namespace cannot be had here; 1: the clock stayed; 0: it followed.
        const int flags = geteuid() == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS;
        if (unshare(flags) != 0) _exit(77);
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) _exit(77);
        if (mount((dir / "utc").c_str(), "/etc/localtime", nullptr, MS_BIND, nullptr) != 0)
            _exit(77);
        unsetenv("TZ");
        const auto clock = createSystemClock();
        const LocalTime before = clock->now();
        if (mount((dir / "tokyo").c_str(), "/etc/localtime", nullptr, MS_BIND, nullptr) != 0)
            _exit(77);
        _exit(isTokyoAfterUtc(minutesAhead(before, clock->now())) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no private mount namespace here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the clock kept the old zone";
}

// A zone file that is a FIFO would hold the C library's own zone reading for good (as it holds
// date(1)): the clock does not hand it over and keeps UTC meanwhile. Each case runs in a child
// with a deadline; 2: the clock showed another zone than expected.
bool isUtcNow(const LocalTime& t) {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    const int minutes = utc.tm_hour * 60 + utc.tm_min, shown = t.hour * 60 + t.minute;
    return std::abs(minutes - shown) <= 1 || std::abs(minutes - shown) == 1439;
}

TEST_F(ZoneFileSwap, TzNamingAFifoIsNotWaitedFor) {
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::copy_file(kZoneInfo / "Asia/Tokyo", dir / "tokyo");
    const int status = testing::runInChild([&] {
        setenv("TZ", fifo.c_str(), 1);
        const auto clock = createSystemClock();
        if (!isUtcNow(clock->now())) return 2;
        // The user's own zone again, then the FIFO in its place: UTC until it is a file again.
        setenv("TZ", (dir / "tokyo").c_str(), 1);
        const LocalTime tokyo = clock->now();
        if (isUtcNow(tokyo)) return 3;
        fs::rename(dir / "tokyo", dir / "kept");
        if (mkfifo((dir / "tokyo").c_str(), 0600) != 0) return 4;
        if (!isUtcNow(clock->now())) return 5;
        fs::remove(dir / "tokyo");
        fs::rename(dir / "kept", dir / "tokyo");
        if (minutesAhead(tokyo, clock->now()) > 1) return 6;
        return 0;
    });
    EXPECT_NE(status, testing::kTimedOut) << "the clock waited on the FIFO";
    EXPECT_EQ(status, 0);
}

// TZ unset and /etc/localtime a FIFO (bind-mounted over it in a private mount namespace).
TEST_F(ZoneFileSwap, EtcLocaltimeAFifoIsNotWaitedFor) {
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    const int status = testing::runInChild([&] {
        const int flags = geteuid() == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS;
        if (unshare(flags) != 0) return 77;
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return 77;
        if (mount((dir / "fifo").c_str(), "/etc/localtime", nullptr, MS_BIND, nullptr) != 0)
            return 77;
        unsetenv("TZ");
        return isUtcNow(createSystemClock()->now()) ? 0 : 2;
    });
    if (status == 77) GTEST_SKIP() << "no private mount namespace here";
    EXPECT_NE(status, testing::kTimedOut) << "the clock waited on the FIFO";
    EXPECT_EQ(status, 0);
}

} // namespace
} // namespace zrm58
