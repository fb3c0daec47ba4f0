#include "platform/Platform.h"

#include <windows.h>

namespace zrm58 {
namespace {

// The local wall clock as Windows keeps it (GetLocalTime: the system time in the time zone and
// daylight-saving rule in force at the call).
class Win32Clock final : public Clock {
public:
    LocalTime now() const override {
        SYSTEMTIME st{};
        GetLocalTime(&st);
        LocalTime t;
        t.year = st.wYear;
        t.month = st.wMonth;
        t.day = st.wDay;
        t.hour = st.wHour;
        t.minute = st.wMinute;
        t.second = st.wSecond;
        t.millisecond = st.wMilliseconds;
        return t;
    }
};

} // namespace

std::unique_ptr<Clock> createSystemClock() {
    return std::make_unique<Win32Clock>();
}

} // namespace zrm58
