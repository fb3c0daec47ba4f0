#pragma once
#include <QObject>

namespace zrm58 {

class TForm1;

// The end of the desktop session, turned into the session-end query that the message
// dispatcher delivers to the strip:
//  - the session manager's commit request: the settings are saved, the strip keeps running;
//  - the window system's requests to end (WindowSystem::watchEndRequests: SIGTERM, SIGHUP and
//    SIGINT on Linux): saved, then the program ends with 0.
class SessionEnd : public QObject {
    Q_OBJECT
public:
    explicit SessionEnd(TForm1* strip);
    ~SessionEnd() override;

    // Sends the query to the strip through the event system, where the hooks see it.
    void queryEndSession();

private:
    TForm1* strip_;
};

} // namespace zrm58
