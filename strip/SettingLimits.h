#pragma once
#include <cstdint>

namespace zrm58 {

// Limits on the window's stored position, size and width factor: what a screen can show. A
// value beyond them is taken at the limit (and so saved back at it); the size guard's minimum
// of 80 x 30 still applies after these.
namespace limits {

// Window positions within the X protocol's signed 16-bit coordinates.
constexpr std::int32_t kMinCoordinate = -32768;
constexpr std::int32_t kMaxCoordinate = 32767;
// The settings window's largest width factor.
constexpr double kMaxWidthFactor = 10.0;

std::int32_t coordinate(std::int32_t v);
// A stored width or height no larger than the virtual desktop's (`desktop`, one of its axes);
// the size guard takes care of small and negative ones.
std::int32_t size(std::int32_t v, int desktop);
double widthFactor(double v);

} // namespace limits
} // namespace zrm58
