#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace zrm58 {

// The largest settings file, in bytes, that the store reads or writes. One limit for both, so
// that no save leaves a file that the next start refuses: a save whose content would pass it
// fails instead (EFBIG) and the former file stays. A settings file is a few kilobytes; the
// limit only keeps out what is plainly no settings file.
inline constexpr std::size_t kMaxSettingsFileBytes = std::size_t{16} << 20;

// Why the store refused a path, beyond the system's own error numbers.
enum class FileStoreError {
    NotRegularFile = 1, // a FIFO, a device, a socket: never opened for reading or replaced
    ForeignLink,        // a symbolic link owned by neither the user who runs the program nor root
};

inline const std::error_category& fileStoreCategory() {
    static struct Category : std::error_category {
        const char* name() const noexcept override { return "zrm58 file store"; }
        std::string message(int code) const override {
            switch (static_cast<FileStoreError>(code)) {
            case FileStoreError::NotRegularFile:
                return "not a regular file";
            case FileStoreError::ForeignLink:
                return "symbolic link owned by another user";
            }
            return "file store error";
        }
    } category;
    return category;
}

inline std::error_code makeErrorCode(FileStoreError error) {
    return {static_cast<int>(error), fileStoreCategory()};
}

// A whole-file read: the bytes, or why there are none. A missing file is no error: both fields
// empty. An existing file that cannot be read: `error` set; so for anything but a regular file
// (a FIFO or a device is never opened in a way that could block), for a file larger than
// kMaxSettingsFileBytes (EFBIG), and for a symbolic link owned by another user.
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
    // A whole file that is no settings file (the background picture), of at most `maxBytes`:
    // refused, without ever blocking, when it is no regular file (NotRegularFile) or larger
    // (EFBIG); links are followed as the system's own rules allow. The default serves stores
    // whose readFile() is no stricter than that.
    virtual FileRead readRegularFile(const std::string& path, std::size_t maxBytes) const {
        (void)maxBytes;
        return readFile(path);
    }

    // Replaces the file's whole content so that at every moment it holds either the old or the
    // new content in full: the new content goes to a temporary file in the same directory, is
    // flushed to disk and renamed over the old one. A symbolic link is followed, so its target
    // is replaced and the link stays, but only a link owned by the user who runs the program or
    // by root (ForeignLink otherwise), as the kernel's protected-links rule has it for sticky
    // folders. Content larger than kMaxSettingsFileBytes is refused (EFBIG). An existing file keeps
    // its permissions, and the temporary file never shows more than the file it replaces; one
    // without any write permission bit (read-only for everyone) or not writable by the process is
    // not replaced (permission denied). Missing directories of the path are created (mode 0700).
    // Returns the error; a failed replace leaves the old file as it was.
    virtual std::error_code replaceFile(const std::string& path, std::string_view bytes) = 0;
    // replaceFile() for a copy of the file at `original` (a backup): the new file takes the
    // original's permissions (and owner and group where the process may give them), whatever
    // stood at `path` before, so that the copy shows nobody more than the original does. The
    // default serves stores whose new files take their access rules from the folder.
    virtual std::error_code replaceFileLike(const std::string& path, std::string_view bytes,
                                            const std::string& original) {
        (void)original;
        return replaceFile(path, bytes);
    }
    // When the file at the path was last written, in nanoseconds since 1970 (UTC);
    // std::nullopt when nothing readable stands there or the store cannot tell.
    virtual std::optional<std::int64_t> modifiedAt(const std::string& path) const {
        (void)path;
        return std::nullopt;
    }

    // The directory of the running executable; std::nullopt when it cannot be found.
    virtual std::optional<std::string> executableDir() const = 0;
    // Whether anything stands at the path (a dangling symbolic link counts).
    virtual bool exists(const std::string& path) const = 0;
    // Whether the process may create files in the directory.
    virtual bool isWritableDirectory(const std::string& dir) const = 0;
    // Whether a user other than the one who runs the program (and root) may create or replace
    // files in the directory, so that a file found there may have been planted. A store whose
    // system has no such notice answers false.
    virtual bool isWritableByOthers(const std::string& dir) const {
        (void)dir;
        return false;
    }
    // The user's configuration directory: $XDG_CONFIG_HOME when it is an absolute path, else
    // ~/.config; std::nullopt when there is no home.
    virtual std::optional<std::string> configDir() const = 0;
};

// The backend's store, defined in platform/<os>/.
std::unique_ptr<FileStore> createSystemFileStore();

} // namespace zrm58
