#pragma once

namespace zrm58::win32face {

// The dispatcher's two thread hooks on the user-interface thread: WH_CALLWNDPROC (sent
// messages, before the window procedure) and WH_GETMESSAGE (queued messages, offered once when
// removed). Neither alters or filters anything. The session-end query 0x0011 is offered under
// the dispatcher's own id for it; every other message under its own number.
class MessageHooks {
public:
    // Dispatcher module start: the handler list, then both hooks.
    static void ModuleStart();
    // Dispatcher module end: both hooks off, then the list freed. After the windows are gone.
    static void ModuleEnd();
};

} // namespace zrm58::win32face
