#pragma once
#include <string>
#include <string_view>

namespace zrm58 {

// A process name as the details show it. Any local user chooses the name, so it must neither
// break the lines around it nor move them. From the UTF-8 the system gives (the kernel cuts a
// name at 15 bytes, possibly inside a character): every intact character is kept; each
// ill-formed piece (the largest start of a sequence that went wrong, or a stray byte) becomes
// one U+FFFD, and so does every character that could move or break the text around it: controls,
// line and paragraph separators, and the invisible format characters, bidirectional controls
// among them (the joiners U+200C and U+200D stay: scripts and emoji sequences need them).
std::u16string processNameText(std::string_view utf8);

} // namespace zrm58
