#pragma once
#include "platform/FileStore.h"

#include <functional>

namespace zrm58 {

// The settings file store on POSIX file calls; see FileStore for the contract.
class PosixFileStore final : public FileStore {
public:
    FileRead readFile(const std::string& path) const override;
    FileRead readRegularFile(const std::string& path, std::size_t maxBytes) const override;
    std::error_code replaceFile(const std::string& path, std::string_view bytes) override;
    std::optional<std::string> executableDir() const override;
    bool exists(const std::string& path) const override;
    bool isWritableDirectory(const std::string& dir) const override;
    bool isWritableByOthers(const std::string& dir) const override;
    std::optional<std::string> configDir() const override;

    // Test seam: runs after the new content is written and flushed to its temporary file and
    // before that file is renamed over the old one.
    void setBeforeRenameHook(std::function<void()> hook) { beforeRename_ = std::move(hook); }

private:
    std::function<void()> beforeRename_;
};

} // namespace zrm58
