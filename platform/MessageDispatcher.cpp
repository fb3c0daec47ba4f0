#include "platform/MessageDispatcher.h"
#include <algorithm>

namespace zrm58 {

std::vector<MessageHandler*>* TMessageDispatcherWin::handlers_ = nullptr;
WindowRef TMessageDispatcherWin::lastWnd_ = 0;

const MessageHandler::Table& MessageHandler::BaseTable() {
    static const Table table{nullptr, {}};
    return table;
}

bool MessageHandler::Dispatch(MessageRecord& message) {
    for (const Table* t = &messageTable(); t; t = t->parent) {
        for (const Entry& e : t->entries) {
            if (e.id == message.msg) {
                e.method(*this, message);
                return true;
            }
        }
    }
    return false;
}

void TMessageDispatcherWin::ModuleStart() {
    if (!handlers_) handlers_ = new std::vector<MessageHandler*>();
}

void TMessageDispatcherWin::ModuleEnd() {
    delete handlers_; // the list, never the handlers
    handlers_ = nullptr;
    lastWnd_ = 0;
}

bool TMessageDispatcherWin::started() {
    return handlers_ != nullptr;
}

std::size_t TMessageDispatcherWin::handlerCount() {
    return handlers_ ? handlers_->size() : 0;
}

void TMessageDispatcherWin::RegisterHandler(MessageHandler* handler) {
    if (!handlers_ || !handler) return;
    if (std::find(handlers_->begin(), handlers_->end(), handler) == handlers_->end())
        handlers_->push_back(handler);
}

void TMessageDispatcherWin::UnregisterHandler(MessageHandler* handler) {
    if (!handlers_) return;
    auto it = std::find(handlers_->begin(), handlers_->end(), handler);
    if (it != handlers_->end()) handlers_->erase(it);
}

void TMessageDispatcherWin::ProcessMessage(WindowRef wnd, std::uint32_t msg, std::uintptr_t wParam,
                                           std::intptr_t lParam) {
    lastWnd_ = wnd;
    if (!handlers_) return;
    MessageRecord record{msg, wParam, lParam, 0};
    // Index, not iterator: the list may grow (or shrink) while a handler runs, and the length
    // is read afresh before every step.
    for (std::size_t i = 0; handlers_ && i < handlers_->size(); ++i)
        (*handlers_)[i]->Dispatch(record);
}

WindowRef TMessageDispatcherWin::GetWnd() {
    return lastWnd_;
}

void TMessageDispatcherWin::CallWndProcHook(int code, WindowRef wnd, std::uint32_t msg,
                                            std::uintptr_t wParam, std::intptr_t lParam) {
    if (code >= 0) ProcessMessage(wnd, msg, wParam, lParam);
}

void TMessageDispatcherWin::GetMessageHook(int code, std::uintptr_t remove, WindowRef wnd,
                                           std::uint32_t msg, std::uintptr_t wParam,
                                           std::intptr_t lParam) {
    constexpr std::uintptr_t kRemove = 1;
    if (code >= 0 && remove == kRemove) ProcessMessage(wnd, msg, wParam, lParam);
}

} // namespace zrm58
