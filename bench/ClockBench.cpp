// One reading of the system clock as the strip takes it each tick (the zone in force checked
// every time), against the bare localtime_r that never looks at the zone again; with TZ unset
// (the C library checks /etc/localtime) and with TZ naming a zone file (checked here).
//
//   clock_bench [--benchmark_filter=...]
#include "platform/Platform.h"
#include "platform/linux/LinuxClock.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

void withTz(const char* tz) {
    if (tz)
        setenv("TZ", tz, 1);
    else
        unsetenv("TZ");
    tzset();
}

// clock_gettime and localtime_r alone: what the clock did before it followed the zone.
void BM_BareLocaltime(benchmark::State& state, const char* tz) {
    withTz(tz);
    for (auto _ : state) {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        std::tm tm{};
        const std::time_t seconds = ts.tv_sec;
        localtime_r(&seconds, &tm);
        benchmark::DoNotOptimize(tm);
    }
}

void BM_SystemClock(benchmark::State& state, const char* tz) {
    withTz(tz);
    const auto clock = zrm58::createSystemClock();
    for (auto _ : state)
        benchmark::DoNotOptimize(clock->now());
}

BENCHMARK_CAPTURE(BM_BareLocaltime, tz_unset, nullptr);
BENCHMARK_CAPTURE(BM_SystemClock, tz_unset, nullptr);
BENCHMARK_CAPTURE(BM_BareLocaltime, tz_file, ":/etc/localtime");
BENCHMARK_CAPTURE(BM_SystemClock, tz_file, ":/etc/localtime");
BENCHMARK_CAPTURE(BM_BareLocaltime, tz_name, "Asia/Tokyo");
BENCHMARK_CAPTURE(BM_SystemClock, tz_name, "Asia/Tokyo");

} // namespace

BENCHMARK_MAIN();
