#include "drawing/FontCmap.h"

namespace zrm58 {
namespace {

// Big-endian fields at `at`; callers check the bounds.
std::uint32_t u16(std::string_view b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]) << 8 | static_cast<std::uint8_t>(b[at + 1]);
}
std::uint32_t u32(std::string_view b, std::size_t at) {
    return u16(b, at) << 16 | u16(b, at + 2);
}

// How much a subtable of this platform and encoding is preferred: a full-repertoire one (format
// 12) over a BMP-only one; 0 for one that is not Unicode.
int rank(std::uint32_t platform, std::uint32_t encoding, std::uint32_t format) {
    const bool unicode = platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
    if (!unicode) return 0;
    if (format == 12) return 2;
    if (format == 4) return 1;
    return 0;
}

} // namespace

std::optional<FontCmap> FontCmap::parse(std::string table) {
    const std::string_view b = table;
    if (b.size() < 4) return std::nullopt;
    const std::uint32_t count = u16(b, 2);
    if (b.size() < 4 + std::size_t{count} * 8) return std::nullopt;
    std::uint32_t best = 0, bestFormat = 0;
    int bestRank = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t record = 4 + std::size_t{i} * 8;
        const std::uint32_t offset = u32(b, record + 4);
        if (offset + 2 > b.size()) continue;
        const std::uint32_t format = u16(b, offset);
        // The subtable's own length must lie inside the table.
        const std::size_t length = format == 12  ? (offset + 8 <= b.size() ? u32(b, offset + 4) : 0)
                                   : format == 4 ? (offset + 4 <= b.size() ? u16(b, offset + 2) : 0)
                                                 : 0;
        if (length == 0 || offset + length > b.size()) continue;
        const int r = rank(u16(b, record), u16(b, record + 2), format);
        if (r > bestRank) best = offset, bestFormat = format, bestRank = r;
    }
    if (bestRank == 0) return std::nullopt;
    if (bestFormat == 4) {
        if (best + 14 > b.size()) return std::nullopt;
        const std::size_t segments = u16(b, best + 6) / 2;
        // endCode, reservedPad, startCode, idDelta, idRangeOffset.
        if (best + 16 + segments * 8 > b.size()) return std::nullopt;
    } else {
        if (best + 16 > b.size()) return std::nullopt;
        const std::size_t groups = u32(b, best + 12);
        if (groups > (b.size() - best - 16) / 12) return std::nullopt;
    }
    return FontCmap(std::move(table), best, static_cast<std::uint16_t>(bestFormat));
}

std::optional<std::uint16_t> FontCmap::glyph(char32_t c) const {
    return format_ == 4 ? glyph4(c) : glyph12(c);
}

std::optional<std::uint16_t> FontCmap::glyph4(char32_t c) const {
    if (c > 0xFFFF) return std::nullopt;
    const std::string_view b = table_;
    const std::size_t segments = u16(b, offset_ + 6) / 2;
    const std::size_t ends = offset_ + 14, starts = ends + segments * 2 + 2,
                      deltas = starts + segments * 2, ranges = deltas + segments * 2;
    // The first segment whose end is at or above c (the ends ascend).
    std::size_t lo = 0, hi = segments;
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (u16(b, ends + mid * 2) < c)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == segments || u16(b, starts + lo * 2) > c) return std::nullopt;
    const std::uint32_t delta = u16(b, deltas + lo * 2), rangeOffset = u16(b, ranges + lo * 2);
    std::uint32_t g = 0;
    if (rangeOffset == 0) {
        g = (c + delta) & 0xFFFF;
    } else {
        const std::size_t at = ranges + lo * 2 + rangeOffset + (c - u16(b, starts + lo * 2)) * 2;
        if (at + 2 > b.size()) return std::nullopt;
        g = u16(b, at);
        if (g != 0) g = (g + delta) & 0xFFFF;
    }
    if (g == 0) return std::nullopt;
    return static_cast<std::uint16_t>(g);
}

std::optional<std::uint16_t> FontCmap::glyph12(char32_t c) const {
    const std::string_view b = table_;
    const std::size_t groups = u32(b, offset_ + 12), first = offset_ + 16;
    std::size_t lo = 0, hi = groups;
    while (lo < hi) { // the first group whose end is at or above c
        const std::size_t mid = (lo + hi) / 2;
        if (u32(b, first + mid * 12 + 4) < c)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == groups) return std::nullopt;
    const std::size_t group = first + lo * 12;
    const std::uint32_t start = u32(b, group);
    if (c < start) return std::nullopt;
    const std::uint32_t g = u32(b, group + 8) + (c - start);
    if (g == 0 || g > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(g);
}

} // namespace zrm58
