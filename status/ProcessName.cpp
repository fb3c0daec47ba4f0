#include "status/ProcessName.h"

#include <cstdint>

namespace zrm58 {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The format characters (general category Cf) that show nothing yet act on the text around
// them, less the two joiners.
bool isHiddenFormat(char32_t c) {
    struct Range {
        char32_t first, last;
    };
    static constexpr Range kRanges[] = {
        {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
        {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
        {0x200B, 0x200B},   {0x200E, 0x200F},   {0x202A, 0x202E},   {0x2060, 0x2064},
        {0x2066, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
        {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A},
        {0xE0001, 0xE0001}, {0xE0020, 0xE007F},
    };
    for (const Range& r : kRanges)
        if (c >= r.first && c <= r.last) return true;
    return false;
}

bool shownAsReplacement(char32_t c) {
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    const bool separator = c == 0x2028 || c == 0x2029;
    return control || separator || isHiddenFormat(c);
}

// The character at the front of `s`, taken off it; an ill-formed piece gives kReplacement and
// takes the bytes that could have begun a well-formed sequence (at least one).
char32_t takeCharacter(std::string_view& s) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    std::uint8_t low = 0x80, high = 0xBF; // the second byte's range (Unicode table 3-7)
    char32_t c = 0;
    if (lead < 0x80) {
        s.remove_prefix(1);
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F; // nothing above U+10FFFF
    } else {
        s.remove_prefix(1);
        return kReplacement;
    }
    std::size_t i = 1;
    for (; i < length && i < s.size(); ++i) {
        const std::uint8_t b = byte(i);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) break;
        c = (c << 6) | (b & 0x3F);
    }
    s.remove_prefix(i);
    return i == length ? c : kReplacement;
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
        return;
    }
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
}

} // namespace

std::u16string processNameText(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const char32_t c = takeCharacter(utf8);
        appendUtf16(out, shownAsReplacement(c) ? kReplacement : c);
    }
    return out;
}

} // namespace zrm58
