#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zrm58 {

// UTF-16 text to UTF-8. A lone surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view text);

// Well-formed UTF-8 to UTF-16; std::nullopt for anything else (truncated or overlong sequences,
// encoded surrogates, code points above U+10FFFF, stray continuation bytes).
std::optional<std::u16string> fromUtf8(std::string_view bytes);

// Little-endian UTF-16 code units, taken as they are (lone surrogates included). An odd last
// byte is dropped.
std::u16string fromUtf16Le(std::string_view bytes);

// Text that is mostly UTF-8 but not all of it: every well-formed UTF-8 sequence as its
// character, every other byte as its Windows-1252 character. The five bytes that code page
// leaves undefined (81, 8D, 8F, 90, 9D) give the C1 control of the same value, so each of the
// 256 bytes maps to its own character and nothing is dropped.
std::u16string fromUtf8OrWindows1252(std::string_view bytes);
std::string toUtf16Le(std::u16string_view text);

} // namespace zrm58
