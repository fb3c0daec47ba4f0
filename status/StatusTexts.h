#pragma once
#include "platform/MemorySource.h"
#include <cstdint>
#include <optional>
#include <string>

// The memory and processor pieces of the status line and the load glyph. Pure functions, plus
// the two tick helpers that the strip window and zrm58-line share.
namespace zrm58 {

// The load glyphs: private-use code points, from idle to busy.
inline constexpr char16_t loadGlyph0to20 = u'\uEC37';
inline constexpr char16_t loadGlyph21to40 = u'\uEC38';
inline constexpr char16_t loadGlyph41to60 = u'\uEC39';
inline constexpr char16_t loadGlyph61to80 = u'\uEC3A';
inline constexpr char16_t loadGlyph81up = u'\uEC3B';

// "%3d": decimal, right-aligned in three characters with spaces, never cut; ASCII minus.
std::u16string formatD3(std::int32_t value);

// "%.1f" with `decimalSep`: the value expanded to 18 significant digits (the last rounded to
// nearest, ties to even), then cut after the first decimal, a first dropped digit of 5 or more
// rounding up (away from zero: 1.25 gives 1.3). A negative value keeps its minus even when it
// rounds to zero; -0 is written 0.0. NaN and infinities are written "nan", "inf", "-inf".
std::u16string formatFixed1(long double value, char16_t decimalSep);

// The memory percentage: trunc((usedMiB / totalMiB) * 100) with both steps rounded to the
// extended format, so 8480 of 16000 gives 52. 0 when totalMiB is 0. Expects usedMiB <= totalMiB.
std::int32_t memoryPercentage(std::uint64_t usedMiB, std::uint64_t totalMiB);

// "RAM: 42% (6.8/15.9)". Memory that cannot be read shows as none at all: «RAM: 0% (0.0/0.0)»,
// the same text as a total below 1 MiB. Available memory above the total counts as nothing used.
std::u16string formatMemoryInfo(std::optional<MemoryStatus> status, char16_t decimalSep);

// The load rounded to nearest, ties to even (12.5 gives 12, 13.5 gives 14), as a signed 32-bit
// integer; not clamped to 0..100. NaN gives 0; values beyond the 32-bit range saturate.
std::int32_t roundLoad(double load);

// "CPU:" + "%3d" of p + "%": 7 gives «CPU:  7%».
std::u16string formatCpuInfo(std::int32_t p);

// The load glyph of the rounded load p (a negative p gives the idle glyph).
char16_t cpuBusyGlyph(std::int32_t p);

struct CpuTexts {
    std::u16string cpuInfo;
    std::u16string busyGlyph; // one character
    double load = 0;          // the sample behind them, as the sampler returned it
    bool read = true;         // false: the machine's counters could not be read (load 0)
};

// The processor texts for a load as the sampler returns it.
CpuTexts cpuTexts(double load);

// One tick's memory piece: reads `memory` once. `read`, when given, tells whether the figures
// could be read (the piece of a failed read is «RAM: 0% (0.0/0.0)»).
std::u16string UpdateMemoryInfo(const MemorySource& memory, char16_t decimalSep,
                                bool* read = nullptr);

// One tick's processor texts: takes exactly one sample of the machine's load
// (uTotalCpuUsagePct must be started; before that the load reads 0 and `read` is false).
CpuTexts UpdateCpuInfo();

} // namespace zrm58
