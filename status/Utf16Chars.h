#pragma once
#include <cstddef>
#include <string_view>

// Stepping through UTF-16 text one character at a time: a valid surrogate pair is one
// character, a lone surrogate unit is one character of its own.
namespace zrm58 {

inline bool isHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
inline bool isLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}
inline bool isSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDFFF;
}

// Units taken by the character at `i`: 2 for a valid surrogate pair, otherwise 1.
inline std::size_t charLength(std::u16string_view s, std::size_t i) {
    return (isHighSurrogate(s[i]) && i + 1 < s.size() && isLowSurrogate(s[i + 1])) ? 2 : 1;
}

} // namespace zrm58
