// The --follow timetable of zrm58-line on a made-up clock: a late line is printed and the grid
// kept; after a hold-up of whole intervals the missed lines are skipped, not caught up.
#include "cli/FollowSchedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zrm58::cli {
namespace {

using std::chrono::milliseconds;
const FollowClock::time_point t0{milliseconds(50'000)};
const milliseconds second(1000);

TEST(FollowScheduleTest, NextLineKeepsTheGridAndSkipsPassedPoints) {
    struct Row {
        const char* what;
        milliseconds now; // after the line due at t0
        milliseconds next;
    };
    const Row rows[] = {
        {"printed on time", milliseconds(2), milliseconds(1000)},
        {"printed late, within the interval", milliseconds(700), milliseconds(1000)},
        {"exactly at the next point", milliseconds(1000), milliseconds(1000)},
        {"just past the next point: skipped", milliseconds(1001), milliseconds(2000)},
        {"stopped for 5.3 s: one line at the next point, none for 1 to 5 s", milliseconds(5300),
         milliseconds(6000)},
        {"a day suspended", milliseconds(86'400'000 + 1), milliseconds(86'401'000)},
        {"clock read before the due time", milliseconds(-3), milliseconds(1000)},
    };
    for (const Row& r : rows)
        EXPECT_EQ(nextLineDue(t0, second, t0 + r.now) - t0, r.next) << r.what;
}

TEST(FollowScheduleTest, LineHeldUpAWholeIntervalIsSkipped) {
    EXPECT_TRUE(lineStillDue(t0, second, t0));
    EXPECT_TRUE(lineStillDue(t0, second, t0 + milliseconds(999)));
    EXPECT_FALSE(lineStillDue(t0, second, t0 + second));
    EXPECT_FALSE(lineStillDue(t0, second, t0 + milliseconds(5300)));
}

// The loop of --follow driven by a clock that stops for 5.3 s while it sleeps towards the third
// line (due at 3 s): lines at 1 s and 2 s, none for 3 to 8 s, then 9 s and on. Before, the lines
// for 3 to 8 s came all at once on waking.
TEST(FollowScheduleTest, PauseGivesNoBurstOfLines) {
    FollowClock::time_point now = t0, due = t0;
    bool stopped = false;
    std::vector<milliseconds> printedAt;
    for (int wake = 0; printedAt.size() < 5 && wake < 100; ++wake) {
        due = nextLineDue(due, second, now);
        now = std::max(now, due); // the sleep
        if (printedAt.size() == 2 && !stopped) {
            now += milliseconds(5300);
            stopped = true;
        }
        if (!lineStillDue(due, second, now)) continue;
        printedAt.push_back(std::chrono::duration_cast<milliseconds>(now - t0));
        now += milliseconds(3); // rendering the line
    }
    EXPECT_EQ(printedAt,
              (std::vector<milliseconds>{milliseconds(1000), milliseconds(2000), milliseconds(9000),
                                         milliseconds(10000), milliseconds(11000)}));
}

} // namespace
} // namespace zrm58::cli
