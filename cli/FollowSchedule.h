#pragma once
#include <chrono>

// When `zrm58-line --follow` prints. The lines keep to a grid of one interval from the start.
// A line that comes a little late (a busy machine) is still printed, at once, and the grid is
// kept. When the program was held up for a whole interval or more (stopped with SIGSTOP and
// continued, a suspended machine, a clock step), the lines it missed are skipped, not caught up
// in a burst: the next line comes at the next point of the grid.
namespace zrm58::cli {

using FollowClock = std::chrono::steady_clock;

// The moment of the next line after the one due at `due`: the first point due + k * interval
// (k >= 1) that is not before `now`. `interval` must be positive.
FollowClock::time_point nextLineDue(FollowClock::time_point due, FollowClock::duration interval,
                                    FollowClock::time_point now);

// Whether the line due at `due` is still to be printed at `now`: false once the line after it
// is due as well, that is when the program was held up for a whole interval or more.
bool lineStillDue(FollowClock::time_point due, FollowClock::duration interval,
                  FollowClock::time_point now);

} // namespace zrm58::cli
