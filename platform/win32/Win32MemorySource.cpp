#include "platform/Platform.h"

#include <windows.h>

namespace zrm58 {
namespace {

// Physical memory from GlobalMemoryStatusEx: total and available (free, standby and zeroed
// pages: what programs could have without paging out).
class Win32MemorySource final : public MemorySource {
public:
    std::optional<MemoryStatus> memoryStatus() const override {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof status;
        if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
        return MemoryStatus{status.ullTotalPhys, status.ullAvailPhys};
    }
};

} // namespace

std::unique_ptr<MemorySource> createSystemMemorySource() {
    return std::make_unique<Win32MemorySource>();
}

} // namespace zrm58
