#pragma once
#include "platform/MemorySource.h"

namespace zrm58::fakes {

// Answers `status` (std::nullopt: the figures cannot be read) and counts the requests.
class FakeMemorySource final : public MemorySource {
public:
    std::optional<MemoryStatus> status;
    mutable int requests = 0;

    std::optional<MemoryStatus> memoryStatus() const override {
        ++requests;
        return status;
    }
};

} // namespace zrm58::fakes
