// The process source over /proc and the process CPU clocks.
//
// Whole listing: getdents64 on one kept descriptor of /proc into a kept buffer, the names
// parsed as digits in place, from the first process entry on (past the sixty-odd entries that
// are no processes). Its cost grows per process from about 0.35 us (100 processes) to 1.2 us
// (5,000) on this kind of machine, as much as reading the clocks.
//
// Listing by changes: the kernel hands out process ids in turn, wrapping round to the low
// ones, and /proc/loadavg tells the last one. So the processes now running are the known ones
// whose clocks still answer, plus the ones among the ids handed out since the last listing,
// which /proc lists by seeking to them (an entry sits at its id plus a fixed position). The
// clocks are read here once and kept for openProcess, so a steady tick costs one clock read per
// process and a few entries of /proc. It is trusted only when no more processes and threads
// started (the "processes" line of /proc/stat) than ids were passed over, and the kernel's
// count of processes (the link count of /proc) is the same before and after and matches the
// result; otherwise (the ids went round or were set back, processes of other PID namespaces
// moved the count, a race with a process starting or ending) the whole listing is taken,
// keeping the clocks already read.
//
// Times: clock_gettime on the process's CPU clock (the clock id the kernel derives from a
// process id with the scheduler's kind, CPUCLOCK_SCHED): the run time of all the process's
// threads, which is what /proc/PID/stat's utime + stime add up to (the kernel scales the two to
// it), in nanoseconds instead of 10 ms ticks. One system call, no file opened, nothing kept in
// the kernel per process, about 0.4 us against about 10 us for opening, reading and closing
// /proc/PID/stat. The clock has no user/kernel split: the whole time is reported as user time
// (the sampler adds the two). Where the clock does not answer but the process may exist (a
// system call filter, a kernel without process clocks), /proc/PID/stat is read instead; a
// clock that answers EINVAL names no process (ended and reaped) and the process is gone.
//
// Identity: a process id may pass to a new process between two listings. The inode of
// /proc/PID is made afresh for each process that holds the id, so an id listed with the inode
// it had before is the same process. When the inode changed (a new process, or the kernel
// remade the directory for the same one), the start time in /proc/PID/stat tells: a process
// that started after the previous listing began is new. Each process gets a stamp
// (processStart) that changes only for a new process on the id. A listing by changes sees the
// inodes of the newly handed-out ids only, which is where a new process on a known id appears
// while ids go in turn. What remains outside: an id given on request (clone3 set_tid, or the
// last id set back far, both privileged, for restoring processes), or ids gone round by forks
// that failed (they count nowhere), to a new process on a known id, with the count matching
// again. There the sampler still tells it by its clock going backwards, and otherwise charges
// it, for that one tick, with its time less the old one's.
//
// /proc/stat costs about 20 us to read, whatever part of it is read. Its counters move in
// USER_HZ steps (10 ms), so inside one sample (beginSample .. endSample) it is read once and
// every request of the sample is answered from that reading. While the details panel asks for
// the per-processor times (keepProcessorTimes), that one reading is taken whole enough for the
// cpuN lines and they are parsed from it; otherwise only its first line is read.
//
// A process's times are read when it is opened, or kept from the listing by changes (that
// read is also what tells a live process from an ended one); processTimes answers from it. Not
// thread-safe: one sampler owns it.
#include "platform/linux/ProcProcessSource.h"
#include "platform/Platform.h"
#include "platform/linux/DetailsParsers.h"
#include "platform/linux/ProcListing.h"
#include "platform/linux/ProcParsers.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

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
    std::optional<std::uint64_t> start_; // the listing's stamp for this process
};

// The CPU clock of a whole process, scheduler kind: ((~pid) << 3) | CPUCLOCK_SCHED (2).
clockid_t processCpuClock(std::uint32_t pid) {
    return static_cast<clockid_t>((~pid << 3) | 2u);
}

// CLOCK_BOOTTIME in USER_HZ ticks, the unit and base of a process's start time.
std::optional<std::uint64_t> bootTicks(long ticksPerSecond) {
    timespec now{};
    if (ticksPerSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return std::nullopt;
    const auto hz = static_cast<std::uint64_t>(ticksPerSecond);
    return static_cast<std::uint64_t>(now.tv_sec) * hz +
           static_cast<std::uint64_t>(now.tv_nsec) * hz / 1'000'000'000u;
}

class ProcProcessSource final : public ProcessSource {
public:
    explicit ProcProcessSource(ProcessTimesFrom from)
        : ticksPerSecond_(sysconf(_SC_CLK_TCK)), useClock_(from == ProcessTimesFrom::cpuClock) {}
    ProcProcessSource(const ProcProcessSource&) = delete;
    ProcProcessSource& operator=(const ProcProcessSource&) = delete;
    ~ProcProcessSource() override {
        if (dirFd_ >= 0) close(dirFd_);
        if (statFd_ >= 0) close(statFd_);
        if (loadavgFd_ >= 0) close(loadavgFd_);
    }

    bool listProcessIds(std::vector<std::uint32_t>& ids) override {
        const std::optional<std::uint64_t> startTicks = bootTicks(ticksPerSecond_);
        alive_.clear();
        if (listChanges()) {
            ++counts_.byChanges;
        } else if (listWhole()) {
            ++counts_.whole;
        } else {
            return false;
        }
        listingTicks_ = startTicks;
        ids.reserve(ids.size() + current_.size());
        for (const procfs::ProcEntry& entry : current_)
            ids.push_back(entry.pid);
        cursor_ = 0;
        return true;
    }

    std::unique_ptr<ProcessHandle> openProcess(std::uint32_t pid) override {
        // Id 0 would name this process's own clock, and no id reaches past INT_MAX.
        if (pid == 0 || pid > INT_MAX) return nullptr;
        const procfs::ProcEntry* entry = entryOf(pid);
        const std::optional<std::uint64_t> stamp =
            entry ? std::optional<std::uint64_t>(entry->stamp) : std::nullopt;
        if (entry && entry->runTime)
            return std::make_unique<ProcHandle>(CpuTimes{0, *entry->runTime}, stamp);
        if (useClock_) {
            if (const auto runTime = readClock(pid))
                return std::make_unique<ProcHandle>(CpuTimes{0, *runTime}, stamp);
            if (errno == EINVAL) return nullptr; // no such process
            useClock_ = false; // refused: the clock will not answer for the others either
        }
        const std::optional<std::string_view> line = readPidStat(pid);
        if (!line) return nullptr; // gone, or not ours to read
        return std::make_unique<ProcHandle>(procfs::parseProcessTimes(*line, ticksPerSecond_),
                                            stamp);
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

    std::optional<std::uint64_t> processStart(ProcessHandle& process) override {
        const auto* handle = dynamic_cast<const ProcHandle*>(&process);
        return handle ? handle->start() : std::nullopt;
    }

    void beginSample() override {
        inSample_ = true;
        sampleTimesRead_ = false;
        statAllInSample_ = false;
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

    ProcListingCounts counts() const { return counts_; }

private:
    // The whole listing: every process entry of /proc into current_ (sorted by id), the
    // listing before moving to previous_. Also notes what the next listing by changes needs:
    // the kernel's last id handed out and its count of processes beyond the listed ones.
    bool listWhole() {
        countBase_.reset();
        if (dirFd_ < 0) dirFd_ = open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd_ < 0) return false;
        const std::optional<std::uint32_t> lastPid = readLastPid();
        const std::optional<std::uint64_t> forks = readForkCount();
        const std::optional<std::uint64_t> countBefore = processCount();
        procfs::ListingCursor cursor;
        cursor.firstProcessOffset = listing_.firstProcessOffset;
        cursor.offset = listing_.firstProcessOffset.value_or(0);
        if (lseek(dirFd_, cursor.offset, SEEK_SET) != cursor.offset) {
            cursor = procfs::ListingCursor();
            if (lseek(dirFd_, 0, SEEK_SET) != 0) return false;
        }
        std::swap(previous_, current_);
        current_.clear();
        if (!readEntries(cursor, current_, std::nullopt)) return false;
        if (!std::is_sorted(current_.begin(), current_.end(), byPid)) // listed by id today
            std::sort(current_.begin(), current_.end(), byPid);
        listing_ = cursor;
        procfs::assignStamps(previous_, current_, nextStamp_,
                             [&](std::uint32_t pid) { return startedSince(pid, listingTicks_); });
        keepRunTimes();
        const std::optional<std::uint64_t> countAfter = processCount();
        lastPid_ = lastPid;
        forks_ = forks;
        if (forks && countBefore && countAfter == countBefore && *countBefore >= current_.size())
            countBase_ = *countBefore - current_.size();
        return true;
    }

    // The listing by changes, instead of the whole one: the processes of the latest listing
    // whose clocks still answer (their run times kept for openProcess), and the processes
    // among the ids the kernel handed out since, listed from /proc by seeking to those ids.
    // New processes get no other ids (the kernel hands them out in turn, wrapping around), and
    // the kernel's count of processes (the link count of /proc) must agree before and after,
    // or the whole listing is taken: an id given on request (clone3 set_tid), a process of
    // another PID namespace, or a race with a process starting or ending. False, with nothing
    // changed, whenever it cannot be trusted.
    bool listChanges() {
        if (!useClock_ || !countBase_ || !lastPid_ || !listing_.idOffset || listing_.idOffsetVaries)
            return false;
        const std::optional<std::uint64_t> countBefore = processCount();
        if (!countBefore) return false;
        // The clocks first: a process that takes a known id after its clock was read got that
        // id after the last-id reading below, so the next listing finds it among the new ids.
        for (const procfs::ProcEntry& known : current_) {
            if (const auto runTime = readClock(known.pid)) {
                alive_.push_back(known);
                alive_.back().runTime = runTime;
            } else if (errno != EINVAL) {
                alive_.clear();
                return false;
            }
        }
        const std::optional<std::uint32_t> lastPid = readLastPid();
        const std::optional<std::uint64_t> forks = readForkCount();
        if (!lastPid || !forks || !handedOutInTurn(*lastPid, *forks)) return false;
        if (!listFreshIds(*lastPid_, *lastPid)) return false;
        procfs::assignStamps(current_, fresh_, nextStamp_,
                             [&](std::uint32_t pid) { return startedSince(pid, listingTicks_); });
        merged_.clear();
        auto a = alive_.begin();
        for (const procfs::ProcEntry& entry : fresh_) { // listed afresh: its own run time later
            while (a != alive_.end() && a->pid < entry.pid)
                merged_.push_back(*a++);
            if (a != alive_.end() && a->pid == entry.pid) ++a;
            merged_.push_back(entry);
        }
        merged_.insert(merged_.end(), a, alive_.end());
        const std::optional<std::uint64_t> countAfter = processCount();
        if (countAfter != countBefore || *countAfter != *countBase_ + merged_.size()) return false;
        std::swap(previous_, current_);
        std::swap(current_, merged_);
        lastPid_ = lastPid;
        forks_ = forks;
        return true;
    }

    // Whether the ids handed out since the latest listing are those after its last id, up to
    // `lastPid`: each process or thread started since took one id in turn, so they cannot be
    // more than the ids passed over. More of them means the kernel went round all the ids, or
    // was set back (ns_last_pid), or gave ids on request: then only the whole listing tells.
    bool handedOutInTurn(std::uint32_t lastPid, std::uint64_t forks) {
        if (forks < *forks_) return false;
        std::uint64_t passed = lastPid >= *lastPid_ ? lastPid - *lastPid_ : 0;
        if (lastPid < *lastPid_) {
            if (!pidMax_) pidMax_ = readPidMax();
            if (!pidMax_ || *pidMax_ <= *lastPid_) return false;
            passed = *pidMax_ - 1 - *lastPid_ + lastPid; // round the top, from the low ids
        }
        return forks - *forks_ <= passed;
    }

    // Keeps in current_ the run times that a listing by changes read just before it gave way
    // to the whole listing, for the processes it found again (same id, same inode).
    void keepRunTimes() {
        auto a = alive_.begin();
        for (procfs::ProcEntry& entry : current_) {
            while (a != alive_.end() && a->pid < entry.pid)
                ++a;
            if (a != alive_.end() && a->pid == entry.pid && a->inode == entry.inode)
                entry.runTime = a->runTime;
        }
    }

    // The process entries with ids in (before, now] (wrapping round) into fresh_, by id.
    bool listFreshIds(std::uint32_t before, std::uint32_t now) {
        fresh_.clear();
        if (before == now) return true;
        if (!readFrom(before + 1, before < now ? std::optional<std::uint32_t>(now) : std::nullopt))
            return false;
        if (before > now && !readFrom(1, now)) return false;
        std::erase_if(fresh_, [&](const procfs::ProcEntry& e) {
            return !procfs::inFreshIds(e.pid, before, now);
        });
        std::sort(fresh_.begin(), fresh_.end(), byPid);
        return true;
    }

    // Appends to fresh_ the entries from id `from` on, up to id `upTo` when given (else to the
    // end), read in small steps so that little past `upTo` is listed.
    bool readFrom(std::uint32_t from, std::optional<std::uint32_t> upTo) {
        procfs::ListingCursor cursor = listing_;
        cursor.offset = *listing_.idOffset + static_cast<std::int64_t>(from);
        if (lseek(dirFd_, cursor.offset, SEEK_SET) != cursor.offset) return false;
        return readEntries(cursor, fresh_, upTo, 2048);
    }

    // getdents64 from where the directory stands into `out` until the end, or until an entry
    // past `upTo`; `step` bytes at a time at most.
    bool readEntries(procfs::ListingCursor& cursor, std::vector<procfs::ProcEntry>& out,
                     std::optional<std::uint32_t> upTo, std::size_t step = 0) {
        if (dirents_.empty()) dirents_.resize(32 * 1024);
        const std::size_t size = step ? std::min(step, dirents_.size()) : dirents_.size();
        for (;;) {
            const long length = syscall(SYS_getdents64, dirFd_, dirents_.data(), size);
            if (length < 0 && errno == EINTR) continue;
            if (length < 0) return false;
            if (length == 0) return true;
            if (!procfs::appendProcessEntries(dirents_.data(), static_cast<std::size_t>(length),
                                              cursor, out))
                return false;
            if (upTo && !out.empty() && out.back().pid > *upTo) return true;
        }
    }

    // The kernel's count of processes in all PID namespaces, plus the fixed link count of the
    // /proc directory itself.
    std::optional<std::uint64_t> processCount() const {
        struct stat info {};
        if (dirFd_ < 0 || fstat(dirFd_, &info) != 0) return std::nullopt;
        return static_cast<std::uint64_t>(info.st_nlink);
    }

    // The processes and threads started since boot, from the whole of /proc/stat.
    std::optional<std::uint64_t> readForkCount() {
        if (statFd_ < 0) statFd_ = open("/proc/stat", O_RDONLY | O_CLOEXEC);
        if (statFd_ < 0) return std::nullopt;
        if (statAll_.empty()) statAll_.resize(8192);
        for (;;) {
            const ssize_t n = pread(statFd_, statAll_.data(), statAll_.size(), 0);
            if (n <= 0) return std::nullopt;
            if (static_cast<std::size_t>(n) < statAll_.size()) {
                statAllLength_ = static_cast<std::size_t>(n);
                statAllInSample_ = inSample_; // the sample's system times come from it too
                return procfs::parseForkCount(std::string_view(statAll_.data(), statAllLength_));
            }
            if (statAll_.size() >= (1u << 22)) return std::nullopt;
            statAll_.resize(statAll_.size() * 2); // filled up: the line may be cut
        }
    }

    static std::optional<std::uint32_t> readPidMax() {
        const int fd = open("/proc/sys/kernel/pid_max", O_RDONLY | O_CLOEXEC);
        if (fd < 0) return std::nullopt;
        char text[32];
        const ssize_t n = read(fd, text, sizeof text - 1);
        close(fd);
        std::uint32_t value = 0;
        if (n <= 0 || std::from_chars(text, text + n, value).ec != std::errc()) return std::nullopt;
        return value;
    }

    std::optional<std::uint32_t> readLastPid() {
        if (loadavgFd_ < 0) loadavgFd_ = open("/proc/loadavg", O_RDONLY | O_CLOEXEC);
        if (loadavgFd_ < 0) return std::nullopt;
        char text[128];
        const ssize_t n = pread(loadavgFd_, text, sizeof text, 0);
        if (n <= 0) return std::nullopt;
        return procfs::parseLastPid(std::string_view(text, static_cast<std::size_t>(n)));
    }

    // The run time of the process's threads in 100-ns units; std::nullopt with errno set when
    // the clock does not answer (EINVAL: no such process).
    static std::optional<std::uint64_t> readClock(std::uint32_t pid) {
        timespec time{};
        if (clock_gettime(processCpuClock(pid), &time) != 0) return std::nullopt;
        return (static_cast<std::uint64_t>(time.tv_sec) * 1'000'000'000u +
                static_cast<std::uint64_t>(time.tv_nsec)) /
               100;
    }

    static bool byPid(const procfs::ProcEntry& a, const procfs::ProcEntry& b) {
        return a.pid < b.pid;
    }

    // The latest listing's entry for `pid`, or nullptr. The sampler asks in ascending id
    // order, so the next entry is tried first.
    const procfs::ProcEntry* entryOf(std::uint32_t pid) {
        if (cursor_ >= current_.size() || current_[cursor_].pid != pid) {
            const auto it = std::lower_bound(current_.begin(), current_.end(),
                                             procfs::ProcEntry{pid, 0, 0, std::nullopt}, byPid);
            if (it == current_.end() || it->pid != pid) return nullptr;
            cursor_ = static_cast<std::size_t>(it - current_.begin());
        }
        return &current_[cursor_++];
    }

    // Whether the process now holding `pid` started at or after `ticks` (boot-time ticks);
    // std::nullopt when its start time cannot be read or there is nothing to compare with.
    std::optional<bool> startedSince(std::uint32_t pid, std::optional<std::uint64_t> ticks) {
        if (!ticks) return std::nullopt;
        const std::optional<std::string_view> line = readPidStat(pid);
        const auto start = line ? procfs::parseProcessStartTime(*line) : std::nullopt;
        if (!start) return std::nullopt;
        return *start >= *ticks;
    }

    // Opens, reads and closes /proc/PID/stat; the line stays in buf_ until the next read.
    std::optional<std::string_view> readPidStat(std::uint32_t pid) {
        char path[32] = "/proc/";
        char* end = std::to_chars(path + 6, path + 16, pid).ptr;
        std::copy_n("/stat", 6, end);
        const int fd = dirFd_ >= 0 ? openat(dirFd_, path + 6, O_RDONLY | O_CLOEXEC)
                                   : open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) return std::nullopt;
        const ssize_t n = read(fd, buf_, sizeof buf_);
        close(fd);
        if (n <= 0) return std::nullopt;
        return std::string_view(buf_, static_cast<std::size_t>(n));
    }

    std::optional<CpuTimes> readSystemTimes() {
        // The listing of this sample has read the whole file already: the kernel writes all of
        // it for every read, so a second read would only repeat that work.
        if (inSample_ && statAllInSample_)
            return systemTimesFrom(std::string_view(statAll_.data(), statAllLength_));
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
        return systemTimesFrom(std::string_view(statText_.data(), static_cast<std::size_t>(n)));
    }

    // The machine's times from a whole reading of /proc/stat, and its per-processor lines
    // while they are kept.
    std::optional<CpuTimes> systemTimesFrom(std::string_view text) {
        if (keepProcessors_) {
            processorTimes_ = procfs::parseProcessorTimes(text);
            processorTimesRead_ = true;
        }
        return procfs::parseSystemTimes(text, ticksPerSecond_);
    }

    long ticksPerSecond_;
    bool useClock_;
    bool keepProcessors_ = false;
    bool processorTimesRead_ = false; // since keeping was switched on
    std::optional<std::vector<ProcessorTimes>> processorTimes_;
    std::string statText_;
    int dirFd_ = -1;
    int statFd_ = -1;
    int loadavgFd_ = -1;
    std::vector<char> dirents_;               // getdents64 records; kept
    std::vector<procfs::ProcEntry> current_;  // the latest listing, by id
    std::vector<procfs::ProcEntry> previous_; // the one before; the vectors below are scratch
    std::vector<procfs::ProcEntry> alive_, fresh_, merged_; // swapped, capacity kept
    procfs::ListingCursor listing_;                         // what the latest whole listing found
    std::optional<std::uint64_t> listingTicks_; // boot time when the latest listing began
    std::optional<std::uint32_t> lastPid_;      // the kernel's last id then
    std::optional<std::uint64_t> countBase_;    // its process count less the listed processes
    std::optional<std::uint64_t> forks_;        // processes and threads started since boot then
    std::optional<std::uint32_t> pidMax_;       // the highest id plus one, once read
    std::vector<char> statAll_;                 // the whole of /proc/stat; kept
    std::size_t statAllLength_ = 0;             // of its latest reading
    bool statAllInSample_ = false;              // that reading was taken in this sample
    std::uint64_t nextStamp_ = 1;
    ProcListingCounts counts_;
    std::size_t cursor_ = 0; // entryOf's guess at the next id asked for
    bool inSample_ = false;
    bool sampleTimesRead_ = false;
    std::optional<CpuTimes> sampleTimes_;
    char buf_[1024]; // a /proc/PID/stat line: fields up to starttime fit many times over
};

} // namespace

std::unique_ptr<ProcessSource> createProcProcessSource(ProcessTimesFrom from) {
    return std::make_unique<ProcProcessSource>(from);
}

ProcListingCounts procListingCounts(const ProcessSource& source) {
    const auto* proc = dynamic_cast<const ProcProcessSource*>(&source);
    return proc ? proc->counts() : ProcListingCounts{};
}

std::unique_ptr<ProcessSource> createSystemProcessSource() {
    return createProcProcessSource(ProcessTimesFrom::cpuClock);
}

} // namespace zrm58
