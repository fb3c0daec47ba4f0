#include "services/SingleInstance.h"
#include <QCryptographicHash>
#include <QDir>
#include <QSocketNotifier>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace zrm58 {
namespace {

constexpr char kRequest[] = "come-forward\n";
constexpr char kAnswer[] = "ok\n";
// How long a later start waits for the running strip: it may itself be starting up.
constexpr int kWaitMs = 5000;

// A folder only this user can write to: $XDG_RUNTIME_DIR, else a private folder in /tmp.
QString runtimeFolder() {
    auto privateToUs = [](const QByteArray& path) {
        struct stat st {};
        return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
               st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
    };
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && privateToUs(xdg)) return QString::fromLocal8Bit(xdg);
    const QByteArray tmp =
        QFile::encodeName(QDir::tempPath()) + "/zrm58-" + QByteArray::number(::getuid());
    ::mkdir(tmp.constData(), 0700); // an existing one is checked below
    return privateToUs(tmp) ? QFile::decodeName(tmp) : QString();
}

// The socket's address; false when the path does not fit (sun_path holds 108 bytes).
bool socketAddress(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (bytes.size() >= static_cast<int>(sizeof address.sun_path)) return false;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

// Waits up to `ms` for `events` on `fd`; false on a time-out or an error.
bool waitFor(int fd, short events, int ms) {
    pollfd p{fd, events, 0};
    int n = 0;
    do {
        n = ::poll(&p, 1, ms);
    } while (n < 0 && errno == EINTR);
    return n > 0;
}

// One attempt of a later start: asks the strip behind `address` to come forward and waits for
// its answer, which it sends once it has done so.
bool askToComeForward(const sockaddr_un& address, int waitMs) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool answered = false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, kRequest, sizeof kRequest - 1, MSG_NOSIGNAL) ==
            static_cast<ssize_t>(sizeof kRequest - 1)) {
        char answer[sizeof kAnswer] = {};
        std::size_t got = 0;
        while (got < sizeof kAnswer - 1 && waitFor(fd, POLLIN, waitMs)) {
            const ssize_t n = ::recv(fd, answer + got, sizeof kAnswer - 1 - got, 0);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        answered = got == sizeof kAnswer - 1 && std::memcmp(answer, kAnswer, got) == 0;
    }
    ::close(fd);
    return answered;
}

QString canonicalSettingsPath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
    return QString::fromStdString(ec ? path : p.string());
}

} // namespace

SingleInstance::SingleInstance(const std::string& settingsPath, QObject* parent) : QObject(parent) {
    const QString folder = runtimeFolder();
    if (folder.isEmpty()) return;
    const QByteArray hash = QCryptographicHash::hash(canonicalSettingsPath(settingsPath).toUtf8(),
                                                     QCryptographicHash::Sha256)
                                .toHex()
                                .left(24);
    base_ = folder + QStringLiteral("/zrm58-") + QString::fromLatin1(hash);
}

SingleInstance::~SingleInstance() {
    for (const auto& [fd, client] : clients_)
        ::close(fd);
    if (listenFd_ >= 0) ::close(listenFd_);
    if (lockFd_ >= 0) ::close(lockFd_);
}

SingleInstance::Role SingleInstance::claim() {
    if (base_.isEmpty()) return Role::Unguarded;
    const QByteArray lockPath = QFile::encodeName(base_ + QStringLiteral(".lock"));
    lockFd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ < 0) return Role::Unguarded;
    // The lock lives as long as the process: a crashed strip leaves no stale lock behind.
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) return Role::First;
    ::close(lockFd_);
    lockFd_ = -1;
    if (errno != EWOULDBLOCK) return Role::Unguarded;

    sockaddr_un address;
    if (!socketAddress(base_ + QStringLiteral(".sock"), address)) return Role::NoAnswer;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWaitMs);
    while (Clock::now() < deadline) {
        if (askToComeForward(address, kWaitMs)) return Role::HandedOver;
        ::usleep(100'000); // the strip may still be starting up
    }
    return Role::NoAnswer;
}

void SingleInstance::serve(std::function<void()> comeForward) {
    if (lockFd_ < 0) return;
    comeForward_ = std::move(comeForward);
    const QString socketPath = base_ + QStringLiteral(".sock");
    sockaddr_un address;
    if (!socketAddress(socketPath, address)) return;
    // Whoever holds the lock owns the socket name: a socket left by a crashed strip goes.
    ::unlink(address.sun_path);
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0 ||
        ::bind(listenFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(address.sun_path, 0600) != 0 || ::listen(listenFd_, 8) != 0) {
        std::fprintf(stderr, "zrm58: %s: %s\n", address.sun_path, std::strerror(errno));
        if (listenFd_ >= 0) ::close(listenFd_);
        listenFd_ = -1;
        return;
    }
    auto* notifier = new QSocketNotifier(listenFd_, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { acceptClients(); });
}

void SingleInstance::acceptClients() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return; // EAGAIN: all taken
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        clients_[fd] = Client{notifier, {}};
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { readClient(fd); });
    }
}

void SingleInstance::readClient(int fd) {
    Client& client = clients_[fd];
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
    client.notifier->setEnabled(false); // before its socket closes
    client.notifier->deleteLater();
    clients_.erase(fd);
    ::close(fd);
}

} // namespace zrm58
