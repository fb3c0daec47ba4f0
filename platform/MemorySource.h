#pragma once
#include <cstdint>
#include <optional>

namespace zrm58 {

struct MemoryStatus {
    std::uint64_t totalPhys = 0; // bytes
    std::uint64_t availPhys = 0; // bytes
};

// Physical memory figures. Contract: std::nullopt when they cannot be read.
class MemorySource {
public:
    virtual ~MemorySource() = default;
    virtual std::optional<MemoryStatus> memoryStatus() const = 0;
};

} // namespace zrm58
