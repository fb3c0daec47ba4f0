#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A font's character-to-glyph map, read from the bytes of its OpenType 'cmap' table as the
// system hands them out: which glyph, if any, the font has for a code point, also beyond the
// Basic Multilingual Plane (the system's own per-unit lookups stop at U+FFFF).
namespace zrm58 {

class FontCmap {
public:
    // Nothing when the table holds no Unicode subtable this reader knows (formats 4 and 12, of
    // platform 3 encodings 1 and 10, or platform 0) or is cut short.
    static std::optional<FontCmap> parse(std::string table);
    // The glyph for `c`; nothing for the missing glyph 0 and for code points the map lacks.
    std::optional<std::uint16_t> glyph(char32_t c) const;

private:
    FontCmap(std::string table, std::uint32_t offset, std::uint16_t format)
        : table_(std::move(table)), offset_(offset), format_(format) {}
    std::optional<std::uint16_t> glyph4(char32_t c) const;
    std::optional<std::uint16_t> glyph12(char32_t c) const;
    std::string table_;    // the whole table; lookups read the chosen subtable in place
    std::uint32_t offset_; // of the chosen subtable
    std::uint16_t format_; // 4 or 12
};

} // namespace zrm58
