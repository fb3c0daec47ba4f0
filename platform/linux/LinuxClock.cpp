#include "platform/linux/LinuxClock.h"
#include "platform/Platform.h"
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string_view>
#include <sys/stat.h>

namespace zrm58::linux_backend {

std::optional<std::string> zoneFilePath(const char* tz, const char* tzdir) {
    if (!tz) return std::nullopt;
    std::string name = tz[0] == ':' ? tz + 1 : tz;
    if (name.empty()) name = "Universal";
    if (name.front() == '/') return name;
    const std::string dir = tzdir && *tzdir ? tzdir : "/usr/share/zoneinfo";
    return dir + "/" + name;
}

namespace {

// What tells one zone file from its replacement: a new link target or a rewritten file.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{}, changed{};

    static FileIdentity of(const std::string& path) {
        FileIdentity id;
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) return id;
        id.exists = true;
        id.device = st.st_dev;
        id.inode = st.st_ino;
        id.size = st.st_size;
        id.modified = st.st_mtim;
        id.changed = st.st_ctim;
        return id;
    }
    bool operator==(const FileIdentity& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

std::mutex zoneMutex;
std::string watchedTz;    // the TZ value whose file is watched
FileIdentity watchedFile; // that file as it was when the C library last read it

// While the user's zone file cannot be handed over, TZ holds kUtcGuard and this holds the user's
// own TZ (std::nullopt inside: unset).
constexpr const char* kUtcGuard = "UTC0";
std::optional<std::optional<std::string>> guardedTz;

// The user's TZ: the environment's, or the one put aside while the guard stands in for it.
std::optional<std::string> usersTz() {
    const char* tz = std::getenv("TZ");
    if (guardedTz && tz && std::string_view(tz) == kUtcGuard) return *guardedTz;
    guardedTz.reset(); // TZ was set anew meanwhile: that value is the user's now
    return tz ? std::optional<std::string>(tz) : std::nullopt;
}

// Whether the C library may read `path`: anything but a regular file (a FIFO would block its
// reading for good, and so every later time conversion in the process) is kept from it. A path
// with nothing there is fine: the library falls back by itself.
bool zoneFileReadable(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode);
}

} // namespace

void followLocalZone() {
    std::lock_guard<std::mutex> lock(zoneMutex);
    const std::optional<std::string> userTz = usersTz();
    const char* tz = userTz ? userTz->c_str() : nullptr;
    const std::optional<std::string> path = zoneFilePath(tz, std::getenv("TZDIR"));
    if (!zoneFileReadable(path.value_or("/etc/localtime"))) {
        // UTC, as the C library shows for a zone file it cannot read, until the file is one
        // again; TZ holds it meanwhile so that no tzset() in the process reads the file.
        if (!guardedTz) guardedTz = userTz;
        setenv("TZ", kUtcGuard, 1);
        tzset();
        watchedTz.clear();
        return;
    }
    if (guardedTz) {
        guardedTz.reset();
        if (tz)
            setenv("TZ", tz, 1);
        else
            unsetenv("TZ");
    }
    // Re-reads TZ, and /etc/localtime when TZ is unset and that file changed (the C library
    // compares its device, inode and modification time).
    tzset();
    if (!path) return;
    // With TZ set, the C library reads its file again only when the TZ text changes (":" aside),
    // however the file changes: a different text in between makes it read the file afresh.
    // Done at the first look too, since the library may have read the file long before.
    const FileIdentity now = FileIdentity::of(*path);
    if (watchedTz == *userTz && watchedFile == now) return;
    watchedTz = *userTz;
    watchedFile = now;
    setenv("TZ", "UTC0", 1);
    tzset();
    setenv("TZ", watchedTz.c_str(), 1);
    tzset();
}

namespace {

// Before main() too: libraries read the zone through tzset() on their own (ICU when it opens a
// calendar), and the first such reading of a FIFO would block the whole program for good.
[[maybe_unused]] const bool zoneCheckedAtStart = (followLocalZone(), true);

// The local wall clock: CLOCK_REALTIME broken down in the zone in force at each call.
class LinuxClock final : public Clock {
public:
    LocalTime now() const override {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        followLocalZone();
        std::tm tm{};
        const std::time_t seconds = ts.tv_sec;
        localtime_r(&seconds, &tm);
        LocalTime t;
        t.year = static_cast<std::uint16_t>(tm.tm_year + 1900);
        t.month = static_cast<std::uint16_t>(tm.tm_mon + 1);
        t.day = static_cast<std::uint16_t>(tm.tm_mday);
        t.hour = static_cast<std::uint16_t>(tm.tm_hour);
        t.minute = static_cast<std::uint16_t>(tm.tm_min);
        // A leap second (tm_sec 60) is shown as the last second of the minute.
        t.second = static_cast<std::uint16_t>(tm.tm_sec > 59 ? 59 : tm.tm_sec);
        t.millisecond = static_cast<std::uint16_t>(ts.tv_nsec / 1000000);
        return t;
    }
};

} // namespace

} // namespace zrm58::linux_backend

namespace zrm58 {

std::unique_ptr<Clock> createSystemClock() {
    return std::make_unique<linux_backend::LinuxClock>();
}

} // namespace zrm58
