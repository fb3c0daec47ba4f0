#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Text.h"

#include <windows.h>

namespace zrm58::win32 {
namespace {

std::string systemText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    // Language 0: the thread's, then the user's, then the system's, then US English.
    const DWORD n =
        FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", n);
    if (buffer != nullptr) LocalFree(buffer);
    // The system's texts end with a line break ("Access is denied.\r\n").
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) return "Windows error " + std::to_string(code);
    return narrow(text);
}

class Win32Category final : public std::error_category {
public:
    const char* name() const noexcept override { return "win32"; }
    std::string message(int code) const override { return systemText(static_cast<DWORD>(code)); }
    std::error_condition default_error_condition(int code) const noexcept override {
        switch (static_cast<DWORD>(code)) {
        case ERROR_ACCESS_DENIED:
            return std::errc::permission_denied;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return std::errc::no_such_file_or_directory;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return std::errc::device_or_resource_busy;
        case ERROR_WRITE_PROTECT:
            return std::errc::read_only_file_system;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return std::errc::no_space_on_device;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return std::errc::file_exists;
        case ERROR_DIRECTORY:
            return std::errc::not_a_directory;
        case ERROR_FILENAME_EXCED_RANGE:
            return std::errc::filename_too_long;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return std::errc::not_enough_memory;
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_PARAMETER:
            return std::errc::invalid_argument;
        default:
            return {code, *this};
        }
    }
};

} // namespace

const std::error_category& win32Category() {
    static const Win32Category category;
    return category;
}

std::error_code win32Error(unsigned long code) {
    return {static_cast<int>(code), win32Category()};
}

std::error_code lastWin32Error() {
    return win32Error(GetLastError());
}

} // namespace zrm58::win32
