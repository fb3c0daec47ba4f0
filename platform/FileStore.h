#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace zrm58 {

// A whole-file read: the bytes, or why there are none. A missing file is no error: both fields
// empty. An existing file that cannot be read: `error` set.
struct FileRead {
    std::optional<std::string> bytes;
    std::error_code error;
};

// The file services behind the settings file. Paths are the system's byte strings (UTF-8 on
// Linux); directories are returned with their trailing separator. Error texts come from
// std::error_code::message(), which is the system's text for the error.
class FileStore {
public:
    virtual ~FileStore() = default;

    virtual FileRead readFile(const std::string& path) const = 0;

    // Replaces the file's whole content so that at every moment it holds either the old or the
    // new content in full: the new content goes to a temporary file in the same directory, is
    // flushed to disk and renamed over the old one. A symbolic link is followed, so its target
    // is replaced and the link stays. An existing file keeps its permissions; one without any
    // write permission bit (read-only for everyone) or not writable by the process is not
    // replaced (permission denied). Missing directories of the path are created (mode 0700).
    // Returns the error; a failed replace leaves the old file as it was.
    virtual std::error_code replaceFile(const std::string& path, std::string_view bytes) = 0;

    // The directory of the running executable; std::nullopt when it cannot be found.
    virtual std::optional<std::string> executableDir() const = 0;
    // Whether anything stands at the path (a dangling symbolic link counts).
    virtual bool exists(const std::string& path) const = 0;
    // Whether the process may create files in the directory.
    virtual bool isWritableDirectory(const std::string& dir) const = 0;
    // The user's configuration directory: $XDG_CONFIG_HOME when it is an absolute path, else
    // ~/.config; std::nullopt when there is no home.
    virtual std::optional<std::string> configDir() const = 0;
};

// The backend's store, defined in platform/<os>/.
std::unique_ptr<FileStore> createSystemFileStore();

} // namespace zrm58
