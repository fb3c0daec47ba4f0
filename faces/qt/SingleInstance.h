#pragma once
#include <QByteArray>
#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

class QSocketNotifier;

namespace zrm58 {

// One strip per settings file, user and machine. The first strip on a settings file holds a lock
// beside a local socket, both named after the bytes of the file's canonical path, in a folder
// only this user may write to: a folder beside the settings file, else a private folder in the
// system's temporary folder. The place follows the settings file alone, never the environment. A
// later start on the same file asks that strip to come forward and ends. A strip on another
// settings file (another folder) has another name and runs on its own. The strip removes both
// files when it ends; a pair left by a strip that died is taken over by the next start.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        First,      // this process is the strip for the file; call serve() once the strip exists
        HandedOver, // the running strip came forward: end with 0
        NoAnswer,   // a strip holds the file but did not answer in time: end with 1 (problem())
        Unguarded,  // no private folder for the lock: run without the guard (problem())
    };

    explicit SingleInstance(const std::string& settingsPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Decides this process's role; a later start waits at most a few seconds in all.
    Role claim();
    // For NoAnswer and Unguarded: what happened, in a few words for standard error.
    const std::string& problem() const { return problem_; }
    // Runs `comeForward` on the UI thread for each later start on the same settings file.
    void serve(std::function<void()> comeForward);

    // The folder holding the lock and the socket (empty when unguarded).
    const std::string& folder() const { return folder_; }

private:
    // A later start's connection until its one request line is in or its time is up.
    struct Client {
        QSocketNotifier* notifier = nullptr;
        QByteArray received;
        std::uint64_t serial = 0; // tells this connection from a later one on the same descriptor
    };
    enum class Lock { Taken, Held, Failed };
    Lock takeLock();
    void acceptClients();
    void readClient(int fd);
    void dropClient(int fd);
    void pauseListening();
    void listenAgain();

    std::string settingsPath_;
    std::string folder_;
    std::string name_; // the lock's and the socket's common name without suffix
    std::string problem_;
    int folderFd_ = -1;
    int lockFd_ = -1;
    int listenFd_ = -1; // the local socket, served on the UI thread through a notifier
    QSocketNotifier* listenNotifier_ = nullptr;
    bool paused_ = false; // out of descriptors: not listening for a while
    std::map<int, Client> clients_;
    std::uint64_t nextSerial_ = 0;
    std::function<void()> comeForward_;
};

} // namespace zrm58
