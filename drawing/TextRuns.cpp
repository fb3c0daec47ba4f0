#include "drawing/TextRuns.h"
#include <cmath>

namespace zrm58::textruns {
namespace {

bool inRanges(char32_t c, std::initializer_list<std::pair<char32_t, char32_t>> ranges) {
    for (const auto& [first, last] : ranges)
        if (c >= first && c <= last) return true;
    return false;
}

// Joins the cluster before it: combining marks of the general blocks, variation selectors,
// emoji skin tones, tag characters and the zero-width joiner.
bool extends(char32_t c) {
    return inRanges(c, {{0x0300, 0x036F},
                        {0x0483, 0x0489},
                        {0x0591, 0x05BD},
                        {0x0610, 0x061A},
                        {0x064B, 0x065F},
                        {0x1AB0, 0x1AFF},
                        {0x1DC0, 0x1DFF},
                        {0x200C, 0x200D},
                        {0x20D0, 0x20FF},
                        {0x3099, 0x309A},
                        {0xFE00, 0xFE0F},
                        {0xFE20, 0xFE2F},
                        {0x1F3FB, 0x1F3FF},
                        {0xE0020, 0xE007F},
                        {0xE0100, 0xE01EF}});
}

bool regionalIndicator(char32_t c) {
    return c >= 0x1F1E6 && c <= 0x1F1FF;
}

// Format characters that show nothing and take no room.
bool invisible(char32_t c) {
    return inRanges(c, {{0x00AD, 0x00AD},
                        {0x200B, 0x200F},
                        {0x202A, 0x202E},
                        {0x2060, 0x2064},
                        {0x2066, 0x206F},
                        {0xFEFF, 0xFEFF}});
}

} // namespace

char32_t codePointAt(std::u16string_view s, std::size_t i, std::size_t* units) {
    const char16_t u = s[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
        if (units) *units = 2;
        return 0x10000 + ((char32_t{u} - 0xD800) << 10) + (char32_t{s[i + 1]} - 0xDC00);
    }
    if (units) *units = 1;
    return u;
}

std::size_t clusterEnd(std::u16string_view s, std::size_t i) {
    std::size_t units = 0;
    const char32_t first = codePointAt(s, i, &units);
    i += units;
    bool joined = first == 0x200D;
    if (regionalIndicator(first) && i < s.size() && regionalIndicator(codePointAt(s, i, &units)))
        i += units; // a flag: two indicators
    while (i < s.size()) {
        const char32_t c = codePointAt(s, i, &units);
        if (joined || extends(c)) {
            joined = c == 0x200D; // a joiner takes the character after it along
            i += units;
        } else {
            break;
        }
    }
    return i;
}

std::size_t shownPrefix(std::u16string_view s, std::size_t room) {
    std::size_t i = 0, taken = 0;
    while (i < s.size()) {
        const bool takesRoom = !invisible(codePointAt(s, i));
        if (takesRoom && taken == room) break;
        taken += takesRoom ? 1 : 0;
        i = clusterEnd(s, i);
    }
    return i;
}

std::size_t roomFor(double boxWidth, double emSize) {
    if (!(boxWidth > 0)) return 0;
    const double smallest = std::max(emSize, 1.0) / 16;
    const double clusters = std::ceil(boxWidth / smallest) + 1;
    return clusters < 1e7 ? static_cast<std::size_t>(clusters) : std::size_t{10'000'000};
}

std::vector<Run> splitRuns(std::u16string_view s, int fonts,
                           const std::function<bool(int font, char32_t c)>& has) {
    std::vector<Run> runs;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t end = clusterEnd(s, i);
        const char32_t c = codePointAt(s, i);
        int font = 0;
        while (font < fonts && !has(font, c))
            ++font;
        if (font == fonts) font = 0;
        bool astral = false;
        for (std::size_t k = i, units = 1; k < end; k += units)
            astral = astral || codePointAt(s, k, &units) > 0xFFFF;
        if (!runs.empty() && runs.back().font == font && runs.back().astral == astral)
            runs.back().end = end;
        else
            runs.push_back(Run{i, end, font, astral});
        i = end;
    }
    return runs;
}

} // namespace zrm58::textruns
