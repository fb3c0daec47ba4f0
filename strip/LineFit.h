#pragma once
// Widths of the strip's layout box as the settings window gives them, and the width factor a
// line needs to fit on one line; plain arithmetic, free of any toolkit.
#include <cstdint>
#include <optional>

namespace zrm58::linefit {

// The layout box's design width and the part of it that the menu button and the glyph take.
inline constexpr double kDesignWidth = 515;
inline constexpr int kBesideLine = 66;

// The logical width the settings window gives the layout box for a width factor: the product
// with 515 in the extended format, cut toward zero (the double nearest 1.2 gives 617, not 618);
// 515 for a product that is not finite or out of range.
std::int32_t layoutWidthFor(double factor);

// The smallest width factor in whole hundredths (the settings window's precision) whose line
// area is at least `lineWidth` logical units wide, at most `maxFactor`; nothing when `current`
// already gives that much room.
std::optional<double> factorFitting(double lineWidth, double current, double maxFactor);

} // namespace zrm58::linefit
