#include "platform/win32/Win32FileStore.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Text.h"

#include <random>
#include <vector>

#include <windows.h>
// shell folders after windows.h
#include <knownfolders.h>
#include <shlobj.h>

namespace zrm58::win32 {
namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    // Closes now and reports the close error.
    std::error_code close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) ? std::error_code{} : lastWin32Error();
    }

private:
    HANDLE handle_;
};

bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// "dir\" of "dir\name"; empty for a bare name.
std::wstring directoryOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring{} : path.substr(0, slash + 1);
}

bool isMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::error_code makeDirectories(const std::wstring& dir) {
    if (dir.empty()) return {};
    std::wstring trimmed = dir;
    while (!trimmed.empty() && isSeparator(trimmed.back()))
        trimmed.pop_back();
    if (trimmed.empty() || trimmed.back() == L':') return {}; // a root
    const DWORD attributes = GetFileAttributesW(trimmed.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? std::error_code{}
                                                       : win32Error(ERROR_DIRECTORY);
    if (const DWORD error = GetLastError(); !isMissing(error)) return win32Error(error);
    if (auto error = makeDirectories(directoryOf(trimmed))) return error;
    if (!CreateDirectoryW(trimmed.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return lastWin32Error();
    return {};
}

// The file a write to `path` lands in: a symbolic link is followed to its final target.
std::wstring resolveLinks(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    const FileHandle file(CreateFileW(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return path; // a dangling link: written as a file of its own
    std::wstring target(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(file.get(), target.data(),
                                                  static_cast<DWORD>(target.size()), 0);
        if (n == 0) return path;
        if (n < target.size()) {
            target.resize(n);
            return target;
        }
        target.resize(n);
    }
}

std::error_code createTemporary(const std::wstring& target, std::wstring& tempPath,
                                HANDLE& handle) {
    static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    const std::wstring dir = directoryOf(target);
    const std::wstring base = target.substr(dir.size());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring suffix(8, L'x');
        for (wchar_t& c : suffix)
            c = kLetters[random() % (sizeof kLetters / sizeof kLetters[0] - 1)];
        tempPath = dir + L"." + base + L"." + suffix;
        handle = CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) return {};
        if (GetLastError() != ERROR_FILE_EXISTS) return lastWin32Error();
    }
    return win32Error(ERROR_FILE_EXISTS);
}

std::error_code writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return lastWin32Error();
        bytes.remove_prefix(written);
    }
    return {};
}

HANDLE openForReading(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The read of a path that could not be opened (GetLastError): a missing file is no error.
FileRead failedOpen() {
    const DWORD error = GetLastError();
    return isMissing(error) ? FileRead{} : FileRead{std::nullopt, win32Error(error)};
}

std::error_code isADirectory() {
    return std::make_error_code(std::errc::is_a_directory);
}

// The rest of an open file, refused once it passes `maxBytes`.
FileRead readAll(HANDLE file, std::size_t maxBytes) {
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr))
            return {std::nullopt, lastWin32Error()};
        if (n == 0) break;
        bytes.append(buffer, n);
        if (bytes.size() > maxBytes)
            return {std::nullopt, std::make_error_code(std::errc::file_too_large)};
    }
    return {std::move(bytes), {}};
}

} // namespace

FileRead Win32FileStore::readFile(const std::string& path) const {
    const std::wstring wide = widen(path);
    FileHandle file(openForReading(wide));
    if (!file.valid()) return failedOpen();
    return readAll(file.get(), kMaxSettingsFileBytes);
}

FileRead Win32FileStore::readRegularFile(const std::string& path, std::size_t maxBytes) const {
    const std::wstring wide = widen(path);
    // A folder opens only with backup semantics; a plain open fails with "access denied", which
    // would make it a file the user may not read.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return failedOpen();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {std::nullopt, isADirectory()};
    FileHandle file(openForReading(wide));
    if (!file.valid()) return failedOpen();
    // Checked on the open handle too: what stands at the path may have changed meanwhile, and a
    // pipe or a device is no file to read whole.
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.get(), &info))
        return {std::nullopt, makeErrorCode(FileStoreError::NotRegularFile)};
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {std::nullopt, isADirectory()};
    const std::uint64_t size = std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    if (size > maxBytes) return {std::nullopt, std::make_error_code(std::errc::file_too_large)};
    return readAll(file.get(), maxBytes);
}

std::error_code Win32FileStore::replaceFile(const std::string& path, std::string_view bytes) {
    if (bytes.size() > kMaxSettingsFileBytes)
        return std::make_error_code(std::errc::file_too_large);
    const std::wstring target = resolveLinks(widen(path));
    if (auto error = makeDirectories(directoryOf(target))) return error;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool hasOld = attributes != INVALID_FILE_ATTRIBUTES;
    if (!hasOld && !isMissing(GetLastError())) return lastWin32Error();
    if (hasOld && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return win32Error(ERROR_ACCESS_DENIED);

    std::wstring tempPath;
    HANDLE rawHandle = INVALID_HANDLE_VALUE;
    if (auto error = createTemporary(target, tempPath, rawHandle)) return error;
    FileHandle temp(rawHandle);
    std::error_code error = writeAll(temp.get(), bytes);
    if (!error && !FlushFileBuffers(temp.get())) error = lastWin32Error();
    if (const auto closeError = temp.close(); !error) error = closeError;
    if (!error && beforeReplace_) beforeReplace_();
    if (!error) {
        // ReplaceFileW keeps the old file's attributes, security and creation time; a new file
        // is moved into place with the move written through before the call returns.
        const BOOL replaced = hasOld
                                  ? ReplaceFileW(target.c_str(), tempPath.c_str(), nullptr,
                                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                  : MoveFileExW(tempPath.c_str(), target.c_str(),
                                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (!replaced) error = lastWin32Error();
    }
    if (error) DeleteFileW(tempPath.c_str());
    return error;
}

std::optional<std::string> Win32FileStore::executableDir() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::nullopt;
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768) return std::nullopt; // longer than any path can be
        path.resize(path.size() * 2);                  // cut short: ask again with more room
    }
    const std::wstring dir = directoryOf(path);
    if (dir.empty()) return std::nullopt;
    return narrow(dir);
}

std::optional<std::int64_t> Win32FileStore::modifiedAt(const std::string& path) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    // FILETIME counts 100 ns steps from 1601; the Unix epoch is 11644473600 s later.
    constexpr std::int64_t kEpochSteps = 116'444'736'000'000'000;
    const std::int64_t steps = (std::int64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                               data.ftLastWriteTime.dwLowDateTime;
    return (steps - kEpochSteps) * 100;
}

bool Win32FileStore::exists(const std::string& path) const {
    return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32FileStore::isWritableDirectory(const std::string& dir) const {
    std::wstring wide = widen(dir);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // The access rules of a Windows folder are in its security descriptor, and its read-only
    // attribute means nothing for files in it: only a try tells.
    if (!wide.empty() && !isSeparator(wide.back())) wide += L'\\';
    const std::wstring probe = wide + L".zrm58-probe-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE file = CreateFileW(
        probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(file);
    return true;
}

std::optional<std::string> Win32FileStore::configDir() const {
    wchar_t* folder = nullptr;
    const HRESULT result =
        SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DONT_VERIFY, nullptr, &folder);
    std::optional<std::string> dir;
    if (SUCCEEDED(result) && folder != nullptr && folder[0] != L'\0') {
        std::wstring wide(folder);
        if (!isSeparator(wide.back())) wide += L'\\';
        dir = narrow(wide);
    }
    CoTaskMemFree(folder);
    return dir;
}

} // namespace zrm58::win32

namespace zrm58 {

std::unique_ptr<FileStore> createSystemFileStore() {
    return std::make_unique<win32::Win32FileStore>();
}

} // namespace zrm58
