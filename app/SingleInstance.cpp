#include "app/SingleInstance.h"
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
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
    if (server_) server_->close();
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

    const QString socketPath = base_ + QStringLiteral(".sock");
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kWaitMs) {
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(500)) {
            socket.write(kRequest);
            socket.waitForBytesWritten(1000);
            // The answer comes once the strip has come forward.
            while (socket.bytesAvailable() < qint64(sizeof kAnswer - 1) &&
                   socket.waitForReadyRead(kWaitMs)) {
            }
            if (socket.readAll() == kAnswer) return Role::HandedOver;
        }
        QThread::msleep(100);
    }
    return Role::NoAnswer;
}

void SingleInstance::serve(std::function<void()> comeForward) {
    if (lockFd_ < 0) return;
    comeForward_ = std::move(comeForward);
    const QString socketPath = base_ + QStringLiteral(".sock");
    // Whoever holds the lock owns the socket name: a socket left by a crashed strip goes.
    QLocalServer::removeServer(socketPath);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath)) {
        std::fprintf(stderr, "zrm58: %s: %s\n", qPrintable(socketPath),
                     qPrintable(server_->errorString()));
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > 64) socket->abort(); // not one of ours
                    return;
                }
                if (socket->readLine() == kRequest) {
                    comeForward_();
                    socket->write(kAnswer);
                    socket->flush();
                }
                socket->disconnectFromServer();
            });
        }
    });
}

} // namespace zrm58
