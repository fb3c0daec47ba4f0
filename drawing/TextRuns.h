#pragma once
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

// One line of text cut to what a box can show, and split into runs of one font each: the
// stepping is by cluster (a character with the marks, joiners and selectors that go with it), so
// that neither a cut nor a change of font falls inside a surrogate pair or a sequence that is
// drawn as one.
namespace zrm58::textruns {

// The code point at `i` and the units it takes (a lone surrogate is one code point of its own).
char32_t codePointAt(std::u16string_view s, std::size_t i, std::size_t* units = nullptr);

// The end of the cluster that begins at `i`.
std::size_t clusterEnd(std::u16string_view s, std::size_t i);

// The prefix of `s` (in units) that holds at most `room` clusters that take room; clusters that
// begin with an invisible format character take none. Everything past it lies beyond the box.
std::size_t shownPrefix(std::u16string_view s, std::size_t room);

// Clusters that one line `boxWidth` wide can show in a font of `emSize` (same units): no glyph
// that takes room is narrower than a sixteenth of an em.
std::size_t roomFor(double boxWidth, double emSize);

struct Run {
    std::size_t begin = 0, end = 0; // units of the text
    int font = 0;                   // index into the fonts asked about
    bool astral = false;            // holds a character beyond U+FFFF
};

// Runs of consecutive clusters that take the same font: the first of `fonts` fonts for which
// `has(font, c)` holds for the cluster's first code point, or font 0 when none has it (it shows
// its missing glyph). Runs with and without characters beyond U+FFFF are kept apart.
std::vector<Run> splitRuns(std::u16string_view s, int fonts,
                           const std::function<bool(int font, char32_t c)>& has);

} // namespace zrm58::textruns
