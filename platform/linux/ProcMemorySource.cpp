// The memory source over /proc/meminfo, read on one kept descriptor every second. The figures the
// line needs stand in its first lines; a reading takes the first 4 KiB (the whole file is about
// 1.5 KiB) and leaves out a line cut at their end.
#include "platform/Platform.h"
#include "platform/linux/KeptFile.h"
#include "platform/linux/ProcParsers.h"

namespace zrm58 {
namespace {

class ProcMemorySource final : public MemorySource {
public:
    std::optional<MemoryStatus> memoryStatus() const override {
        char text[4096];
        std::optional<std::string_view> read = file_.readStart(text, sizeof text);
        if (!read) return std::nullopt;
        if (read->size() == sizeof text) *read = read->substr(0, read->rfind('\n') + 1);
        return procfs::parseMemInfo(*read);
    }

private:
    mutable procfs::KeptFile file_{"/proc/meminfo"};
};

} // namespace

std::unique_ptr<MemorySource> createSystemMemorySource() {
    return std::make_unique<ProcMemorySource>();
}

} // namespace zrm58
