#pragma once
#include <cstdint>

namespace zrm58 {

// The local wall-clock time as the OS reports it, with milliseconds.
struct LocalTime {
    std::uint16_t year = 1;  // 1..9999
    std::uint16_t month = 1; // 1..12
    std::uint16_t day = 1;   // 1..31
    std::uint16_t hour = 0;  // 0..23
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t millisecond = 0;
};

// Source of the local date and time. Contract: never fails; every call reads the clock afresh.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() const = 0;
};

} // namespace zrm58
