#pragma once
#include "platform/FileStore.h"

#include <functional>

struct stat;

namespace zrm58 {

// The settings file store on POSIX file calls; see FileStore for the contract.
class PosixFileStore final : public FileStore {
public:
    FileRead readFile(const std::string& path) const override;
    FileRead readRegularFile(const std::string& path, std::size_t maxBytes) const override;
    std::error_code replaceFile(const std::string& path, std::string_view bytes) override;
    std::error_code replaceFileLike(const std::string& path, std::string_view bytes,
                                    const std::string& original) override;
    std::optional<std::int64_t> modifiedAt(const std::string& path) const override;
    std::optional<std::string> executableDir() const override;
    bool exists(const std::string& path) const override;
    bool isWritableDirectory(const std::string& dir) const override;
    bool isWritableByOthers(const std::string& dir) const override;
    std::optional<std::string> configDir() const override;

    // Test seam: runs after the new content is written and flushed to its temporary file and
    // before that file is renamed over the old one.
    void setBeforeRenameHook(std::function<void()> hook) { beforeRename_ = std::move(hook); }
    // Test seam: runs as soon as the temporary file exists, before anything is written to it.
    void setAfterCreateHook(std::function<void(const std::string& tempPath)> hook) {
        afterCreate_ = std::move(hook);
    }

private:
    // The replace; a new file takes `model`'s owner and permissions, else the old file's.
    std::error_code replace(const std::string& path, std::string_view bytes,
                            const struct stat* model);

    std::function<void()> beforeRename_;
    std::function<void(const std::string&)> afterCreate_;
};

} // namespace zrm58
