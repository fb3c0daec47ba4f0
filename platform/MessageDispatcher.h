#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace zrm58 {

// One message as the dispatcher offers it. The ids are the toolkit's event types; the
// program's own session-end query has an id of its own (kMsgQueryEndSession).
struct MessageRecord {
    std::uint32_t msg = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::intptr_t result = 0; // a handler may set it; nobody reads it afterwards
};

// "Does the session may end?": asked when the desktop session ends. In the toolkit's range of
// user event types (1000 and up), so it never collides with one of the toolkit's own.
inline constexpr std::uint32_t kMsgQueryEndSession = 1000 + 0x11;

// A window handle as the hooks report it (the toolkit's object or window pointer).
using WindowRef = std::uintptr_t;

// An object that handles messages through a table of message methods, one per message id. A
// class declares its own table and names its base class's table as the parent, so the nearest
// class that declares an id handles it.
class MessageHandler {
public:
    virtual ~MessageHandler() = default;
    // Runs the method that the nearest class declares for message.msg; false when none does.
    bool Dispatch(MessageRecord& message);

    using Method = void (*)(MessageHandler&, MessageRecord&);
    struct Entry {
        std::uint32_t id;
        Method method;
    };
    struct Table {
        const Table* parent;
        std::span<const Entry> entries;
    };
    // The table of this class: an empty one with no parent.
    static const Table& BaseTable();

protected:
    virtual const Table& messageTable() const { return BaseTable(); }
};

// The thread-wide message dispatcher: a list of handler objects, offered every message that
// the user-interface thread's two hooks see. Class-wide state only.
class TMessageDispatcherWin {
public:
    TMessageDispatcherWin() = delete;

    // Adds the handler at the end unless it is already listed (compared by identity). The list
    // never owns its handlers.
    static void RegisterHandler(MessageHandler* handler);
    static void UnregisterHandler(MessageHandler* handler);
    // Offers one message to every handler in registration order. Handlers added during the walk
    // are reached too; each nested walk keeps its own position.
    static void ProcessMessage(WindowRef wnd, std::uint32_t msg, std::uintptr_t wParam,
                               std::intptr_t lParam);
    // The window of the latest message offered; 0 before the first.
    static WindowRef GetWnd();

    // The two hook procedures. A negative code passes the message on without offering it. The
    // get-message hook offers a message only when it is removed from the queue (remove == 1),
    // so a message peeked at first is offered once, when it is taken.
    static void CallWndProcHook(int code, WindowRef wnd, std::uint32_t msg, std::uintptr_t wParam,
                                std::intptr_t lParam);
    static void GetMessageHook(int code, std::uintptr_t remove, WindowRef wnd, std::uint32_t msg,
                               std::uintptr_t wParam, std::intptr_t lParam);

    static void ModuleStart();
    static void ModuleEnd();
    static bool started();
    static std::size_t handlerCount();

private:
    static std::vector<MessageHandler*>* handlers_;
    static WindowRef lastWnd_;
};

} // namespace zrm58
