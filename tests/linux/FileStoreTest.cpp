// The POSIX file store on a real directory: the atomic replace and its failure paths.
#include "platform/linux/PosixFileStore.h"
#include "settings/SettingsFile.h"
#include "settings/Utf.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
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

// Runs `body` in a child and gives its exit code; a child still running after a minute (blocked
// in an open or a read) is killed and reported as -1, so that a regression fails instead of
// hanging. A child that ends ends the wait at once, however loaded the machine.
int exitCodeWithinAMinute(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body());
    for (int waited = 0; waited < 6000; ++waited) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        ::usleep(10'000);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return -1;
}

TEST_F(PosixFileStoreTest, FifoAndDevicesAreRefusedWithoutBlocking) {
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    const fs::path linkToDevice = dir_ / "zero.ini";
    fs::create_symlink("/dev/zero", linkToDevice);
    const std::error_code notRegular = makeErrorCode(FileStoreError::NotRegularFile);
    for (const std::string& path :
         {path_, std::string("/dev/zero"), std::string("/dev/null"), linkToDevice.string()}) {
        const int code = exitCodeWithinAMinute([&] {
            PosixFileStore store;
            for (const FileRead& read :
                 {store.readFile(path), store.readRegularFile(path, 1 << 20)})
                if (read.bytes || read.error != makeErrorCode(FileStoreError::NotRegularFile))
                    return 1;
            try {
                WriteIniFile(store, path, u'.', [] { return StripSettings{}; });
                return 2;
            } catch (const SettingsFileError& e) {
                const std::string want =
                    "ファイル " + path + " は開けません。 " + notRegular.message() + " ";
                return std::string(e.what()) == want ? 0 : 3;
            }
        });
        EXPECT_EQ(code, 0) << path << " (-1: blocked, 1: read, 2: saved, 3: message)";
    }
    EXPECT_TRUE(fs::is_fifo(path_)) << "the FIFO was not replaced";

    // A regular file of other use (the picture) is read up to its own bound.
    const fs::path picture = dir_ / "picture";
    writeBytes(picture, "0123456789");
    PosixFileStore store;
    EXPECT_EQ(store.readRegularFile(picture.string(), 10).bytes, "0123456789");
    EXPECT_EQ(store.readRegularFile(picture.string(), 9).error,
              std::error_code(EFBIG, std::system_category()));
}

TEST_F(PosixFileStoreTest, EightBitFileIsSavedWithItsFormerBytesBesideIt) {
    std::ifstream in(std::string(ZRM58_TEST_DATA) + "/settings/latin1.ini", std::ios::binary);
    const std::string latin1{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    writeBytes(path_, latin1);
    PosixFileStore store;
    StripSettings read = readStripSettings(store, path_, u'.');
    EXPECT_EQ(read.family, u"Café Sans");
    read.top = 130; // the strip was moved
    testing::internal::CaptureStderr();
    WriteIniFile(store, path_, u'.', [&] { return read; });
    EXPECT_NE(testing::internal::GetCapturedStderr().find(path_ + ".bak"), std::string::npos);
    EXPECT_EQ(readBytes(path_ + ".bak"), latin1);
    EXPECT_EQ(readStore(path_), read);
    EXPECT_EQ(entries(), (std::vector<std::string>{"ZRM58.ini", "ZRM58.ini.bak"}));
}

// What the owner protected stays protected: the backup and every temporary file of the save
// show no permission bit the settings file lacks, whatever the umask; a folder full of older,
// wider backups stops no save: the oldest one gives way, narrowed to the file's permissions.
TEST_F(PosixFileStoreTest, BackupsAndTemporariesKeepTheFilesPermissions) {
    struct Row {
        const char* note;
        mode_t mode;
        int olderBackups; // different backups at .bak ... .bak.N, mode 0644
        int oldest;       // of those, the one written longest ago
        const char* kept; // the backup that receives the former bytes
    } rows[] = {
        {"owner only", 0600, 0, 0, "ZRM58.ini.bak"},
        {"owner and group", 0640, 0, 0, "ZRM58.ini.bak"},
        {"99 older backups", 0600, 99, 6, "ZRM58.ini.bak.6"},
    };
    std::ifstream in(std::string(ZRM58_TEST_DATA) + "/settings/latin1.ini", std::ios::binary);
    const std::string latin1{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const mode_t previousUmask = ::umask(022);
    for (const auto& row : rows) {
        for (const auto& e : fs::directory_iterator(dir_))
            fs::remove(e.path());
        writeBytes(path_, latin1);
        ::chmod(path_.c_str(), row.mode);
        for (int n = 1; n <= row.olderBackups; ++n) {
            const std::string backup = path_ + ".bak" + (n == 1 ? "" : "." + std::to_string(n));
            writeBytes(backup, "backup " + std::to_string(n));
            ::chmod(backup.c_str(), 0644);
            const timespec at[2] = {{1'000'000 + n, 0},
                                    {n == row.oldest ? 1000 : 1'000'000 + n, 0}};
            ::utimensat(AT_FDCWD, backup.c_str(), at, 0);
        }
        PosixFileStore store;
        std::vector<mode_t> temporaries;
        store.setAfterCreateHook(
            [&](const std::string& temp) { temporaries.push_back(modeOf(temp)); });
        testing::internal::CaptureStderr();
        EXPECT_NO_THROW(WriteIniFile(store, path_, u'.', [] { return movedTo(5); })) << row.note;
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(readBytes(dir_ / row.kept), latin1) << row.note;
        EXPECT_EQ(modeOf(dir_ / row.kept), row.mode) << row.note;
        EXPECT_EQ(modeOf(path_), row.mode) << row.note;
        EXPECT_EQ(readStore(path_).top, 5) << row.note;
        EXPECT_EQ(temporaries.size(), 2u) << row.note;
        for (const mode_t temp : temporaries)
            EXPECT_EQ(temp & ~row.mode, 0u) << row.note << std::oct << ": temporary " << temp;
        EXPECT_EQ(entries().size(), 1u + std::max(1, row.olderBackups)) << row.note;
    }
    ::umask(previousUmask);
}

// The store reads and writes up to one limit: a save that would pass it fails and leaves the
// former file, which the next start still reads.
TEST_F(PosixFileStoreTest, SaveNeverWritesAFileTheNextReadRefuses) {
    std::u16string text = u"[Form]\r\nTop=7\r\n\r\n[Foreign]\r\n";
    const std::size_t units = (kMaxSettingsFileBytes - 2) / 2;
    while (text.size() < units)
        text += u"key=value\r\n";
    text.resize(units - 2);
    text += u"\r\n";
    const std::string atLimit = "\xFF\xFE" + toUtf16Le(text);
    ASSERT_EQ(atLimit.size(), kMaxSettingsFileBytes);
    writeBytes(path_, atLimit);
    EXPECT_EQ(readStore(path_).top, 7) << "a file at the limit reads";
    PosixFileStore store;
    try {
        WriteIniFile(store, path_, u'.', [] { return movedTo(8); });
        FAIL() << "a save past the limit succeeded";
    } catch (const SettingsFileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "ファイル \"" + path_ + "\" を作成できません。" + std::strerror(EFBIG));
    }
    EXPECT_EQ(readBytes(path_), atLimit);
    EXPECT_EQ(readStore(path_).top, 7);
    EXPECT_EQ(store.replaceFile(path_, std::string(kMaxSettingsFileBytes + 1, 'x')),
              std::error_code(EFBIG, std::system_category()));

    writeBytes(path_, atLimit + "x");
    EXPECT_EQ(store.readFile(path_).error, std::error_code(EFBIG, std::system_category()));
}

// As root, the files of another user ("nobody") can be made here.
constexpr uid_t kNobody = 65534;

TEST_F(PosixFileStoreTest, FoldersOthersMayWriteToAreNoSettingsHome) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give files away";
    PosixFileStore store;
    const std::string dir = dir_.string() + "/";
    struct Row {
        const char* note;
        mode_t mode;
        uid_t owner;
        gid_t group;
        bool others;
    } rows[] = {
        {"own folder", 0755, 0, 0, false},
        {"group-writable, the user's own group", 0775, 0, 0, false},
        {"group-writable, another group", 0775, 0, kNobody, true},
        {"world-writable and sticky, as /tmp", 01777, 0, 0, true},
        {"another user's folder", 0755, kNobody, 0, true},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(::chown(dir_.c_str(), row.owner, row.group), 0);
        ASSERT_EQ(::chmod(dir_.c_str(), row.mode), 0);
        EXPECT_EQ(store.isWritableByOthers(dir), row.others) << row.note;
        const bool home = resolveHomePath(dir, store) == dir;
        EXPECT_EQ(home, !row.others) << row.note;
    }
    ::chown(dir_.c_str(), 0, 0);
}

TEST_F(PosixFileStoreTest, LinkPlantedByAnotherUserIsNotFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a link away";
    ::chmod(dir_.c_str(), 01777);
    const fs::path rootFile = dir_ / "root-only.conf";
    writeBytes(rootFile, "secret=1\n");
    fs::create_symlink(rootFile, path_);
    ASSERT_EQ(::lchown(path_.c_str(), kNobody, kNobody), 0);
    PosixFileStore store;
    const std::error_code foreign = makeErrorCode(FileStoreError::ForeignLink);
    EXPECT_EQ(store.readFile(path_).error, foreign);
    EXPECT_EQ(store.replaceFile(path_, "x"), foreign);
    EXPECT_THROW(WriteIniFile(store, path_, u'.', [] { return movedTo(1); }), SettingsFileError);
    EXPECT_EQ(readBytes(rootFile), "secret=1\n");
    // The same link owned by root is followed.
    ASSERT_EQ(::lchown(path_.c_str(), 0, 0), 0);
    WriteIniFile(store, path_, u'.', [] { return movedTo(1); });
    EXPECT_EQ(readStore(rootFile).top, 1);
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
