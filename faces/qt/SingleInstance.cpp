#include "faces/qt/SingleInstance.h"
#include <QCryptographicHash>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zrm58 {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kRequest[] = "come-forward\n";
constexpr char kAnswer[] = "ok\n";
// How long a later start waits for the running strip in all, connecting included: the strip
// may itself be starting up.
constexpr int kWaitMs = 5000;
// The running strip's side: a later start sends its request as soon as it is connected, so a
// connection silent for this long is not one and is dropped.
constexpr int kClientMs = 1000;
// Connections served at once; the kernel keeps up to kBacklog more waiting in the queue.
constexpr std::size_t kMaxClients = 4;
constexpr int kBacklog = 8;
// Out of descriptors: how long the strip stops taking connections.
constexpr int kPauseMs = 1000;
// Descriptors left for the tick, the display connection and the save: a connection is taken only
// while this many numbers remain above its own (the kernel hands out the lowest free number, so
// a number near the limit means few are left).
constexpr int kSpareDescriptors = 8;

bool nearTheLimit(int fd) {
    rlimit limit{};
    return ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
           static_cast<rlim_t>(fd) + kSpareDescriptors >= limit.rlim_cur;
}

// Opens `path` as a folder only this user may write to: a folder itself (not a link), the
// user's, with no rights for anyone else. -1 otherwise, with the reason in `why`.
int openPrivateFolder(const std::string& path, std::string& why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
        (st.st_mode & 077) == 0)
        return fd;
    ::close(fd);
    why = "not private to this user";
    return -1;
}

// The path's bytes as the file system knows them (no conversion: a folder name need not be
// text in any encoding).
std::string canonicalPath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : p.native();
}

// Where the lock may live, in order: a folder beside the settings file (as safe as the settings
// file itself), else a folder of the user's in the system's temporary folder (which another user
// may have taken first). Neither depends on the environment: a strip started from a login, an
// ssh or su shell or cron (each with its own XDG_RUNTIME_DIR and TMPDIR) finds the same lock for
// the same settings file.
std::vector<std::string> folderCandidates(const std::string& settingsPath) {
    const std::string beside = std::filesystem::path(settingsPath).parent_path().native();
    return {(beside.empty() ? std::string(".") : beside) + "/.zrm58-run",
            "/tmp/zrm58-" + std::to_string(::getuid())};
}

// Makes `folder` and the folders above it that are missing, readable by this user only (as the
// save makes them).
void makeFolders(const std::string& folder) {
    if (folder.empty() || ::mkdir(folder.c_str(), 0700) == 0 || errno != ENOENT) return;
    makeFolders(std::filesystem::path(folder).parent_path().native());
    ::mkdir(folder.c_str(), 0700);
}

// The name of this machine: a settings file in a home folder shared by several machines gets a
// lock per machine (the socket serves only this machine's strips).
std::string machineName() {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

// The socket's address: its path, or a path through the open folder when the full one does
// not fit sun_path (108 bytes).
bool socketAddress(const std::string& folder, int folderFd, const std::string& name,
                   sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    std::string path = folder + '/' + name;
    if (path.size() >= sizeof address.sun_path)
        path = "/proc/self/fd/" + std::to_string(folderFd) + '/' + name;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

// Waits until `deadline` for `events` on `fd`; false on a time-out or an error.
bool waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, static_cast<int>(std::max<long long>(left, 0)));
        if (n > 0) return true;
        if (n == 0 || errno != EINTR) return false;
    }
}

// Connects `fd` (non-blocking) by `deadline`; otherwise says why in `why`.
bool connectBy(int fd, const sockaddr_un& address, Clock::time_point deadline, std::string& why) {
    int error = 0;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = errno;
        if (error == EINPROGRESS || error == EINTR) {
            error = ETIMEDOUT;
            socklen_t size = sizeof error;
            if (waitFor(fd, POLLOUT, deadline))
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
        }
    }
    if (error == 0) return true;
    if (error == EAGAIN)
        why = "its queue of connections is full";
    else if (error == ETIMEDOUT)
        why = "connecting to it timed out";
    else if (error == ENOENT || error == ECONNREFUSED)
        why = "it takes no connections";
    else
        why = std::string("connecting to it failed: ") + std::strerror(error);
    return false;
}

// One attempt of a later start, by `deadline`: asks the strip behind `address` to come forward
// and waits for its answer, which it sends once it has done so.
bool askToComeForward(const sockaddr_un& address, Clock::time_point deadline, std::string& why) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        why = std::string("no socket: ") + std::strerror(errno);
        return false;
    }
    bool answered = false;
    if (connectBy(fd, address, deadline, why)) {
        why = "the request got no answer";
        if (::send(fd, kRequest, sizeof kRequest - 1, MSG_NOSIGNAL) ==
            static_cast<ssize_t>(sizeof kRequest - 1)) {
            char answer[sizeof kAnswer] = {};
            std::size_t got = 0;
            while (got < sizeof kAnswer - 1 && waitFor(fd, POLLIN, deadline)) {
                const ssize_t n = ::recv(fd, answer + got, sizeof kAnswer - 1 - got, 0);
                if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
                if (n <= 0) break;
                got += static_cast<std::size_t>(n);
            }
            answered = got == sizeof kAnswer - 1 && std::memcmp(answer, kAnswer, got) == 0;
        }
    }
    ::close(fd);
    return answered;
}

} // namespace

SingleInstance::SingleInstance(const std::string& settingsPath, QObject* parent)
    : QObject(parent), settingsPath_(settingsPath) {
    const std::string path = canonicalPath(settingsPath);
    name_ =
        "zrm58-" + QCryptographicHash::hash(QByteArray::fromStdString(path + '\0' + machineName()),
                                            QCryptographicHash::Sha256)
                       .toHex()
                       .left(24)
                       .toStdString();
    // The settings file's folder is made now if it is missing; its first save would make it.
    const std::string settingsFolder = std::filesystem::path(path).parent_path().native();
    makeFolders(settingsFolder);
    std::string tried;
    for (const std::string& folder : folderCandidates(path)) {
        ::mkdir(folder.c_str(), 0700); // an existing one is checked as it is opened
        std::string why;
        folderFd_ = openPrivateFolder(folder, why);
        if (folderFd_ >= 0) {
            folder_ = folder;
            return;
        }
        tried += (tried.empty() ? "" : "; ") + folder + ": " + why;
    }
    problem_ = "no folder only this user may write to for the single-instance lock (" + tried +
               "): this strip runs without the guard";
}

SingleInstance::~SingleInstance() {
    delete listenNotifier_;
    for (const auto& [fd, client] : clients_) {
        delete client.notifier;
        ::close(fd);
    }
    if (listenFd_ >= 0) ::close(listenFd_);
    if (lockFd_ >= 0) {
        // The names go while the lock is still held, so that no later start owns them yet; one
        // that opened the lock file before it went takes it only if the name still leads there.
        ::unlinkat(folderFd_, (name_ + ".sock").c_str(), 0);
        ::unlinkat(folderFd_, (name_ + ".lock").c_str(), 0);
        ::close(lockFd_);
    }
    if (folderFd_ >= 0) ::close(folderFd_);
}

SingleInstance::Lock SingleInstance::takeLock() {
    const std::string lockName = name_ + ".lock";
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::openat(folderFd_, lockName.c_str(),
                                O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        const int error = fd < 0 ? errno : ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
        if (error == EWOULDBLOCK) {
            ::close(fd);
            return Lock::Held;
        }
        if (error != 0) {
            if (fd >= 0) ::close(fd);
            problem_ = folder_ + '/' + lockName + ": " + std::strerror(error) +
                       ": this strip runs without the single-instance guard";
            return Lock::Failed;
        }
        // The lock lives as long as the process (a strip that dies leaves no held lock behind),
        // and counts only while its name still leads to the locked file: a strip that ended
        // may have removed the name after this start opened it.
        struct stat locked {
        }, named{};
        if (::fstat(fd, &locked) == 0 &&
            ::fstatat(folderFd_, lockName.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
            lockFd_ = fd;
            return Lock::Taken;
        }
        ::close(fd);
    }
    return Lock::Held;
}

SingleInstance::Role SingleInstance::claim() {
    if (folderFd_ < 0) return Role::Unguarded;
    sockaddr_un address;
    const bool addressable = socketAddress(folder_, folderFd_, name_ + ".sock", address);
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWaitMs);
    std::string why = "its socket's path is too long";
    for (;;) {
        switch (takeLock()) {
        case Lock::Taken:
            return Role::First;
        case Lock::Failed:
            return Role::Unguarded;
        case Lock::Held:
            break;
        }
        if (addressable && askToComeForward(address, deadline, why)) return Role::HandedOver;
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) break;
        // The strip may still be starting up, or about to end and leave the lock.
        std::this_thread::sleep_for(
            std::min<Clock::duration>(left, std::chrono::milliseconds(100)));
    }
    problem_ = "a strip on " + settingsPath_ + " is running but did not answer within " +
               std::to_string(kWaitMs / 1000) + " s: " + why;
    return Role::NoAnswer;
}

void SingleInstance::serve(std::function<void()> comeForward) {
    if (lockFd_ < 0) return;
    comeForward_ = std::move(comeForward);
    const std::string socketName = name_ + ".sock";
    sockaddr_un address;
    if (!socketAddress(folder_, folderFd_, socketName, address)) return;
    // Whoever holds the lock owns the socket's name: a socket left by a strip that died goes.
    ::unlinkat(folderFd_, socketName.c_str(), 0);
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0 ||
        ::bind(listenFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::fchmodat(folderFd_, socketName.c_str(), 0600, 0) != 0 ||
        ::listen(listenFd_, kBacklog) != 0) {
        std::fprintf(stderr, "zrm58: %s/%s: %s\n", folder_.c_str(), socketName.c_str(),
                     std::strerror(errno));
        if (listenFd_ >= 0) ::close(listenFd_);
        listenFd_ = -1;
        return;
    }
    listenNotifier_ = new QSocketNotifier(listenFd_, QSocketNotifier::Read, this);
    connect(listenNotifier_, &QSocketNotifier::activated, this, [this] { acceptClients(); });
}

void SingleInstance::acceptClients() {
    while (clients_.size() < kMaxClients) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                pauseListening();
            return; // EAGAIN: no one waiting
        }
        if (nearTheLimit(fd)) {
            ::close(fd);
            pauseListening();
            return;
        }
        const std::uint64_t serial = ++nextSerial_;
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        clients_[fd] = Client{notifier, {}, serial};
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { readClient(fd); });
        QTimer::singleShot(kClientMs, this, [this, fd, serial] {
            const auto it = clients_.find(fd);
            if (it != clients_.end() && it->second.serial == serial) dropClient(fd);
        });
    }
    // As many as are served at once: the rest wait in the socket's queue until one leaves.
    listenNotifier_->setEnabled(false);
}

void SingleInstance::readClient(int fd) {
    const auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    Client& client = it->second;
    char chunk[64];
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n > 0) client.received.append(chunk, n);
    const bool line = client.received.contains('\n');
    // A request is one short line; a peer that closes or sends more is not one of ours.
    if (!line && n > 0 && client.received.size() <= 64) return;
    if (line && client.received == kRequest) {
        comeForward_();
        ::send(fd, kAnswer, sizeof kAnswer - 1, MSG_NOSIGNAL);
    }
    dropClient(fd);
}

void SingleInstance::dropClient(int fd) {
    const auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    it->second.notifier->setEnabled(false); // before its socket closes
    it->second.notifier->deleteLater();
    clients_.erase(it);
    ::close(fd);
    if (!paused_) listenNotifier_->setEnabled(true);
}

// Out of descriptors: the connections held are let go and none is taken for a while, so that
// the tick, the display connection and the save find descriptors. The connection that could
// not be taken stays in the queue; taking it again at once would be a busy loop.
void SingleInstance::pauseListening() {
    paused_ = true;
    listenNotifier_->setEnabled(false);
    while (!clients_.empty())
        dropClient(clients_.begin()->first);
    QTimer::singleShot(kPauseMs, this, [this] { listenAgain(); });
}

void SingleInstance::listenAgain() {
    paused_ = false;
    listenNotifier_->setEnabled(true);
}

} // namespace zrm58
