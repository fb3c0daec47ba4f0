#include "platform/Platform.h"
#include <ctime>

namespace zrm58 {

namespace {

// The local wall clock: CLOCK_REALTIME broken down in the process's time zone.
class LinuxClock final : public Clock {
public:
    LocalTime now() const override {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
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

std::unique_ptr<Clock> createSystemClock() {
    return std::make_unique<LinuxClock>();
}

} // namespace zrm58
