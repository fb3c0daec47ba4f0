#pragma once
#include "platform/FileStore.h"

#include <functional>

namespace zrm58::win32 {

// The settings file store on the Win32 file calls; see FileStore for the contract. Paths are
// UTF-8 and reach the wide calls whole; '/' and '\' both separate. Errors are Win32 error
// numbers in win32Category() (UTF-8 texts). A read-only file (FILE_ATTRIBUTE_READONLY) is not
// replaced (ERROR_ACCESS_DENIED). The configuration directory is the roaming application-data
// folder (FOLDERID_RoamingAppData). readRegularFile() tells a folder by std::errc::is_a_directory
// and a pipe or a device by FileStoreError::NotRegularFile, as the POSIX store does.
class Win32FileStore final : public FileStore {
public:
    FileRead readFile(const std::string& path) const override;
    FileRead readRegularFile(const std::string& path, std::size_t maxBytes) const override;
    std::error_code replaceFile(const std::string& path, std::string_view bytes) override;
    std::optional<std::int64_t> modifiedAt(const std::string& path) const override;
    std::optional<std::string> executableDir() const override;
    bool exists(const std::string& path) const override;
    bool isWritableDirectory(const std::string& dir) const override;
    std::optional<std::string> configDir() const override;

    // Test seam: runs after the new content is written and flushed to its temporary file and
    // before that file replaces the old one.
    void setBeforeReplaceHook(std::function<void()> hook) { beforeReplace_ = std::move(hook); }

private:
    std::function<void()> beforeReplace_;
};

} // namespace zrm58::win32
