#pragma once
#include <QAbstractNativeEventFilter>
#include <QObject>

namespace zrm58 {

// The dispatcher's two hooks on the user-interface thread:
//  - the call hook: an application-wide event filter that sees every event delivered to an
//    object of this thread, before the object's handler runs;
//  - the get-message hook: a native event filter that sees every window-system event once, when
//    the thread takes it from the connection's queue.
// Neither alters, filters or consumes anything.
class MessageHooks : public QObject, public QAbstractNativeEventFilter {
public:
    // Dispatcher module start: the handler list, then both hooks. Needs the application object.
    static void ModuleStart();
    // Dispatcher module end: both hooks off, then the list freed. After the windows are gone.
    static void ModuleEnd();

    bool eventFilter(QObject* watched, QEvent* event) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
};

// Native events get ids of their own above the toolkit's event types: this base plus the
// window system's event code.
inline constexpr unsigned kMsgNativeBase = 0x10000;

} // namespace zrm58
