#include "faces/qt/MessageHooks.h"
#include "platform/MessageDispatcher.h"
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <xcb/xcb.h>

namespace zrm58 {
namespace {

MessageHooks* hooks = nullptr;

} // namespace

void MessageHooks::ModuleStart() {
    TMessageDispatcherWin::ModuleStart();
    if (hooks || !QCoreApplication::instance())
        return; // a hook that cannot be installed never runs
    hooks = new MessageHooks;
    QCoreApplication::instance()->installEventFilter(hooks);
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->installNativeEventFilter(hooks);
}

void MessageHooks::ModuleEnd() {
    if (hooks) {
        if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(hooks);
        if (auto* dispatcher = QAbstractEventDispatcher::instance())
            dispatcher->removeNativeEventFilter(hooks);
        delete hooks;
        hooks = nullptr;
    }
    TMessageDispatcherWin::ModuleEnd();
}

bool MessageHooks::eventFilter(QObject* watched, QEvent* event) {
    TMessageDispatcherWin::CallWndProcHook(0, reinterpret_cast<WindowRef>(watched),
                                           static_cast<std::uint32_t>(event->type()), 0,
                                           reinterpret_cast<std::intptr_t>(event));
    return false; // passed on unchanged
}

bool MessageHooks::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    std::uint32_t id = kMsgNativeBase;
    if (eventType == "xcb_generic_event_t")
        id += static_cast<const xcb_generic_event_t*>(message)->response_type & 0x7f;
    constexpr std::uintptr_t kRemoved = 1;
    TMessageDispatcherWin::GetMessageHook(0, kRemoved, 0, id, 0,
                                          reinterpret_cast<std::intptr_t>(message));
    return false; // passed on unchanged
}

} // namespace zrm58
