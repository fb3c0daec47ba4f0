// The machine's processor counters from the first line of /proc/stat, on one descriptor kept
// open between readings. The kernel writes the whole file for every read (about 20 us whatever
// part is read), so a reading takes only the first 512 bytes, which hold the "cpu" line.
#include "platform/Platform.h"
#include "platform/linux/KeptFile.h"
#include "platform/linux/ProcParsers.h"

namespace zrm58 {
namespace {

class ProcSystemTimesSource final : public SystemTimesSource {
public:
    std::optional<MachineTimes> machineTimes() override {
        char text[512];
        const std::optional<std::string_view> read = file_.readStart(text, sizeof text);
        if (!read) return std::nullopt;
        return procfs::parseMachineTimes(*read);
    }

private:
    procfs::KeptFile file_{"/proc/stat"};
};

} // namespace

std::unique_ptr<SystemTimesSource> createSystemTimesSource() {
    return std::make_unique<ProcSystemTimesSource>();
}

} // namespace zrm58
