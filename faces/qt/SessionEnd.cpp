#include "faces/qt/SessionEnd.h"
#include "faces/qt/StripWindow.h"
#include "faces/qt/WindowSystem.h"
#include "platform/MessageDispatcher.h"
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>

namespace zrm58 {

SessionEnd::SessionEnd(TForm1* strip, bool starting)
    : QObject(strip), strip_(strip), starting_(starting) {
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(
            gui, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { queryEndSession(); }, Qt::DirectConnection);
    }
    windowSystem().watchEndRequests(this, [this] {
        if (starting_) {
            // Every event loop returns, a box's nested one included, and so does every box
            // opened after this until the main loop would start.
            endedWhileStarting_ = true;
            QCoreApplication::exit(0);
            return;
        }
        queryEndSession();
        // The settings are saved; end without the close query, which would save them again. A
        // save that failed is not reported as a success.
        QCoreApplication::exit(strip_->strip().savedAtSessionEnd() ? 0 : 1);
    });
}

SessionEnd::~SessionEnd() = default;

void SessionEnd::queryEndSession() {
    QEvent query(static_cast<QEvent::Type>(kMsgQueryEndSession));
    QCoreApplication::sendEvent(strip_, &query);
}

} // namespace zrm58
