#pragma once
#include <QRegion>
#include <functional>

class QObject;
class QWidget;

namespace zrm58 {

// What the strip needs from the window system beyond the toolkit's portable calls. One
// implementation file per window system is built (WindowSystemX11.cpp on Linux); each call is a
// no-op where the toolkit runs on another platform plugin (the offscreen one of the tests).
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Whether the window system answers at all (false on the offscreen platform, for one).
    virtual bool available() const = 0;

    // The window stays above normal windows.
    virtual void setStaysOnTop(QWidget* w, bool on) = 0;
    // The window is a small utility window, which tiling window managers float at the size and
    // place it asks for instead of tiling it. Before its first showing.
    virtual void declareUtilityWindow(QWidget* w) = 0;
    // The window has no task-bar button.
    virtual void setSkipTaskbar(QWidget* w, bool on) = 0;
    // The region of the window that takes pointer input; elsewhere presses reach what lies below.
    virtual void setInputRegion(QWidget* w, const QRegion& region) = 0;

    // Whether translucent windows are composed (a compositing manager runs). Kept up to date from
    // the window system's own notifications: asking costs no request. True where the toolkit
    // composes translucent windows itself.
    virtual bool compositorActive() = 0;
    // `onChange` runs on the user-interface thread with the new state whenever it changes, as long
    // as `owner` lives.
    virtual void watchCompositor(QObject* owner, std::function<void(bool active)> onChange) = 0;

    // `onEnd` runs on the user-interface thread when the system asks the program to end (on
    // Linux: SIGTERM, SIGHUP, and SIGINT unless the starter ignored it), as long as `owner` lives;
    // then the default handling is back.
    virtual void watchEndRequests(QObject* owner, std::function<void()> onEnd) = 0;
};

// The window system this program was built for.
WindowSystem& windowSystem();

} // namespace zrm58
