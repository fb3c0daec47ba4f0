#pragma once
#include <string>
#include <string_view>

namespace zrm58::win32 {

// UTF-8 <-> the UTF-16 of the wide Win32 calls. A byte that is not UTF-8 and a lone surrogate
// become U+FFFD.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

} // namespace zrm58::win32
