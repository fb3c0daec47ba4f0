#pragma once
#include <QObject>

namespace zrm58 {

class TForm1;

// The end of the desktop session, turned into the session-end query that the message
// dispatcher delivers to the strip:
//  - the session manager's commit request: the settings are saved, the strip keeps running;
//  - the window system's requests to end (WindowSystem::watchEndRequests: SIGTERM, SIGHUP and
//    SIGINT on Linux): saved, then the program ends with 0, or with 1 when the save failed.
// While the strip is still starting (`starting`, until started()) its settings may be read only
// in part: a request to end then saves nothing, makes every error box that waits return, and is
// remembered (endedWhileStarting()) for the start-up to end in order.
class SessionEnd : public QObject {
    Q_OBJECT
public:
    explicit SessionEnd(TForm1* strip, bool starting = false);
    ~SessionEnd() override;

    void started() { starting_ = false; }
    bool endedWhileStarting() const { return endedWhileStarting_; }

    // Sends the query to the strip through the event system, where the hooks see it.
    void queryEndSession();

private:
    TForm1* strip_;
    bool starting_ = false;
    bool endedWhileStarting_ = false;
};

} // namespace zrm58
