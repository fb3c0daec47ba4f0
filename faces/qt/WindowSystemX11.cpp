// The window system on Linux: X11 through the toolkit's xcb connection (X11Window.cpp holds
// the requests), and POSIX signals for the requests to end.
#include "faces/qt/WindowSystem.h"
#include "faces/qt/X11Window.h"
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace zrm58 {
namespace {

xcb_connection_t* connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// --- Requests to end ---

int signalPipe[2] = {-1, -1};

// A logout or a service manager (TERM, HUP), and Ctrl+C in the terminal that started the strip
// (INT).
constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Async-signal-safe: only a write to the pipe; the event loop does the rest.
void onEndSignal(int signo) {
    const unsigned char b = static_cast<unsigned char>(signo);
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &b, 1);
}

// Holds the signal handlers while it lives (a child of the watcher's owner).
class EndSignals : public QObject {
public:
    EndSignals(QObject* owner, std::function<void()> onEnd)
        : QObject(owner), onEnd_(std::move(onEnd)) {
        if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            unsigned char b;
            while (::read(signalPipe[0], &b, 1) > 0) {
            }
            onEnd_();
        });
        struct sigaction sa = {};
        sa.sa_handler = onEndSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        for (int signo : kEndSignals) {
            // A signal the starter chose to ignore (a strip started in the background of a
            // script ignores Ctrl+C) stays ignored.
            struct sigaction old = {};
            if (sigaction(signo, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
            sigaction(signo, &sa, nullptr);
            handled_.push_back(signo);
        }
    }
    ~EndSignals() override {
        for (int signo : handled_)
            signal(signo, SIG_DFL);
        for (int& fd : signalPipe) {
            if (fd >= 0) ::close(fd);
            fd = -1;
        }
    }

private:
    std::function<void()> onEnd_;
    std::vector<int> handled_; // the signals taken over
};

// --- The compositing manager ---

// Follows the owner of the compositing manager's selection _NET_WM_CM_S0 through XFixes
// selection events on the root window: a manager that starts, stops or dies is seen as it
// happens, and asking for the state needs no round trip to the server.
class CompositorWatch : public QAbstractNativeEventFilter {
public:
    // Starts watching on the toolkit's connection; one round trip for the present owner.
    void start(xcb_connection_t* c) {
        if (started_) return;
        started_ = true;
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_xfixes_id);
        auto cookie = xcb_intern_atom(c, 0, std::strlen("_NET_WM_CM_S0"), "_NET_WM_CM_S0");
        if (auto* r = xcb_intern_atom_reply(c, cookie, nullptr)) {
            atom_ = r->atom;
            std::free(r);
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        if (ext && ext->present && atom_ != XCB_ATOM_NONE) {
            firstEvent_ = ext->first_event;
            // The server wants the client's version before the first XFixes request; the
            // toolkit has normally told it already, so the answer is not waited for.
            xcb_discard_reply(c, xcb_xfixes_query_version(c, 5, 0).sequence);
            xcb_xfixes_select_selection_input(
                c, root_, atom_,
                XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
            QCoreApplication::instance()->installNativeEventFilter(this);
        }
        // Asked after the selection of events, so that no change falls between the two.
        auto owner = xcb_get_selection_owner(c, atom_);
        if (auto* r = xcb_get_selection_owner_reply(c, owner, nullptr)) {
            active_ = r->owner != XCB_WINDOW_NONE;
            std::free(r);
        }
        xcb_flush(c);
    }

    bool active() const { return active_; }
    // Without XFixes the state is asked again at every call (one round trip).
    bool watching() const { return firstEvent_ >= 0; }
    void refresh(xcb_connection_t* c) {
        if (auto* r =
                xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom_), nullptr)) {
            set(r->owner != XCB_WINDOW_NONE);
            std::free(r);
        }
    }

    void add(QObject* owner, std::function<void(bool)> onChange) {
        watchers_.emplace_back(owner, std::move(onChange));
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* ev = static_cast<const xcb_generic_event_t*>(message);
        if ((ev->response_type & 0x7F) != firstEvent_ + XCB_XFIXES_SELECTION_NOTIFY) return false;
        const auto* sn = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(ev);
        if (sn->window != root_ || sn->selection != atom_) return false;
        set(sn->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER &&
            sn->owner != XCB_WINDOW_NONE);
        return true; // asked for here on the root window: nobody else waits for it
    }

private:
    void set(bool now) {
        if (now == active_) return;
        active_ = now;
        std::erase_if(watchers_, [](const auto& w) { return w.first.isNull(); });
        const auto watchers = watchers_; // a watcher may add another
        for (const auto& [owner, onChange] : watchers)
            if (owner) onChange(now);
    }

    bool started_ = false;
    bool active_ = false;
    int firstEvent_ = -1;
    xcb_atom_t atom_ = XCB_ATOM_NONE;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    std::vector<std::pair<QPointer<QObject>, std::function<void(bool)>>> watchers_;
};

class X11WindowSystem final : public WindowSystem {
public:
    bool available() const override { return x11::available(); }
    void setStaysOnTop(QWidget* w, bool on) override { x11::setStaysOnTop(w, on); }
    void declareUtilityWindow(QWidget* w) override { x11::setUtilityWindowType(w); }
    void setSkipTaskbar(QWidget* w, bool on) override { x11::setSkipTaskbar(w, on); }
    void setInputRegion(QWidget* w, const QRegion& region) override {
        x11::setInputRegion(w, region);
    }

    bool compositorActive() override {
        xcb_connection_t* c = connection();
        if (!c) return true; // elsewhere the toolkit composes translucent windows itself
        compositor_.start(c);
        if (!compositor_.watching()) compositor_.refresh(c);
        return compositor_.active();
    }

    void watchCompositor(QObject* owner, std::function<void(bool)> onChange) override {
        xcb_connection_t* c = connection();
        if (!c) return;
        compositor_.start(c);
        compositor_.add(owner, std::move(onChange));
    }

    void watchEndRequests(QObject* owner, std::function<void()> onEnd) override {
        new EndSignals(owner, std::move(onEnd));
    }

private:
    CompositorWatch compositor_;
};

} // namespace

WindowSystem& windowSystem() {
    static X11WindowSystem system;
    return system;
}

} // namespace zrm58
