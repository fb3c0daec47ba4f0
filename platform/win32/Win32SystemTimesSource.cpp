#include "platform/win32/Win32SystemTimesSource.h"
#include "platform/Platform.h"
#include "platform/win32/Win32ProcessSource.h"

namespace zrm58::win32 {
namespace {

class Win32SystemTimesSource final : public SystemTimesSource {
public:
    explicit Win32SystemTimesSource(GetSystemTimesCall call) : call_(std::move(call)) {}

    std::optional<MachineTimes> machineTimes() override {
        FILETIME idle{}, kernel{}, user{};
        if (!call_(&idle, &kernel, &user)) return std::nullopt;
        const std::uint64_t all = fileTimeUnits(kernel) + fileTimeUnits(user);
        const std::uint64_t idleUnits = fileTimeUnits(idle);
        if (idleUnits > all) return std::nullopt;
        return MachineTimes{all - idleUnits, idleUnits};
    }

private:
    GetSystemTimesCall call_;
};

} // namespace

std::unique_ptr<SystemTimesSource> createWin32SystemTimesSource(GetSystemTimesCall getSystemTimes) {
    return std::make_unique<Win32SystemTimesSource>(std::move(getSystemTimes));
}

} // namespace zrm58::win32

namespace zrm58 {

std::unique_ptr<SystemTimesSource> createSystemTimesSource() {
    return win32::createWin32SystemTimesSource(GetSystemTimes);
}

} // namespace zrm58
