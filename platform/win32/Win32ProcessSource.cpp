#include "platform/win32/Win32ProcessSource.h"
#include "platform/Platform.h"

#include <unordered_map>

namespace zrm58::win32 {
namespace {

constexpr DWORD kKeptAccess = PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE;

// A process handle as the sampler holds it for one tick: either borrowed from the source's kept
// handles or owned (and closed with the wrapper).
class Win32Handle final : public ProcessHandle {
public:
    Win32Handle(HANDLE handle, const ProcessCalls* closer) : handle_(handle), closer_(closer) {}
    ~Win32Handle() override {
        if (closer_ != nullptr) closer_->closeHandle(handle_);
    }
    Win32Handle(const Win32Handle&) = delete;
    Win32Handle& operator=(const Win32Handle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
    const ProcessCalls* closer_; // null: borrowed
};

class Win32ProcessSource final : public ProcessSource {
public:
    explicit Win32ProcessSource(ProcessCalls calls) : calls_(std::move(calls)) {}
    Win32ProcessSource(const Win32ProcessSource&) = delete;
    Win32ProcessSource& operator=(const Win32ProcessSource&) = delete;
    ~Win32ProcessSource() override {
        for (const auto& [pid, kept] : kept_)
            calls_.closeHandle(kept.handle);
    }

    bool listProcessIds(std::vector<std::uint32_t>& ids) override {
        const HANDLE snapshot = calls_.createToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE || snapshot == nullptr) return false;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        const bool listed = calls_.process32First(snapshot, &entry) != FALSE;
        if (listed) {
            do
                ids.push_back(entry.th32ProcessID);
            while (calls_.process32Next(snapshot, &entry));
        }
        calls_.closeHandle(snapshot);
        if (!listed) return false;
        pruneKept(ids);
        return true;
    }

    std::unique_ptr<ProcessHandle> openProcess(std::uint32_t pid) override {
        if (const auto it = kept_.find(pid); it != kept_.end()) {
            if (calls_.waitForSingleObject(it->second.handle, 0) == WAIT_TIMEOUT)
                return std::make_unique<Win32Handle>(it->second.handle, nullptr);
            // Ended (its times are final and were counted): the id may now name a new process.
            calls_.closeHandle(it->second.handle);
            kept_.erase(it);
        }
        if (const HANDLE handle = calls_.openProcess(kKeptAccess, FALSE, pid)) {
            kept_.emplace(pid, Kept{handle, generation_});
            return std::make_unique<Win32Handle>(handle, nullptr);
        }
        // Some protected processes grant the limited query right alone.
        if (const HANDLE handle = calls_.openProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid))
            return std::make_unique<Win32Handle>(handle, &calls_);
        return nullptr; // gone, or not ours to read (the idle process, id 0, always)
    }

    std::optional<CpuTimes> systemTimes() override {
        FILETIME idle{}, kernel{}, user{};
        if (!calls_.getSystemTimes(&idle, &kernel, &user)) return std::nullopt;
        // The kernel time includes the idle time, as CpuTimes wants it.
        return CpuTimes{fileTimeUnits(kernel), fileTimeUnits(user)};
    }

    std::optional<CpuTimes> processTimes(ProcessHandle& process) override {
        const auto* handle = dynamic_cast<const Win32Handle*>(&process);
        if (handle == nullptr) return std::nullopt;
        FILETIME creation{}, exit{}, kernel{}, user{};
        if (!calls_.getProcessTimes(handle->get(), &creation, &exit, &kernel, &user))
            return std::nullopt;
        return CpuTimes{fileTimeUnits(kernel), fileTimeUnits(user)};
    }

    // The creation time: the same for the process's whole life, later for a process that
    // receives the id after it.
    std::optional<std::uint64_t> processStart(ProcessHandle& process) override {
        const auto* handle = dynamic_cast<const Win32Handle*>(&process);
        if (handle == nullptr) return std::nullopt;
        FILETIME creation{}, exit{}, kernel{}, user{};
        if (!calls_.getProcessTimes(handle->get(), &creation, &exit, &kernel, &user))
            return std::nullopt;
        return fileTimeUnits(creation);
    }

private:
    struct Kept {
        HANDLE handle;
        std::uint32_t generation; // the snapshot that last listed this id
    };

    void pruneKept(const std::vector<std::uint32_t>& ids) {
        ++generation_;
        for (const std::uint32_t pid : ids)
            if (const auto it = kept_.find(pid); it != kept_.end())
                it->second.generation = generation_;
        for (auto it = kept_.begin(); it != kept_.end();) {
            if (it->second.generation == generation_) {
                ++it;
                continue;
            }
            calls_.closeHandle(it->second.handle);
            it = kept_.erase(it);
        }
    }

    ProcessCalls calls_;
    std::unordered_map<std::uint32_t, Kept> kept_;
    std::uint32_t generation_ = 0;
};

} // namespace

ProcessCalls systemProcessCalls() {
    ProcessCalls calls;
    calls.createToolhelp32Snapshot = CreateToolhelp32Snapshot;
    calls.process32First = Process32FirstW;
    calls.process32Next = Process32NextW;
    calls.openProcess = OpenProcess;
    calls.waitForSingleObject = WaitForSingleObject;
    calls.getProcessTimes = GetProcessTimes;
    calls.getSystemTimes = GetSystemTimes;
    calls.closeHandle = CloseHandle;
    return calls;
}

std::unique_ptr<ProcessSource> createWin32ProcessSource(ProcessCalls calls) {
    return std::make_unique<Win32ProcessSource>(std::move(calls));
}

} // namespace zrm58::win32

namespace zrm58 {

std::unique_ptr<ProcessSource> createSystemProcessSource() {
    return win32::createWin32ProcessSource(win32::systemProcessCalls());
}

} // namespace zrm58
