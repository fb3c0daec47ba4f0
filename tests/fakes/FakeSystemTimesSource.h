#pragma once
#include "platform/SystemTimesSource.h"

namespace zrm58::fakes {

// The machine's counters as the test sets them; `fails` makes every reading fail. `readings`
// counts the calls.
class FakeSystemTimesSource final : public SystemTimesSource {
public:
    MachineTimes times;
    bool fails = false;
    int readings = 0;

    // Lets `busy` and `idle` units pass.
    void advance(std::uint64_t busy, std::uint64_t idle) {
        times.busy += busy;
        times.idle += idle;
    }

    std::optional<MachineTimes> machineTimes() override {
        ++readings;
        if (fails) return std::nullopt;
        return times;
    }
};

} // namespace zrm58::fakes
