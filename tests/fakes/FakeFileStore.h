#pragma once
#include "platform/FileStore.h"

#include <map>
#include <set>

namespace zrm58 {

// Files in memory, with a switch for every failure the settings file meets. A failed replace
// leaves the stored bytes as they were, as the real store's atomic replace does.
class FakeFileStore : public FileStore {
public:
    std::map<std::string, std::string> files;
    std::error_code readError;    // set: every read of an existing file fails with it
    std::error_code replaceError; // set: every replace fails with it
    std::optional<std::string> exeDir = std::string("/opt/zrm58/");
    std::set<std::string> writableDirs;
    std::optional<std::string> config = std::string("/home/user/.config/");
    mutable int reads = 0;
    int replaces = 0;

    FileRead readFile(const std::string& path) const override {
        ++reads;
        const auto it = files.find(path);
        if (it == files.end()) return {};
        if (readError) return {std::nullopt, readError};
        return {it->second, {}};
    }
    std::error_code replaceFile(const std::string& path, std::string_view bytes) override {
        ++replaces;
        if (replaceError) return replaceError;
        files[path] = std::string(bytes);
        return {};
    }
    std::optional<std::string> executableDir() const override { return exeDir; }
    bool exists(const std::string& path) const override { return files.contains(path); }
    bool isWritableDirectory(const std::string& dir) const override {
        return writableDirs.contains(dir);
    }
    std::optional<std::string> configDir() const override { return config; }
};

} // namespace zrm58
