#pragma once
#include <QRegion>

class QWidget;

// Window-manager and X server requests that Qt has no portable call for. Every function is a
// no-op on platforms other than xcb (the offscreen platform of the tests, for one).
namespace zrm58::x11 {

bool available();

// _NET_WM_STATE_ABOVE: the window stays above normal windows.
void setStaysOnTop(QWidget* w, bool on);
// _NET_WM_WINDOW_TYPE: a utility window (a normal one for managers that know no utility), which
// tiling window managers float instead of tiling; for a window not yet mapped.
void setUtilityWindowType(QWidget* w);
// _NET_WM_STATE_SKIP_TASKBAR: no task-bar button for the window.
void setSkipTaskbar(QWidget* w, bool on);
// The region of the window that takes pointer input; elsewhere presses reach what lies below.
void setInputRegion(QWidget* w, const QRegion& region);
// Whether a compositing manager runs on the window's screen (it owns _NET_WM_CM_Sn).
bool compositorActive();
// The atoms listed in the window's _NET_WM_STATE property (for checks and diagnostics).
QStringList netWmState(QWidget* w);

} // namespace zrm58::x11
