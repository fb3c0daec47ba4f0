// The POSIX file store on a real directory: the atomic replace and its failure paths.
#include "platform/linux/PosixFileStore.h"
#include "settings/SettingsFile.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zrm58 {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

mode_t modeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

StripSettings readStore(const fs::path& path) {
    PosixFileStore store;
    return readStripSettings(store, path.string(), u'.');
}

StripSettings movedTo(std::int32_t top) {
    StripSettings s;
    s.top = top;
    return s;
}

class PosixFileStoreTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zrm58-store-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ::chmod(dir_.c_str(), 0755); // the unprivileged case below must reach the file
        path_ = (dir_ / "ZRM58.ini").string();
    }
    void TearDown() override {
        ::chmod(dir_.c_str(), 0755);
        fs::remove_all(dir_);
    }
    // A valid old file, as a previous save left it.
    std::string saveOld() {
        PosixFileStore store;
        WriteIniFile(store, path_, u'.', [] { return movedTo(111); });
        return readBytes(path_);
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(PosixFileStoreTest, OldFileStaysWholeUntilTheNewOneIsRenamedOverIt) {
    const std::string old = saveOld();
    PosixFileStore store;
    bool hookRan = false;
    store.setBeforeRenameHook([&] {
        hookRan = true;
        EXPECT_EQ(readBytes(path_), old);
        // The new content stands complete beside it.
        for (const auto& name : entries()) {
            if (name == "ZRM58.ini") continue;
            EXPECT_EQ(readStore(dir_ / name).top, 222) << name;
        }
        EXPECT_EQ(entries().size(), 2u);
    });
    WriteIniFile(store, path_, u'.', [] { return movedTo(222); });
    EXPECT_TRUE(hookRan);
    EXPECT_EQ(readStore(path_).top, 222);
    EXPECT_EQ(entries(), std::vector<std::string>{"ZRM58.ini"}); // no temporary left
}

TEST_F(PosixFileStoreTest, SaveKilledBeforeTheRenameLeavesTheOldFileWhole) {
    const std::string old = saveOld();
    EXPECT_EXIT(
        {
            PosixFileStore store;
            store.setBeforeRenameHook([] { std::raise(SIGKILL); });
            WriteIniFile(store, path_, u'.', [] { return movedTo(222); });
        },
        testing::KilledBySignal(SIGKILL), "");
    EXPECT_EQ(readBytes(path_), old);
    EXPECT_EQ(readStore(path_).top, 111);
}

TEST_F(PosixFileStoreTest, ReadOnlyFileIsNotReplaced) {
    const std::string old = saveOld();
    ::chmod(path_.c_str(), 0444); // read-only for everyone, root included
    PosixFileStore store;
    try {
        WriteIniFile(store, path_, u'.', [] { return movedTo(222); });
        FAIL() << "no error";
    } catch (const SettingsFileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "ファイル \"" + path_ + "\" を作成できません。" + std::strerror(EACCES));
    }
    EXPECT_EQ(readBytes(path_), old);
    EXPECT_EQ(modeOf(path_), 0444u);
    EXPECT_EQ(entries(), std::vector<std::string>{"ZRM58.ini"});
}

// Exit codes of the unprivileged child.
constexpr int kPassed = 0, kFailed = 1, kCannotArrange = 77;

int saveWithoutDirectoryWriteAccess(const std::string& path, const std::string& old) {
    try {
        PosixFileStore store;
        WriteIniFile(store, path, u'.', [] { return movedTo(222); });
        std::fprintf(stderr, "the save succeeded\n");
        return kFailed;
    } catch (const SettingsFileError& e) {
        const bool expected = std::string(e.what()).find("を作成できません。") != std::string::npos;
        if (!expected) std::fprintf(stderr, "unexpected error: %s\n", e.what());
        return expected && readBytes(path) == old ? kPassed : kFailed;
    }
}

TEST_F(PosixFileStoreTest, DirectoryWithoutWriteAccessGivesTheErrorAndKeepsTheOldFile) {
    const std::string old = saveOld();
    if (::geteuid() != 0) {
        ::chmod(dir_.c_str(), 0555);
        EXPECT_EQ(saveWithoutDirectoryWriteAccess(path_, old), kPassed);
        return;
    }
    // Root writes everywhere: the save runs in a child that drops to user "nobody".
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0 ||
            ::access(path_.c_str(), R_OK) != 0)
            ::_exit(kCannotArrange);
        ::_exit(saveWithoutDirectoryWriteAccess(path_, old));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kCannotArrange)
        GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(WEXITSTATUS(status), kPassed);
    EXPECT_EQ(readBytes(path_), old);
}

TEST_F(PosixFileStoreTest, ReplacedFileKeepsItsPermissions) {
    saveOld();
    ::chmod(path_.c_str(), 0640);
    PosixFileStore store;
    WriteIniFile(store, path_, u'.', [] { return movedTo(222); });
    EXPECT_EQ(modeOf(path_), 0640u);
    EXPECT_EQ(readStore(path_).top, 222);
}

TEST_F(PosixFileStoreTest, SymbolicLinkIsWrittenThroughToItsTarget) {
    fs::create_directory(dir_ / "real");
    const fs::path target = dir_ / "real" / "strip.ini";
    PosixFileStore store;
    struct Row {
        const char* note;
        fs::path link; // stored in the link as written here
    } rows[] = {{"relative link", "real/strip.ini"}, {"absolute link", target}};
    for (const auto& row : rows) {
        fs::remove(path_);
        fs::remove(target);
        fs::create_symlink(row.link, path_);
        WriteIniFile(store, path_, u'.', [] { return movedTo(5); }); // dangling: creates target
        WriteIniFile(store, path_, u'.', [] { return movedTo(6); });
        EXPECT_TRUE(fs::is_symlink(path_)) << row.note;
        EXPECT_EQ(fs::read_symlink(path_), row.link) << row.note;
        EXPECT_EQ(readStore(target).top, 6) << row.note;
    }
}

TEST_F(PosixFileStoreTest, FirstSaveCreatesTheMissingDirectoriesAndAFileAfterTheUmask) {
    const std::string nested = (dir_ / "config" / "zrm58" / "ZRM58.ini").string();
    const mode_t previous = ::umask(022);
    PosixFileStore store;
    WriteIniFile(store, nested, u'.', [] { return movedTo(3); });
    ::umask(previous);
    EXPECT_EQ(readStore(nested).top, 3);
    EXPECT_EQ(modeOf(nested), 0644u);
    EXPECT_EQ(modeOf(dir_ / "config" / "zrm58"), 0700u);
}

TEST_F(PosixFileStoreTest, ReadsTellMissingFromUnreadable) {
    PosixFileStore store;
    const FileRead missing = store.readFile(path_);
    EXPECT_FALSE(missing.bytes.has_value());
    EXPECT_FALSE(missing.error);
    const FileRead directory = store.readFile(dir_.string());
    EXPECT_FALSE(directory.bytes.has_value());
    EXPECT_EQ(directory.error, std::error_code(EISDIR, std::system_category()));
    writeBytes(path_, std::string("\0\xFF", 2));
    EXPECT_EQ(store.readFile(path_).bytes, std::string("\0\xFF", 2));
}

TEST(PosixFileStore, ConfigDirectoryFollowsXdgThenHome) {
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string xdg = savedXdg ? savedXdg : "", home = savedHome ? savedHome : "";
    PosixFileStore store;
    ::setenv("HOME", "/home/u", 1);
    ::setenv("XDG_CONFIG_HOME", "/xdg/conf", 1);
    EXPECT_EQ(store.configDir(), "/xdg/conf/");
    ::setenv("XDG_CONFIG_HOME", "relative/conf", 1); // not absolute: ignored
    EXPECT_EQ(store.configDir(), "/home/u/.config/");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(store.configDir(), "/home/u/.config/");
    savedXdg ? ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
    savedHome ? ::setenv("HOME", home.c_str(), 1) : ::unsetenv("HOME");
}

TEST(PosixFileStore, ExecutableDirectoryHoldsThisProgram) {
    PosixFileStore store;
    const auto dir = store.executableDir();
    ASSERT_TRUE(dir.has_value());
    EXPECT_TRUE(dir->ends_with('/'));
    EXPECT_TRUE(store.exists(*dir + "settings_test"));
}

} // namespace
} // namespace zrm58
