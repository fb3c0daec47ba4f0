#pragma once
#include "platform/ProcessSource.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zrm58::fakes {

// A scripted process source. Every call is logged in `calls` ("list", "open 7", "system",
// "times 7", "close 7", "begin", "end"), so tests can check the order of the steps and that
// every opened handle is closed. processStart is not logged: it answers what `start` holds.
class FakeProcessSource final : public ProcessSource {
public:
    struct Process {
        Process() = default;
        Process(bool canOpen, std::optional<CpuTimes> t, std::optional<std::uint64_t> s = {})
            : openable(canOpen), times(t), start(s) {}
        bool openable = true;
        std::optional<CpuTimes> times = CpuTimes{}; // std::nullopt: processTimes fails
        std::optional<std::uint64_t> start;         // processStart's stamp; unknown by default
    };

    bool snapshotFails = false;
    bool partialIdsOnFailure = false;            // a failing listing still hands out `listing`
    std::vector<std::uint32_t> listing;          // handed out in this order
    std::map<std::uint32_t, Process> processes;  // ids missing here cannot be opened
    std::optional<CpuTimes> system = CpuTimes{}; // std::nullopt: systemTimes fails
    std::function<void(std::uint32_t)> onOpen;   // runs at the start of each openProcess

    std::vector<std::string> calls;
    int openHandles = 0;

    // Lists `ids` and gives each the same process times.
    void setProcesses(const std::vector<std::uint32_t>& ids, CpuTimes times) {
        listing = ids;
        processes.clear();
        for (const std::uint32_t id : ids)
            processes[id] = Process{true, times};
    }

    bool listProcessIds(std::vector<std::uint32_t>& ids) override {
        calls.push_back("list");
        if (snapshotFails) {
            if (partialIdsOnFailure) ids = listing;
            return false;
        }
        ids = listing;
        return true;
    }

    std::unique_ptr<ProcessHandle> openProcess(std::uint32_t pid) override {
        if (onOpen) onOpen(pid);
        calls.push_back("open " + std::to_string(pid));
        const auto it = processes.find(pid);
        if (it == processes.end() || !it->second.openable) return nullptr;
        return std::make_unique<Handle>(*this, pid);
    }

    std::optional<CpuTimes> systemTimes() override {
        calls.push_back("system");
        return system;
    }

    std::optional<CpuTimes> processTimes(ProcessHandle& process) override {
        const auto& handle = dynamic_cast<const Handle&>(process);
        calls.push_back("times " + std::to_string(handle.pid));
        return processes.at(handle.pid).times;
    }

    std::optional<std::uint64_t> processStart(ProcessHandle& process) override {
        return processes.at(dynamic_cast<const Handle&>(process).pid).start;
    }

    void beginSample() override { calls.push_back("begin"); }
    void endSample() override { calls.push_back("end"); }

    // Per-processor times: `processors` while keeping is on (std::nullopt: unavailable).
    std::optional<std::vector<ProcessorTimes>> processors;
    bool keepingProcessors = false;
    void keepProcessorTimes(bool keep) override {
        calls.push_back(keep ? "keep on" : "keep off");
        keepingProcessors = keep;
    }
    std::optional<std::vector<ProcessorTimes>> processorTimes() override {
        calls.push_back("processors");
        return keepingProcessors ? processors : std::nullopt;
    }

private:
    struct Handle final : ProcessHandle {
        Handle(FakeProcessSource& source, std::uint32_t id) : owner(source), pid(id) {
            ++owner.openHandles;
        }
        ~Handle() override {
            --owner.openHandles;
            owner.calls.push_back("close " + std::to_string(pid));
        }
        FakeProcessSource& owner;
        std::uint32_t pid;
    };
};

} // namespace zrm58::fakes
