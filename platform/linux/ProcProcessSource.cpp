// The process source over /proc.
//
// Cost model (per process and tick): opening, reading and closing /proc/PID/stat costs about
// 9 us, nearly all of it in the kernel; reading an already open descriptor again with pread
// costs about half of that. So each process's descriptor stays open from tick to tick. A
// descriptor whose process has ended answers ESRCH to pread, and the id (which may by then
// belong to a new process) is opened afresh. Descriptors of ids missing from the latest listing
// are closed, and never more than half of RLIMIT_NOFILE are kept: past that budget a process is
// opened, read and closed as usual.
//
// /proc/stat costs about 20 us to read, whatever part of it is read. Its counters move in
// USER_HZ steps (10 ms), so inside one sample (beginSample .. endSample) it is read once and
// every request of the sample is answered from that reading. While the details panel asks for
// the per-processor times (keepProcessorTimes), that one reading is taken whole enough for the
// cpuN lines and they are parsed from it; otherwise only its first line is read.
//
// A process's times are read when it is opened (that read is also what tells a live process
// from an ended one); processTimes answers from that read. Not thread-safe: one sampler owns it.
#include "platform/Platform.h"
#include "platform/linux/DetailsParsers.h"
#include "platform/linux/ProcParsers.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <unordered_map>

namespace zrm58 {
namespace {

class ProcHandle final : public ProcessHandle {
public:
    ProcHandle(std::optional<CpuTimes> times, std::optional<std::uint64_t> start)
        : times_(times), start_(start) {}
    std::optional<CpuTimes> times() const { return times_; }
    std::optional<std::uint64_t> start() const { return start_; }

private:
    std::optional<CpuTimes> times_;      // std::nullopt: the stat line did not parse
    std::optional<std::uint64_t> start_; // start time, ticks after boot
};

std::size_t descriptorBudget() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
    if (limit.rlim_cur == RLIM_INFINITY) return 1 << 16;
    return static_cast<std::size_t>(limit.rlim_cur / 2);
}

// Parses a /proc entry name as a process id; std::nullopt for anything but plain digits.
std::optional<std::uint32_t> pidFromName(const char* name) {
    const char* end = name;
    while (*end >= '0' && *end <= '9')
        ++end;
    if (end == name || *end != '\0') return std::nullopt;
    std::uint32_t pid = 0;
    const auto [ptr, ec] = std::from_chars(name, end, pid);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return pid;
}

class ProcProcessSource final : public ProcessSource {
public:
    ProcProcessSource() : ticksPerSecond_(sysconf(_SC_CLK_TCK)), fdBudget_(descriptorBudget()) {}
    ProcProcessSource(const ProcProcessSource&) = delete;
    ProcProcessSource& operator=(const ProcProcessSource&) = delete;
    ~ProcProcessSource() override {
        dropCachedDescriptors();
        if (procDir_) closedir(procDir_);
        if (statFd_ >= 0) close(statFd_);
    }

    bool listProcessIds(std::vector<std::uint32_t>& ids) override {
        if (!procDir_) procDir_ = opendir("/proc");
        if (!procDir_) return false;
        rewinddir(procDir_);
        while (const dirent* entry = readdir(procDir_))
            if (const auto pid = pidFromName(entry->d_name)) ids.push_back(*pid);
        pruneDescriptors(ids);
        return true;
    }

    std::unique_ptr<ProcessHandle> openProcess(std::uint32_t pid) override {
        if (const auto it = fds_.find(pid); it != fds_.end()) {
            const ssize_t n = pread(it->second.fd, buf_, sizeof buf_, 0);
            if (n > 0) return makeHandle(n);
            // ESRCH: the process has ended; its id may now name a new one.
            close(it->second.fd);
            fds_.erase(it);
        }
        const int fd = openStat(pid);
        if (fd < 0) return nullptr; // gone, or not ours to read
        const ssize_t n = pread(fd, buf_, sizeof buf_, 0);
        if (n <= 0) {
            close(fd);
            return nullptr;
        }
        if (fds_.size() < fdBudget_)
            fds_.emplace(pid, CachedFd{fd, generation_});
        else
            close(fd);
        return makeHandle(n);
    }

    std::optional<CpuTimes> systemTimes() override {
        if (inSample_ && sampleTimesRead_) return sampleTimes_;
        const auto times = readSystemTimes();
        if (inSample_) {
            sampleTimes_ = times;
            sampleTimesRead_ = true;
        }
        return times;
    }

    std::optional<CpuTimes> processTimes(ProcessHandle& process) override {
        const auto* handle = dynamic_cast<const ProcHandle*>(&process);
        return handle ? handle->times() : std::nullopt;
    }

    // The start time of the same read: a new process on an old id has a later one.
    std::optional<std::uint64_t> processStart(ProcessHandle& process) override {
        const auto* handle = dynamic_cast<const ProcHandle*>(&process);
        return handle ? handle->start() : std::nullopt;
    }

    void beginSample() override {
        inSample_ = true;
        sampleTimesRead_ = false;
    }
    void endSample() override { inSample_ = false; }

    void keepProcessorTimes(bool keep) override {
        keepProcessors_ = keep;
        processorTimesRead_ = false;
        processorTimes_.reset();
        if (!keep) statText_ = std::string(); // give the buffer back
    }

    std::optional<std::vector<ProcessorTimes>> processorTimes() override {
        if (!keepProcessors_) return std::nullopt;
        if (!processorTimesRead_) (void)readSystemTimes(); // the baseline, once
        return processorTimes_;
    }

private:
    struct CachedFd {
        int fd;
        std::uint32_t generation; // the listing that last named this id
    };

    std::unique_ptr<ProcessHandle> makeHandle(ssize_t length) {
        const std::string_view line(buf_, static_cast<std::size_t>(length));
        return std::make_unique<ProcHandle>(procfs::parseProcessTimes(line, ticksPerSecond_),
                                            procfs::parseProcessStartTime(line));
    }

    // Opens /proc/PID/stat, relative to the kept /proc directory when there is one.
    int openStat(std::uint32_t pid) {
        char path[32] = "/proc/";
        char* end = std::to_chars(path + 6, path + 16, pid).ptr;
        std::copy_n("/stat", 6, end);
        const int dir = procDir_ ? dirfd(procDir_) : AT_FDCWD;
        const char* name = procDir_ ? path + 6 : path;
        int fd = openat(dir, name, O_RDONLY | O_CLOEXEC);
        if (fd < 0 && (errno == EMFILE || errno == ENFILE) && !fds_.empty()) {
            // The rest of the program needs descriptors more than this cache does.
            dropCachedDescriptors();
            fdBudget_ /= 2;
            fd = openat(dir, name, O_RDONLY | O_CLOEXEC);
        }
        return fd;
    }

    void pruneDescriptors(const std::vector<std::uint32_t>& ids) {
        if (fds_.empty()) return;
        ++generation_;
        for (const std::uint32_t pid : ids)
            if (const auto it = fds_.find(pid); it != fds_.end())
                it->second.generation = generation_;
        for (auto it = fds_.begin(); it != fds_.end();) {
            if (it->second.generation == generation_) {
                ++it;
                continue;
            }
            close(it->second.fd);
            it = fds_.erase(it);
        }
    }

    void dropCachedDescriptors() {
        for (const auto& [pid, cached] : fds_)
            close(cached.fd);
        fds_.clear();
    }

    std::optional<CpuTimes> readSystemTimes() {
        if (statFd_ < 0) statFd_ = open("/proc/stat", O_RDONLY | O_CLOEXEC);
        if (statFd_ < 0) return std::nullopt;
        if (keepProcessors_) return readSystemAndProcessorTimes();
        char line[512];
        const ssize_t n = pread(statFd_, line, sizeof line, 0);
        if (n <= 0) {
            close(statFd_);
            statFd_ = -1;
            return std::nullopt;
        }
        return procfs::parseSystemTimes(std::string_view(line, static_cast<std::size_t>(n)),
                                        ticksPerSecond_);
    }

    // The same single reading of /proc/stat, taken whole enough to hold every cpuN line; its
    // per-processor lines are kept for the details panel.
    std::optional<CpuTimes> readSystemAndProcessorTimes() {
        if (statText_.empty()) {
            const long processors = sysconf(_SC_NPROCESSORS_CONF);
            statText_.resize(4096 +
                             256 * static_cast<std::size_t>(processors > 0 ? processors : 1));
        }
        ssize_t n = 0;
        for (;;) {
            n = pread(statFd_, statText_.data(), statText_.size(), 0);
            if (n < static_cast<ssize_t>(statText_.size()) || statText_.size() >= (1u << 22)) break;
            statText_.resize(statText_.size() * 2); // filled up: the cpuN block may be cut
        }
        if (n <= 0) {
            close(statFd_);
            statFd_ = -1;
            processorTimes_.reset();
            return std::nullopt;
        }
        const std::string_view text(statText_.data(), static_cast<std::size_t>(n));
        processorTimes_ = procfs::parseProcessorTimes(text);
        processorTimesRead_ = true;
        return procfs::parseSystemTimes(text, ticksPerSecond_);
    }

    long ticksPerSecond_;
    std::size_t fdBudget_;
    bool keepProcessors_ = false;
    bool processorTimesRead_ = false; // since keeping was switched on
    std::optional<std::vector<ProcessorTimes>> processorTimes_;
    std::string statText_;
    DIR* procDir_ = nullptr;
    int statFd_ = -1;
    std::unordered_map<std::uint32_t, CachedFd> fds_;
    std::uint32_t generation_ = 0;
    bool inSample_ = false;
    bool sampleTimesRead_ = false;
    std::optional<CpuTimes> sampleTimes_;
    char buf_[1024]; // fields up to stime fit many times over
};

} // namespace

std::unique_ptr<ProcessSource> createSystemProcessSource() {
    return std::make_unique<ProcProcessSource>();
}

} // namespace zrm58
