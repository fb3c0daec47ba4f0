#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zrm58 {

// The colour pickers' hexadecimal field: "#AARRGGBB", upper case, alpha first as stored.
std::u16string hexColourText(std::uint32_t argb);

// What the field accepts: an optional "#", then 8 hexadecimal digits (AARRGGBB) or 6 (RRGGBB,
// opaque), either case, spaces around allowed. std::nullopt for anything else, so that a field
// still being typed changes nothing.
std::optional<std::uint32_t> parseHexColour(std::u16string_view text);

} // namespace zrm58
