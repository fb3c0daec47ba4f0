#pragma once
#include <string>
#include <system_error>

namespace zrm58::win32 {

// The category of Win32 error numbers (GetLastError). Its message() is the system's text from
// FormatMessageW in UTF-8, without the trailing line break, whatever the console's or the ANSI
// code page; the common file errors compare equal to their std::errc conditions.
const std::error_category& win32Category();

std::error_code win32Error(unsigned long code);
// GetLastError() as an error code.
std::error_code lastWin32Error();

} // namespace zrm58::win32
