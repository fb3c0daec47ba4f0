#include "strip/SettingLimits.h"
#include <algorithm>

namespace zrm58::limits {

std::int32_t coordinate(std::int32_t v) {
    return std::clamp(v, kMinCoordinate, kMaxCoordinate);
}

std::int32_t size(std::int32_t v, int desktop) {
    return std::min(v, desktop);
}

double widthFactor(double v) {
    // Small and negative factors need no limit: a logical width below 1 counts as 1.
    return std::min(v, kMaxWidthFactor);
}

} // namespace zrm58::limits
