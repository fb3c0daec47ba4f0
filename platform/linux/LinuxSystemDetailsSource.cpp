// The details source over /proc and /sys/class. It is created only while the details are asked
// for (the panel shown, zrm58-line --json); each request reads one small file, except the
// temperature: the processor sensors are found once by walking hwmon and the thermal zones,
// and later requests read only those sensors' files (walking again when one stops answering).
#include "platform/linux/DetailsParsers.h"
#include "platform/linux/ReadWholeFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace zrm58 {
namespace {

std::optional<std::string> readSmallFile(const std::string& path) {
    return procfs::readWholeFile(path.c_str());
}

std::vector<std::filesystem::path> entries(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> result;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        result.push_back(it->path());
    std::sort(result.begin(), result.end());
    return result;
}

class LinuxSystemDetailsSource final : public SystemDetailsSource {
public:
    LinuxSystemDetailsSource(std::string procRoot, std::string sysClassRoot)
        : proc_(std::move(procRoot)), sys_(std::move(sysClassRoot)) {}

    std::optional<MemoryBreakdown> memoryBreakdown() override {
        const auto text = readSmallFile(proc_ + "/meminfo");
        return text ? procfs::parseMemoryBreakdown(*text) : std::nullopt;
    }

    // The counters, each with its interface's index read before and after them, so that an
    // interface replaced or renamed meanwhile is not taken for another.
    std::optional<std::vector<InterfaceCounters>> networkCounters() override {
        const auto before = interfaceIndexes();
        const auto text = readSmallFile(proc_ + "/net/dev");
        auto counters = text ? procfs::parseNetDev(*text) : std::nullopt;
        if (counters) procfs::attachInterfaceIndexes(*counters, before, interfaceIndexes());
        return counters;
    }

    std::optional<double> temperatureCelsius() override {
        if (!sensorsFound_) findSensors();
        std::optional<double> hottest;
        for (const std::string& path : sensors_) {
            const auto text = readSmallFile(path);
            const auto celsius = text ? procfs::parseMilliCelsius(*text) : std::nullopt;
            if (!celsius) {
                sensorsFound_ = false; // a sensor went away: look again next time
                continue;
            }
            hottest = std::max(hottest.value_or(*celsius), *celsius);
        }
        return hottest;
    }

    std::optional<std::string> processName(std::uint32_t pid) override {
        auto text = readSmallFile(proc_ + "/" + std::to_string(pid) + "/comm");
        if (!text) return std::nullopt;
        if (!text->empty() && text->back() == '\n')
            text->pop_back(); // the kernel's, not the name's
        return text;
    }

private:
    // Every interface's index by name (sys/class/net/NAME/ifindex); empty without sysfs.
    std::map<std::string, std::uint64_t> interfaceIndexes() const {
        std::map<std::string, std::uint64_t> indexes;
        for (const auto& dir : entries(std::filesystem::path(sys_) / "net")) {
            const auto text = readSmallFile(dir / "ifindex");
            if (const auto index = text ? procfs::parseInterfaceIndex(*text) : std::nullopt)
                indexes.emplace(dir.filename().string(), *index);
        }
        return indexes;
    }

    // The input files of the best-ranked processor sensors that give a reading now.
    void findSensors() {
        sensorsFound_ = true;
        sensors_.clear();
        int best = 0;
        auto consider = [&](int rank, const std::string& input) {
            if (rank == 0 || rank < best) return;
            const auto text = readSmallFile(input);
            if (!text || !procfs::parseMilliCelsius(*text)) return;
            if (rank > best) sensors_.clear();
            best = rank;
            sensors_.push_back(input);
        };
        for (const auto& chip : entries(std::filesystem::path(sys_) / "hwmon")) {
            const std::string name = readSmallFile(chip / "name").value_or("");
            for (const auto& file : entries(chip)) {
                const std::string f = file.filename().string();
                if (f.rfind("temp", 0) != 0 || f.size() < 11 ||
                    f.compare(f.size() - 6, 6, "_input") != 0)
                    continue;
                const std::string stem = file.string().substr(0, file.string().size() - 6);
                const std::string label = readSmallFile(stem + "_label").value_or("");
                consider(procfs::hwmonSensorRank(name, label), file.string());
            }
        }
        for (const auto& zone : entries(std::filesystem::path(sys_) / "thermal")) {
            if (zone.filename().string().rfind("thermal_zone", 0) != 0) continue;
            const std::string type = readSmallFile(zone / "type").value_or("");
            consider(procfs::thermalZoneRank(type), (zone / "temp").string());
        }
    }

    std::string proc_;
    std::string sys_;
    bool sensorsFound_ = false;
    std::vector<std::string> sensors_;
};

} // namespace

std::unique_ptr<SystemDetailsSource> createLinuxSystemDetailsSource(std::string procRoot,
                                                                    std::string sysClassRoot) {
    return std::make_unique<LinuxSystemDetailsSource>(std::move(procRoot), std::move(sysClassRoot));
}

std::unique_ptr<SystemDetailsSource> createSystemDetailsSource() {
    return createLinuxSystemDetailsSource("/proc", "/sys/class");
}

} // namespace zrm58
