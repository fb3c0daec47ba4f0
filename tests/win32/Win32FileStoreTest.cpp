// The settings file store on the real file calls (faithful under Wine, whose files are the host's
// files): atomic replace, a read-only file, a removed folder, the module path.
#include "platform/win32/Win32FileStore.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Text.h"
#include "settings/SettingsFile.h"
#include "settings/Utf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <windows.h>

namespace zrm58 {
namespace {

namespace fs = std::filesystem;
using win32::Win32FileStore;

std::string utf8(const fs::path& p) {
    return win32::narrow(p.wstring());
}

std::string contentOf(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(utf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

class Win32FileStoreTest : public testing::Test {
protected:
    void SetUp() override {
        // A folder with a name outside every ANSI code page: paths reach the wide calls whole.
        root_ =
            fs::temp_directory_path() / (L"zrm58-設定-🔷-" + std::to_wstring(GetCurrentProcessId()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(root_, ignored))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(root_, ignored);
    }
    fs::path root_;
    Win32FileStore store_;
};

TEST_F(Win32FileStoreTest, ReadsWholeFilesAndAMissingOneIsNoError) {
    const fs::path file = root_ / L"ZRM58.ini";
    EXPECT_FALSE(store_.readFile(utf8(file)).bytes);
    EXPECT_FALSE(store_.readFile(utf8(file)).error);
    std::string bytes(200000, '\0'); // more than one read's worth, with every byte value
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    write(file, bytes);
    EXPECT_EQ(store_.readFile(utf8(file)).bytes, bytes);
    EXPECT_TRUE(store_.exists(utf8(file)));
    EXPECT_FALSE(store_.exists(utf8(root_ / L"nothing.ini")));
}

// The background picture's read: a folder is told apart from a file that cannot be read, as the
// POSIX store tells it; a device is no regular file; the bound is the caller's.
TEST_F(Win32FileStoreTest, RegularFileReadTellsFoldersAndDevicesAndKeepsItsBound) {
    const fs::path picture = root_ / L"空.png";
    const FileRead missing = store_.readRegularFile(utf8(picture), 10);
    EXPECT_FALSE(missing.bytes);
    EXPECT_FALSE(missing.error);
    write(picture, "0123456789");
    EXPECT_EQ(store_.readRegularFile(utf8(picture), 10).bytes, "0123456789");
    EXPECT_EQ(store_.readRegularFile(utf8(picture), 9).error, std::errc::file_too_large);
    for (const std::string& folder : {utf8(root_), utf8(root_) + "\\"}) {
        const FileRead read = store_.readRegularFile(folder, 10);
        EXPECT_FALSE(read.bytes) << folder;
        EXPECT_EQ(read.error, std::errc::is_a_directory) << folder;
    }
    const FileRead device = store_.readRegularFile("NUL", 10);
    EXPECT_FALSE(device.bytes);
    EXPECT_EQ(device.error, makeErrorCode(FileStoreError::NotRegularFile));
}

TEST_F(Win32FileStoreTest, ReplaceIsAtomicAndLeavesNoTemporaryFile) {
    const fs::path file = root_ / L"ZRM58.ini";
    write(file, "old");
    std::vector<std::string> during;
    store_.setBeforeReplaceHook([&] {
        // The new content is whole in its temporary file; the file itself is still the old one.
        EXPECT_EQ(contentOf(file), "old");
        during = namesIn(root_);
    });
    EXPECT_FALSE(store_.replaceFile(utf8(file), "new content"));
    EXPECT_EQ(contentOf(file), "new content");
    ASSERT_EQ(during.size(), 2u);
    EXPECT_TRUE(during[0].starts_with(".ZRM58.ini.")) << during[0];
    EXPECT_EQ(namesIn(root_), std::vector<std::string>{"ZRM58.ini"});
    store_.setBeforeReplaceHook({});
    // A file that did not exist is moved into place the same way.
    const fs::path fresh = root_ / L"fresh.ini";
    EXPECT_FALSE(store_.replaceFile(utf8(fresh), "first"));
    EXPECT_EQ(contentOf(fresh), "first");
}

TEST_F(Win32FileStoreTest, ReadOnlyFileIsNotReplacedAndTheErrorSaysSo) {
    const fs::path file = root_ / L"ZRM58.ini";
    write(file, "kept");
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::error_code error = store_.replaceFile(utf8(file), "lost");
    EXPECT_EQ(error, std::errc::permission_denied);
    EXPECT_EQ(contentOf(file), "kept");
    EXPECT_EQ(namesIn(root_), std::vector<std::string>{"ZRM58.ini"});
    // Through the settings writer: the message carries the system's text, in UTF-8.
    try {
        WriteIniFile(store_, utf8(file), u'.', [] { return StripSettings{}; });
        FAIL() << "no error";
    } catch (const SettingsFileError& e) {
        const std::string what = e.what();
        EXPECT_TRUE(fromUtf8(what)) << "not UTF-8";
        EXPECT_NE(what.find(utf8(file)), std::string::npos) << what;
        EXPECT_TRUE(what.ends_with(error.message())) << what;
    }
}

TEST_F(Win32FileStoreTest, RemovedFolderIsMadeAgainByTheNextSave) {
    const fs::path dir = root_ / L"config" / L"zrm58";
    const fs::path file = dir / L"ZRM58.ini";
    EXPECT_FALSE(store_.replaceFile(utf8(file), "one"));
    fs::remove_all(root_ / L"config");
    EXPECT_FALSE(store_.replaceFile(utf8(file), "two"));
    EXPECT_EQ(contentOf(file), "two");
    // A file standing where a folder should be: an error, nothing written.
    write(root_ / L"blocker", "x");
    EXPECT_TRUE(store_.replaceFile(utf8(root_ / L"blocker" / L"ZRM58.ini"), "three"));
    EXPECT_EQ(contentOf(root_ / L"blocker"), "x");
}

// With every backup name taken, the backup written longest ago gives way to the next one.
TEST_F(Win32FileStoreTest, OldestBackupGivesWay) {
    const fs::path file = root_ / L"ZRM58.ini";
    const std::string eightBit = "[Form]\r\nTop=7\r\n[X]\r\nk=\xE9\r\n"; // read as a guess
    write(file, eightBit);
    const auto day = [](int n) {
        FILETIME t{};
        t.dwHighDateTime = 30'000'000 + static_cast<DWORD>(n); // in 2009, about 7 minutes apart
        return t;
    };
    for (int n = 1; n <= 9; ++n) {
        const fs::path backup =
            root_ / (L"ZRM58.ini.bak" + (n == 1 ? L"" : L"." + std::to_wstring(n)));
        write(backup, "older " + std::to_string(n));
        const FILETIME written = day(n == 5 ? 0 : n);
        HANDLE h = CreateFileW(backup.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        SetFileTime(h, nullptr, nullptr, &written);
        CloseHandle(h);
    }
    EXPECT_TRUE(store_.modifiedAt(utf8(root_ / L"ZRM58.ini.bak.5")) <
                store_.modifiedAt(utf8(root_ / L"ZRM58.ini.bak")));
    EXPECT_FALSE(store_.modifiedAt(utf8(root_ / L"missing")));
    WriteIniFile(store_, utf8(file), u'.', [] { return StripSettings{}; });
    EXPECT_EQ(contentOf(root_ / L"ZRM58.ini.bak.5"), eightBit);
    EXPECT_EQ(contentOf(root_ / L"ZRM58.ini.bak.4"), "older 4");
    EXPECT_EQ(namesIn(root_).size(), 10u);
}

TEST_F(Win32FileStoreTest, WritableFolders) {
    EXPECT_TRUE(store_.isWritableDirectory(utf8(root_)));
    EXPECT_TRUE(store_.isWritableDirectory(utf8(root_) + "\\"));
    EXPECT_FALSE(store_.isWritableDirectory(utf8(root_ / L"missing")));
    write(root_ / L"file", "x");
    EXPECT_FALSE(store_.isWritableDirectory(utf8(root_ / L"file")));
    EXPECT_EQ(namesIn(root_), std::vector<std::string>{"file"}); // no probe left behind
}

TEST(Win32FileStoreLive, ModulePathAndRoamingFolder) {
    Win32FileStore store;
    const auto dir = store.executableDir();
    ASSERT_TRUE(dir);
    EXPECT_TRUE(dir->ends_with("\\")) << *dir;
    wchar_t self[MAX_PATH]{};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(*dir + "win32_backend_test.exe", win32::narrow(self));
    const auto config = store.configDir();
    ASSERT_TRUE(config);
    EXPECT_TRUE(config->ends_with("\\")) << *config;
    EXPECT_TRUE(store.isWritableDirectory(*config)) << *config;
}

TEST(Win32ErrorText, SystemTextsInUtf8WithoutLineBreakAndMappedToConditions) {
    for (const DWORD code : {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_DISK_FULL,
                             ERROR_SHARING_VIOLATION, ERROR_WRITE_PROTECT}) {
        const std::string text = win32::win32Error(code).message();
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_TRUE(fromUtf8(text)) << code << ": not UTF-8";
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << code << ": " << text;
        EXPECT_FALSE(text.ends_with(" ")) << code << ": " << text;
    }
    EXPECT_EQ(win32::win32Error(ERROR_ACCESS_DENIED), std::errc::permission_denied);
    EXPECT_EQ(win32::win32Error(ERROR_PATH_NOT_FOUND), std::errc::no_such_file_or_directory);
    EXPECT_EQ(win32::win32Error(ERROR_DISK_FULL), std::errc::no_space_on_device);
    EXPECT_EQ(win32::win32Error(0xDEAD).message(), "Windows error 57005");
}

} // namespace
} // namespace zrm58
