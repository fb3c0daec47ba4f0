#include "cli/FollowSchedule.h"

namespace zrm58::cli {

FollowClock::time_point nextLineDue(FollowClock::time_point due, FollowClock::duration interval,
                                    FollowClock::time_point now) {
    const FollowClock::time_point next = due + interval;
    if (now <= next) return next;
    // Points already passed are skipped: round the lag up to whole intervals.
    const auto missed = (now - due + interval - FollowClock::duration(1)) / interval;
    return due + missed * interval;
}

bool lineStillDue(FollowClock::time_point due, FollowClock::duration interval,
                  FollowClock::time_point now) {
    return now - due < interval;
}

} // namespace zrm58::cli
