#include "faces/win32/MessageHooks.h"
#include "platform/MessageDispatcher.h"
#include <windows.h>

namespace zrm58::win32face {
namespace {

HHOOK callHook = nullptr, getHook = nullptr;

std::uint32_t offeredId(UINT message) {
    return message == WM_QUERYENDSESSION ? kMsgQueryEndSession : message;
}

LRESULT CALLBACK callWndProc(int code, WPARAM wp, LPARAM lp) {
    if (code >= 0) {
        const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
        TMessageDispatcherWin::CallWndProcHook(code, reinterpret_cast<WindowRef>(m->hwnd),
                                               offeredId(m->message), m->wParam, m->lParam);
    }
    return CallNextHookEx(callHook, code, wp, lp);
}

LRESULT CALLBACK getMessageProc(int code, WPARAM wp, LPARAM lp) {
    if (code >= 0) {
        const auto* m = reinterpret_cast<const MSG*>(lp);
        TMessageDispatcherWin::GetMessageHook(code, wp, reinterpret_cast<WindowRef>(m->hwnd),
                                              offeredId(m->message), m->wParam, m->lParam);
    }
    return CallNextHookEx(getHook, code, wp, lp);
}

} // namespace

void MessageHooks::ModuleStart() {
    TMessageDispatcherWin::ModuleStart();
    // A hook whose installation fails never runs; nothing else depends on it.
    callHook = SetWindowsHookExW(WH_CALLWNDPROC, callWndProc, nullptr, GetCurrentThreadId());
    getHook = SetWindowsHookExW(WH_GETMESSAGE, getMessageProc, nullptr, GetCurrentThreadId());
}

void MessageHooks::ModuleEnd() {
    if (callHook) UnhookWindowsHookEx(callHook);
    if (getHook) UnhookWindowsHookEx(getHook);
    callHook = getHook = nullptr;
    TMessageDispatcherWin::ModuleEnd();
}

} // namespace zrm58::win32face
