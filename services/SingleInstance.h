#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <string>

class QSocketNotifier;

namespace zrm58 {

// One strip per settings file and user. The first strip on a settings file holds a lock beside a
// local socket, both named after the file's canonical path, in the user's runtime folder; a
// later start on the same file asks that strip to come forward and ends. A strip on another
// settings file (another folder) has another name and runs on its own.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        First,      // this process is the strip for the file; call serve() once the strip exists
        HandedOver, // the running strip came forward: end with 0
        NoAnswer,   // a strip holds the file but did not answer: end with 1
        Unguarded,  // no runtime folder to keep the lock in: run without the guard
    };

    explicit SingleInstance(const std::string& settingsPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    Role claim();
    // Runs `comeForward` on the UI thread for each later start on the same settings file.
    void serve(std::function<void()> comeForward);

    // The lock's and the socket's common path without suffix (empty without a runtime folder).
    const QString& basePath() const { return base_; }

private:
    // A later start's connection until its one request line is in.
    struct Client {
        QSocketNotifier* notifier = nullptr;
        QByteArray received;
    };
    void acceptClients();
    void readClient(int fd);

    QString base_;
    int lockFd_ = -1;
    int listenFd_ = -1; // the local socket, served on the UI thread through a notifier
    std::map<int, Client> clients_;
    std::function<void()> comeForward_;
};

} // namespace zrm58
