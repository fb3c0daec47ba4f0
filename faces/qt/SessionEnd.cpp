#include "faces/qt/SessionEnd.h"
#include "faces/qt/StripWindow.h"
#include "faces/qt/WindowSystem.h"
#include "platform/MessageDispatcher.h"
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>

namespace zrm58 {

SessionEnd::SessionEnd(TForm1* strip) : QObject(strip), strip_(strip) {
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(
            gui, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { queryEndSession(); }, Qt::DirectConnection);
    }
    windowSystem().watchEndRequests(this, [this] {
        queryEndSession();
        // The settings are saved; end without the close query, which would save them again.
        QCoreApplication::exit(0);
    });
}

SessionEnd::~SessionEnd() = default;

void SessionEnd::queryEndSession() {
    QEvent query(static_cast<QEvent::Type>(kMsgQueryEndSession));
    QCoreApplication::sendEvent(strip_, &query);
}

} // namespace zrm58
