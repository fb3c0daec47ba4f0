#include "platform/linux/PosixFileStore.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zrm58 {
namespace {

constexpr int kMaxLinkDepth = 40; // as the kernel's own limit

std::error_code errorOf(int code) {
    return {code, std::system_category()};
}
std::error_code lastError() {
    return errorOf(errno);
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now and reports the close error (a delayed write error on some file systems).
    std::error_code close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? std::error_code{} : lastError();
    }

private:
    int fd_;
};

// "dir/" of "dir/name"; empty for a bare name.
std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}

std::string baseNameOf(const std::string& path) {
    return path.substr(directoryOf(path).size());
}

std::optional<std::string> readLink(const std::string& path) {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) return std::nullopt;
        if (static_cast<std::size_t>(n) < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

// A link that another user could have planted is not followed: only the user who runs the
// program and root may own one, as the kernel's protected-links rule has it for sticky folders.
bool mayFollow(const struct stat& link) {
    return link.st_uid == ::geteuid() || link.st_uid == 0;
}

// The file a read or a write of `path` lands in: symbolic links followed, the last one may
// dangle (ENOENT is then no error: `target` is the missing file).
std::error_code resolveLinks(const std::string& path, std::string& target) {
    target = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0)
            return errno == ENOENT ? std::error_code{} : lastError();
        if (!S_ISLNK(st.st_mode)) return {};
        if (!mayFollow(st)) return makeErrorCode(FileStoreError::ForeignLink);
        const auto link = readLink(target);
        if (!link) return lastError();
        target = link->starts_with('/') ? *link : directoryOf(target) + *link;
    }
    return errorOf(ELOOP);
}

std::error_code makeDirectories(const std::string& dir) {
    if (dir.empty() || dir == "/") return {};
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? std::error_code{} : errorOf(ENOTDIR);
    if (errno != ENOENT) return lastError();
    const std::string trimmed = dir.substr(0, dir.find_last_not_of('/') + 1);
    if (auto error = makeDirectories(directoryOf(trimmed))) return error;
    if (::mkdir(trimmed.c_str(), 0700) != 0 && errno != EEXIST) return lastError();
    return {};
}

// Whether the existing file may be replaced: a regular file with some write permission bit that
// the process may write. Root passes every access check, so the bits are checked as well.
std::error_code checkReplaceable(const std::string& target, const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return errorOf(EISDIR);
    if (!S_ISREG(st.st_mode)) return makeErrorCode(FileStoreError::NotRegularFile);
    if ((st.st_mode & 0222) == 0) return errorOf(EACCES);
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return lastError();
    return {};
}

// Creates a new, empty file beside `target`, named after it, with `mode` less the umask.
std::error_code createTemporary(const std::string& target, mode_t mode, std::string& tempPath,
                                int& fd) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(8, 'x');
        for (char& c : suffix)
            c = kLetters[random() % (sizeof kLetters - 1)];
        tempPath = directoryOf(target) + "." + baseNameOf(target) + "." + suffix;
        fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) return {};
        if (errno != EEXIST) return lastError();
    }
    return errorOf(EEXIST);
}

std::error_code writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

// Gives the new file the owner and group of `model` where the process may, and its permissions.
// A group the file could not be given loses the group's permission bits: those were granted to
// the model's group, not to the user's own.
std::error_code copyAttributes(int fd, const struct stat& model) {
    if (::fchown(fd, model.st_uid, model.st_gid) != 0) {
        // Only root may give a file away, and a user only to a group of their own; another
        // owner is no reason to fail the save.
        (void)::fchown(fd, static_cast<uid_t>(-1), model.st_gid);
    }
    struct stat now {};
    if (::fstat(fd, &now) != 0) return lastError();
    mode_t mode = model.st_mode & 07777;
    if (now.st_gid != model.st_gid) mode &= ~static_cast<mode_t>(S_IRWXG);
    return ::fchmod(fd, mode) == 0 ? std::error_code{} : lastError();
}

// Makes the rename itself durable. Best effort: the rename has happened either way.
void syncDirectory(const std::string& dir) {
    const Fd fd(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) ::fsync(fd.get());
}

// Whether a read may open what stands at a path: a regular file only. A FIFO would block the
// open until a writer came, a device may never end; neither is a file to read whole.
std::error_code checkReadable(const struct stat& st, std::size_t maxBytes) {
    if (S_ISDIR(st.st_mode)) return errorOf(EISDIR);
    if (!S_ISREG(st.st_mode)) return makeErrorCode(FileStoreError::NotRegularFile);
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) return errorOf(EFBIG);
    return {};
}

// Reads the regular file at `path` whole. `openFlags` are added to the open's own.
FileRead readRegular(const std::string& path, std::size_t maxBytes, int openFlags) {
    struct stat st {};
    const bool follow = (openFlags & O_NOFOLLOW) == 0;
    if ((follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0)
        return errno == ENOENT ? FileRead{} : FileRead{std::nullopt, lastError()};
    if (auto error = checkReadable(st, maxBytes)) return {std::nullopt, error};
    // Checked again on the open file: what stands at the path may have changed meanwhile. The
    // open never blocks.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | openFlags));
    if (fd.get() < 0) return errno == ENOENT ? FileRead{} : FileRead{std::nullopt, lastError()};
    if (::fstat(fd.get(), &st) != 0) return {std::nullopt, lastError()};
    if (auto error = checkReadable(st, maxBytes)) return {std::nullopt, error};
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {std::nullopt, lastError()};
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > maxBytes) return {std::nullopt, errorOf(EFBIG)};
    }
    return {std::move(bytes), {}};
}

} // namespace

FileRead PosixFileStore::readFile(const std::string& path) const {
    std::string target;
    if (auto error = resolveLinks(path, target)) return {std::nullopt, error};
    // The links were checked above; none is followed any more.
    return readRegular(target, kMaxSettingsFileBytes, O_NOFOLLOW);
}

FileRead PosixFileStore::readRegularFile(const std::string& path, std::size_t maxBytes) const {
    return readRegular(path, maxBytes, 0);
}

std::error_code PosixFileStore::replaceFile(const std::string& path, std::string_view bytes) {
    return replace(path, bytes, nullptr);
}

std::error_code PosixFileStore::replaceFileLike(const std::string& path, std::string_view bytes,
                                                const std::string& original) {
    std::string source;
    if (auto error = resolveLinks(original, source)) return error;
    struct stat model {};
    if (::stat(source.c_str(), &model) != 0) return lastError();
    return replace(path, bytes, &model);
}

std::optional<std::int64_t> PosixFileStore::modifiedAt(const std::string& path) const {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
}

std::error_code PosixFileStore::replace(const std::string& path, std::string_view bytes,
                                        const struct stat* model) {
    if (bytes.size() > kMaxSettingsFileBytes) return errorOf(EFBIG);
    std::string target;
    if (auto error = resolveLinks(path, target)) return error;
    if (auto error = makeDirectories(directoryOf(target))) return error;
    struct stat old {};
    const bool hasOld = ::stat(target.c_str(), &old) == 0;
    if (!hasOld && errno != ENOENT) return lastError();
    if (hasOld) {
        if (auto error = checkReplaceable(target, old)) return error;
    }
    if (!model && hasOld) model = &old;
    // A file that takes a model's permissions is created readable by its owner only: opened in
    // that moment, it would stay readable through the open descriptor after the change.
    std::string tempPath;
    int rawFd = -1;
    if (auto error = createTemporary(target, model ? 0600 : 0666, tempPath, rawFd)) return error;
    Fd fd(rawFd);
    if (afterCreate_) afterCreate_(tempPath);
    std::error_code error;
    if (model) error = copyAttributes(fd.get(), *model);
    if (!error) error = writeAll(fd.get(), bytes);
    if (!error && ::fsync(fd.get()) != 0) error = lastError();
    if (const auto closeError = fd.close(); !error) error = closeError;
    if (!error && beforeRename_) beforeRename_();
    if (!error && ::rename(tempPath.c_str(), target.c_str()) != 0) error = lastError();
    if (error) {
        ::unlink(tempPath.c_str());
        return error;
    }
    syncDirectory(directoryOf(target));
    return {};
}

std::optional<std::string> PosixFileStore::executableDir() const {
    const auto exe = readLink("/proc/self/exe");
    if (!exe || !exe->starts_with('/')) return std::nullopt;
    return directoryOf(*exe);
}

bool PosixFileStore::exists(const std::string& path) const {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool PosixFileStore::isWritableByOthers(const std::string& dir) const {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) return true; // nothing known: nothing trusted
    const bool foreignOwner = st.st_uid != ::geteuid() && st.st_uid != 0;
    // A group-writable folder of the user's own group is the rule where every user has a group
    // of their own; any other group may hold other users.
    const bool groupOfOthers = (st.st_mode & S_IWGRP) != 0 && st.st_gid != ::getegid();
    return foreignOwner || groupOfOthers || (st.st_mode & S_IWOTH) != 0;
}

bool PosixFileStore::isWritableDirectory(const std::string& dir) const {
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::optional<std::string> PosixFileStore::configDir() const {
    const auto withSlash = [](std::string dir) {
        if (!dir.ends_with('/')) dir += '/';
        return dir;
    };
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        return withSlash(xdg);
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return withSlash(home) + ".config/";
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return withSlash(found->pw_dir) + ".config/";
    return std::nullopt;
}

std::unique_ptr<FileStore> createSystemFileStore() {
    return std::make_unique<PosixFileStore>();
}

} // namespace zrm58
