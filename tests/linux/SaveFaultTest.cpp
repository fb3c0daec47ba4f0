// Faults injected into the settings save on the real POSIX store: the process killed at random
// moments while it saves again and again, a full disk, the settings directory taken away.
#include "platform/linux/PosixFileStore.h"
#include "settings/IniDocument.h"
#include "settings/SettingsFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zrm58 {
namespace {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::u16string digits(std::uint32_t n) {
    const std::string text = std::to_string(n);
    return {text.begin(), text.end()};
}

// The values of save number `n`. Every field follows from `n`, and the date format carries a
// padding of varying length (the file ranges from under 1 to about 13 kB), so a torn file or
// a mix of two saves reads as no save at all. Every value reads back exactly as saved.
StripSettings saveNumber(std::uint32_t n) {
    StripSettings s;
    s.top = static_cast<std::int32_t>(n % 2000);
    s.left = static_cast<std::int32_t>(n * 7 % 1000);
    s.width = static_cast<std::int32_t>(100 + n % 900);
    s.original = 1 + (n % 64) / 64.0; // exact in binary and in 15 digits
    s.bold = n % 2 == 1;
    s.fontColor = 0xFF000000u | n;
    s.family = u"save " + digits(n);
    s.interval = static_cast<std::int32_t>(100 + n % 5000);
    s.format = u"yyyy " + std::u16string(n * 37 % 6000, static_cast<char16_t>(u'a' + n % 26)) +
               u" " + digits(n);
    return s;
}

// The save number a file read back holds; std::nullopt when it holds none.
std::optional<std::uint32_t> saveNumberOf(const StripSettings& s) {
    const std::u16string_view prefix = u"save ";
    if (!s.family.starts_with(prefix) || s.family.size() == prefix.size()) return std::nullopt;
    std::uint32_t n = 0;
    for (const char16_t c : s.family.substr(prefix.size())) {
        if (c < u'0' || c > u'9') return std::nullopt;
        n = n * 10 + (c - u'0');
    }
    return n;
}

std::string systemText(int error) {
    return std::error_code(error, std::system_category()).message();
}

// The two texts of SettingsFileError.
std::string createFailure(const std::string& path, int error) {
    return "ファイル \"" + path + "\" を作成できません。" + systemText(error);
}
std::string openFailure(const std::string& path, int error) {
    return "ファイル " + path + " は開けません。 " + systemText(error) + " ";
}

void save(const std::string& path, std::uint32_t n) {
    PosixFileStore store;
    WriteIniFile(store, path, u'.', [n] { return saveNumber(n); });
}

StripSettings load(const std::string& path) {
    PosixFileStore store;
    return readStripSettings(store, path, u'.');
}

// A fresh directory under the system's temporary directory, with the settings file's home
// inside it as a first save finds it: <dir>/config/zrm58/ZRM58.ini.
class SaveFaultTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zrm58-fault-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        settingsDir_ = root_ / "config" / "zrm58";
        path_ = (settingsDir_ / "ZRM58.ini").string();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    // Names in the settings directory other than the settings file: temporaries left behind.
    std::vector<std::string> strayFiles() const {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& e : fs::directory_iterator(settingsDir_, ignored))
            if (e.path().filename() != "ZRM58.ini") names.push_back(e.path().filename());
        return names;
    }

    fs::path root_;
    fs::path settingsDir_;
    std::string path_;
};

// --- The process killed while it saves -----------------------------------------------------

// The child: saves `first`, `first` + 1, ... until it is killed. The alarm ends it should the
// parent fail to.
[[noreturn]] void saveUntilKilled(const std::string& path, std::uint32_t first) {
    ::alarm(20);
    try {
        for (std::uint32_t n = first;; ++n)
            save(path, n);
    } catch (...) {
        ::_exit(3);
    }
}

TEST_F(SaveFaultTest, KilledAtRandomMomentsTheFileIsAlwaysOneWholeSave) {
    save(path_, 0);
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // Kills land before the child's first save, inside one and between two: the delay runs up
    // to twice what a child takes here to start, save once and end (at least 6 ms), since a
    // sanitized build on a busy machine needs far longer than a plain one on a quiet machine.
    const auto started = SteadyClock::now();
    const pid_t probe = ::fork();
    ASSERT_GE(probe, 0);
    if (probe == 0) {
        save(path_, 0);
        ::_exit(0);
    }
    ASSERT_EQ(::waitpid(probe, nullptr, 0), probe);
    const auto oneSave =
        std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now() - started);
    long long maxDelay = std::max<long long>(6000, 2 * oneSave.count());

    std::uint32_t last = 0; // the save the file held after the previous kill
    int rounds = 0, changed = 0;
    // Fifty rounds at least, and until a kill came after a finished save; then more while the
    // time allows. Counted, not timed, so a loaded machine makes the test longer, never weaker.
    const auto deadline = SteadyClock::now() +
                          std::max<SteadyClock::duration>(std::chrono::seconds(3), 120 * oneSave);
    for (; rounds < 2000 &&
           (rounds < 50 || changed == 0 || (rounds < 400 && SteadyClock::now() < deadline));
         ++rounds) {
        // The machine got slower than at the probe: no save finished within the delays yet.
        if (changed == 0 && rounds > 0 && rounds % 50 == 0)
            maxDelay = std::min<long long>(2 * maxDelay, 2'000'000);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) saveUntilKilled(path_, last + 1);
        ::usleep(
            static_cast<useconds_t>(std::uniform_int_distribution<long long>(0, maxDelay)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the saving child ended on its own, status " << status;

        const std::string bytes = readBytes(path_);
        // Whole: the file is exactly what a writer writes for the document it holds.
        ASSERT_EQ(IniDocument::fromBytes(bytes).toBytes(), bytes) << "round " << rounds;
        const StripSettings read = load(path_);
        const auto n = saveNumberOf(read);
        ASSERT_TRUE(n.has_value()) << "round " << rounds;
        ASSERT_EQ(read, saveNumber(*n)) << "round " << rounds << ", save " << *n;
        ASSERT_GE(*n, last) << "an older save came back";
        if (*n != last) ++changed;
        last = *n;
    }
    RecordProperty("rounds", rounds);
    RecordProperty("rounds_with_a_new_save", changed);
    RecordProperty("temporaries_left", static_cast<int>(strayFiles().size()));
    EXPECT_GE(rounds, 50);
    EXPECT_GT(changed, 0) << "no kill came after a finished save";
    // A later save still works beside whatever the kills left.
    save(path_, last + 1);
    EXPECT_EQ(load(path_), saveNumber(last + 1));
}

// --- A full disk ----------------------------------------------------------------------------

// One way to fill the disk. `arrange` runs first (mounting a file system, say); `fill` runs
// after the old file was saved. Each returns an empty text, or why it cannot be arranged here.
struct FullDisk {
    const char* name;
    int error; // what the failing save reports
    std::function<std::string(const fs::path& root)> arrange;
    std::function<std::string(const fs::path& root)> fill;
};

void PrintTo(const FullDisk& disk, std::ostream* out) {
    *out << disk.name;
}

std::string nothing(const fs::path&) {
    return {};
}

// A file size limit below the size of the new file: write() fails with EFBIG, as a disk
// quota does. SIGXFSZ would end the process first; ignored, the error is returned.
std::string limitFileSize(const fs::path&) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{512, RLIM_INFINITY};
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? "" : "setrlimit failed";
}

// A 64 kB tmpfs over the root, in a mount namespace of this (child) process alone: it goes
// away with the process and leaves nothing mounted. Root only.
std::string mountSmallTmpfs(const fs::path& root) {
    if (::unshare(CLONE_NEWNS) != 0) return "no mount namespace (needs root)";
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return "mounts cannot be made private";
    if (::mount("zrm58-full", root.c_str(), "tmpfs", 0, "size=64k,mode=0700") != 0)
        return "tmpfs cannot be mounted";
    return {};
}

// Writes a filler file until the file system has no block left.
std::string fillFileSystem(const fs::path& root) {
    std::FILE* filler = std::fopen((root / "filler").c_str(), "wb");
    if (filler == nullptr) return "no filler file";
    std::setvbuf(filler, nullptr, _IONBF, 0);
    const std::vector<char> block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
    }
    const bool full = errno == ENOSPC;
    std::fclose(filler);
    return full ? "" : "the file system did not fill up";
}

// Runs in a child process (the limits and mounts stay there). Empty when the save failed as
// it should; "skip: ..." when the disk could not be filled this way here.
std::string saveOnFullDisk(const FullDisk& disk, const fs::path& root, const std::string& path) {
    if (auto why = disk.arrange(root); !why.empty()) return "skip: " + why;
    save(path, 1);
    const std::string old = readBytes(path);
    if (auto why = disk.fill(root); !why.empty()) return "skip: " + why;
    std::string problems;
    try {
        save(path, 2);
        problems += "the save succeeded; ";
    } catch (const SettingsFileError& e) {
        if (e.what() != createFailure(path, disk.error))
            problems += std::string("error text: ") + e.what() + "; ";
    }
    if (readBytes(path) != old) problems += "the old file changed; ";
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(fs::path(path).parent_path()))
        ++entries;
    if (entries != 1) problems += "a temporary was left behind; ";
    return problems;
}

class FullDiskTest : public SaveFaultTest, public testing::WithParamInterface<FullDisk> {};

TEST_P(FullDiskTest, FailedSaveReportsTheErrorAndKeepsTheOldFile) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string report;
        try {
            report = saveOnFullDisk(GetParam(), root_, path_);
        } catch (const std::exception& e) {
            report = std::string("unexpected exception: ") + e.what();
        }
        const ssize_t written = ::write(pipeFds[1], report.data(), report.size());
        ::_exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    if (report.starts_with("skip: ")) GTEST_SKIP() << report;
    EXPECT_EQ(report, "");
}

INSTANTIATE_TEST_SUITE_P(
    Ways, FullDiskTest,
    testing::Values(
        // Portable, needs no privilege: the write is refused past a size limit.
        FullDisk{"FileSizeLimit", EFBIG, nothing, limitFileSize},
        // A real file system with no space left: the write (or the flush) fails with ENOSPC.
        FullDisk{"SmallTmpfs", ENOSPC, mountSmallTmpfs, fillFileSystem}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The settings directory taken away ------------------------------------------------------

struct DirectoryFault {
    const char* name;
    std::function<void(const fs::path& root, const fs::path& settingsDir)> apply;
    // The error text of the next save for the settings file's path; null: that save recreates
    // the directory and lands.
    std::string (*failure)(const std::string& path);
};

void PrintTo(const DirectoryFault& fault, std::ostream* out) {
    *out << fault.name;
}

const DirectoryFault kDirectoryFaults[] = {
    {"Removed", [](const fs::path&, const fs::path& dir) { fs::remove_all(dir); }, nullptr},
    {"RemovedWithItsParent",
     [](const fs::path& root, const fs::path&) { fs::remove_all(root / "config"); }, nullptr},
    // Something else took the name: the save says so and leaves it alone. Reading the old
    // file is the first step to meet it.
    {"ReplacedByAFile",
     [](const fs::path&, const fs::path& dir) {
         fs::remove_all(dir);
         std::ofstream(dir) << "not a directory";
     },
     [](const std::string& path) { return openFailure(path, ENOTDIR); }},
    // A link to a directory that is gone: no file to read, none can be created.
    {"ReplacedByADanglingLink",
     [](const fs::path& root, const fs::path& dir) {
         fs::remove_all(dir);
         fs::create_directory_symlink(root / "gone", dir);
     },
     [](const std::string& path) { return createFailure(path, ENOENT); }},
};

class DirectoryFaultTest : public SaveFaultTest,
                           public testing::WithParamInterface<DirectoryFault> {};

TEST_P(DirectoryFaultTest, NextSaveRecreatesTheDirectoryOrReportsTheError) {
    const DirectoryFault& fault = GetParam();
    save(path_, 1);
    fault.apply(root_, settingsDir_);
    if (fault.failure == nullptr) {
        save(path_, 2);
        EXPECT_EQ(load(path_), saveNumber(2));
        EXPECT_EQ(fs::status(settingsDir_).permissions() & fs::perms::all, fs::perms::owner_all);
        return;
    }
    const auto inTheWay = fs::symlink_status(settingsDir_).type();
    try {
        save(path_, 2);
        FAIL() << "the save succeeded";
    } catch (const SettingsFileError& e) {
        EXPECT_EQ(e.what(), fault.failure(path_));
    }
    EXPECT_EQ(fs::symlink_status(settingsDir_).type(), inTheWay) << "what was in the way changed";
    EXPECT_FALSE(fs::exists(root_ / "gone"));
}

INSTANTIATE_TEST_SUITE_P(Faults, DirectoryFaultTest, testing::ValuesIn(kDirectoryFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// While the strip runs, something keeps deleting its settings directory: every save either
// lands whole or raises the save error, and once the deleting stops the next save lands.
TEST_F(SaveFaultTest, DirectoryRemovedAgainAndAgainWhileSaving) {
    save(path_, 1);
    std::atomic<bool> stop{false};
    std::thread remover([&] {
        while (!stop) {
            std::error_code ignored; // races with the save's own creations
            fs::remove_all(settingsDir_, ignored);
            std::this_thread::yield();
        }
    });
    int landed = 0, failed = 0;
    std::uint32_t n = 2;
    for (const auto end = SteadyClock::now() + std::chrono::milliseconds(500);
         SteadyClock::now() < end; ++n) {
        try {
            save(path_, n);
            ++landed;
        } catch (const SettingsFileError& e) {
            ++failed;
            EXPECT_TRUE(std::string(e.what()).starts_with("ファイル ")) << e.what();
        }
    }
    stop = true;
    remover.join();
    RecordProperty("saves_landed", landed);
    RecordProperty("saves_failed", failed);
    save(path_, n);
    EXPECT_EQ(load(path_), saveNumber(n));
}

} // namespace
} // namespace zrm58
