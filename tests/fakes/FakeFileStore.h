#pragma once
#include "platform/FileStore.h"

#include <map>
#include <set>

namespace zrm58::fakes {

// Files in memory, with a switch for every failure the settings file meets. A failed replace
// leaves the stored bytes as they were, as the real store's atomic replace does; like the real
// store, it neither reads nor writes more than kMaxSettingsFileBytes (EFBIG).
class FakeFileStore : public FileStore {
public:
    std::map<std::string, std::string> files;
    std::error_code readError;    // set: every read of an existing file fails with it
    std::error_code replaceError; // set: every replace fails with it
    std::optional<std::string> exeDir = std::string("/opt/zrm58/");
    std::set<std::string> writableDirs;
    std::set<std::string> sharedDirs;   // writable by other users
    std::set<std::string> failingPaths; // a replace of one of these fails with replaceError
    std::optional<std::string> config = std::string("/home/user/.config/");
    // When each file was last written, on a clock that ticks once per replace; a file put into
    // `files` by hand has no time (unknown) unless one is set here.
    std::map<std::string, std::int64_t> modified;
    std::int64_t now = 1000;
    std::map<std::string, std::string> copiedFrom; // replaceFileLike: the original of each copy
    mutable int reads = 0;
    int replaces = 0;

    FileRead readFile(const std::string& path) const override {
        ++reads;
        const auto it = files.find(path);
        if (it == files.end()) return {};
        if (readError) return {std::nullopt, readError};
        if (it->second.size() > kMaxSettingsFileBytes)
            return {std::nullopt, std::make_error_code(std::errc::file_too_large)};
        return {it->second, {}};
    }
    std::error_code replaceFile(const std::string& path, std::string_view bytes) override {
        ++replaces;
        if (replaceError && (failingPaths.empty() || failingPaths.contains(path)))
            return replaceError;
        if (bytes.size() > kMaxSettingsFileBytes)
            return std::make_error_code(std::errc::file_too_large);
        files[path] = std::string(bytes);
        modified[path] = ++now;
        return {};
    }
    std::error_code replaceFileLike(const std::string& path, std::string_view bytes,
                                    const std::string& original) override {
        const std::error_code error = replaceFile(path, bytes);
        if (!error) copiedFrom[path] = original;
        return error;
    }
    std::optional<std::int64_t> modifiedAt(const std::string& path) const override {
        const auto it = modified.find(path);
        if (it == modified.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::string> executableDir() const override { return exeDir; }
    bool exists(const std::string& path) const override { return files.contains(path); }
    bool isWritableDirectory(const std::string& dir) const override {
        return writableDirs.contains(dir);
    }
    bool isWritableByOthers(const std::string& dir) const override {
        return sharedDirs.contains(dir);
    }
    std::optional<std::string> configDir() const override { return config; }
};

} // namespace zrm58::fakes
