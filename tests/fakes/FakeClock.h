#pragma once
#include "platform/Clock.h"

namespace zrm58::fakes {

// A clock that reads whatever the test set.
class FakeClock : public Clock {
public:
    LocalTime time;
    LocalTime now() const override { return time; }
};

} // namespace zrm58::fakes
