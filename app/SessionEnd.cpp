#include "app/SessionEnd.h"
#include "app/Unit1.h"
#include "platform/MessageDispatcher.h"
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zrm58 {
namespace {

int signalPipe[2] = {-1, -1};

// A logout or a service manager (TERM, HUP), and Ctrl+C in the terminal that started the strip
// (INT): each ends the strip the way a session end does, with its settings saved.
constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Async-signal-safe: only a write to the pipe; the event loop does the rest.
void onTerminationSignal(int signo) {
    const unsigned char b = static_cast<unsigned char>(signo);
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &b, 1);
}

} // namespace

SessionEnd::SessionEnd(TForm1* strip) : QObject(strip), strip_(strip) {
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(
            gui, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { queryEndSession(); }, Qt::DirectConnection);
    }
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SessionEnd::onSignal);
    struct sigaction sa = {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int signo : kEndSignals) {
        // A signal the starter chose to ignore (a strip started in the background of a script
        // ignores Ctrl+C) stays ignored.
        struct sigaction old = {};
        if (sigaction(signo, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        sigaction(signo, &sa, nullptr);
        handled_.push_back(signo);
    }
}

SessionEnd::~SessionEnd() {
    for (int signo : handled_)
        signal(signo, SIG_DFL);
    for (int& fd : signalPipe) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void SessionEnd::queryEndSession() {
    QEvent query(static_cast<QEvent::Type>(kMsgQueryEndSession));
    QCoreApplication::sendEvent(strip_, &query);
}

void SessionEnd::onSignal() {
    unsigned char b;
    while (::read(signalPipe[0], &b, 1) > 0) {
    }
    queryEndSession();
    // The settings are saved; end without the close query, which would save them again.
    QCoreApplication::exit(0);
}

} // namespace zrm58
