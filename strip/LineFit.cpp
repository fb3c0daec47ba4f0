#include "strip/LineFit.h"
#include <cmath>

namespace zrm58::linefit {

std::int32_t layoutWidthFor(double factor) {
    const long double product = static_cast<long double>(factor) * 515.0L;
    if (!std::isfinite(static_cast<double>(product)) || std::fabs(product) >= 2e9L) return 515;
    return static_cast<std::int32_t>(std::trunc(product));
}

std::optional<double> factorFitting(double lineWidth, double current, double maxFactor) {
    const double needed = std::ceil(lineWidth);
    if (!(needed > 0) || layoutWidthFor(current) - kBesideLine >= needed) return std::nullopt;
    int hundredths = static_cast<int>(std::ceil((needed + kBesideLine) / kDesignWidth * 100));
    const int most = static_cast<int>(std::floor(maxFactor * 100 + 1e-9));
    // The factor is held as a double just below or above its decimal value: step up while the
    // cut product falls short.
    while (hundredths < most && layoutWidthFor(hundredths / 100.0) - kBesideLine < needed)
        ++hundredths;
    if (hundredths > most) hundredths = most;
    const double factor = hundredths / 100.0;
    if (factor <= current) return std::nullopt;
    return factor;
}

} // namespace zrm58::linefit
