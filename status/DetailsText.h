#pragma once
#include "status/SystemDetails.h"
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The texts of the details: labels in the strip's language (texts/Texts.h) and the
// figures in the line's units, rounding and decimal separator.
namespace zrm58::details {

inline constexpr std::u16string_view kWaiting = u"…"; // a figure that needs one more tick

// Bytes as GiB with one decimal, exactly like the line's amounts (whole MiB / 1024, "%.1f").
std::u16string formatGiB(std::uint64_t bytes, char16_t decimalSep);
// "812 B/s", "1.5 KiB/s", "12.0 MiB/s": whole bytes below 1 KiB/s, else one decimal.
std::u16string formatRate(double bytesPerSecond, char16_t decimalSep);
// "54.0 °C".
std::u16string formatCelsius(double celsius, char16_t decimalSep);
// A percentage with the line's rounding (nearest, ties to even), "%3d" + "%": «  7%».
std::u16string formatPercent(double percent);
// A process as the details list it: its name (isolated in its own direction), or "?" when
// gone, then its pid.
std::u16string processLabel(const BusyProcess& p);

// The five steps of the load glyph as names: "idle" (0-20), "low" (21-40), "medium" (41-60),
// "high" (61-80), "busy" (81 and more) for the rounded load p.
const char* loadClass(std::int32_t p);

// Memory, swap, network, temperature (when there is one), then the busiest processes: one text
// line each, the processes under their heading.
std::vector<std::u16string> summaryLines(const DetailsSnapshot& d, char16_t decimalSep);

// The details as plain text lines (zrm58-line --json's tooltip): the processors' heading and
// their loads, eight to a line, then the summary lines.
std::vector<std::u16string> detailsLines(const DetailsSnapshot& d, char16_t decimalSep);

} // namespace zrm58::details
