// The memory source over /proc/meminfo, read whole on every request (about 1.5 KiB).
#include "platform/Platform.h"
#include "platform/linux/ProcParsers.h"
#include "platform/linux/ReadWholeFile.h"

namespace zrm58 {
namespace {

class ProcMemorySource final : public MemorySource {
public:
    std::optional<MemoryStatus> memoryStatus() const override {
        const auto text = procfs::readWholeFile("/proc/meminfo");
        return text ? procfs::parseMemInfo(*text) : std::nullopt;
    }
};

} // namespace

std::unique_ptr<MemorySource> createSystemMemorySource() {
    return std::make_unique<ProcMemorySource>();
}

} // namespace zrm58
