#pragma once
#include "platform/SystemDetailsSource.h"

#include <map>
#include <string>
#include <vector>

namespace zrm58::fakes {

// A scripted details source: each figure is what the test put there (std::nullopt: that read
// fails). Every call is logged in `calls` ("memory", "network", "temperature", "name 7").
class FakeSystemDetailsSource final : public SystemDetailsSource {
public:
    std::optional<MemoryBreakdown> memory = MemoryBreakdown{};
    std::optional<std::vector<InterfaceCounters>> network = std::vector<InterfaceCounters>{};
    std::optional<double> temperature;
    std::map<std::uint32_t, std::string> names; // ids missing here: the name cannot be read

    std::vector<std::string> calls;

    std::optional<MemoryBreakdown> memoryBreakdown() override {
        calls.push_back("memory");
        return memory;
    }
    std::optional<std::vector<InterfaceCounters>> networkCounters() override {
        calls.push_back("network");
        return network;
    }
    std::optional<double> temperatureCelsius() override {
        calls.push_back("temperature");
        return temperature;
    }
    std::optional<std::string> processName(std::uint32_t pid) override {
        calls.push_back("name " + std::to_string(pid));
        const auto it = names.find(pid);
        if (it == names.end()) return std::nullopt;
        return it->second;
    }
};

} // namespace zrm58::fakes
