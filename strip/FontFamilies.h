#pragma once
// The font families the settings window offers.
#include <string>
#include <string_view>
#include <vector>

namespace zrm58 {

// Whether two family names are the same family: the letters A to Z compared without case, every
// other UTF-16 unit exactly.
bool sameFamily(std::u16string_view a, std::u16string_view b);

// ComboBox1's entries: the fixed families (kFontFamilies) first, in their order, then the
// families `installed` on the machine, sorted (A to Z without case, then by UTF-16 unit), each
// family once and none that is already a fixed entry. Empty names are left out.
std::vector<std::u16string> fontFamilyEntries(std::vector<std::u16string> installed);

} // namespace zrm58
