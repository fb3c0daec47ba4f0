#pragma once
#include <QObject>
#include <vector>

class QSocketNotifier;

namespace zrm58 {

class TForm1;

// The end of the desktop session, turned into the session-end query that the message
// dispatcher delivers to the strip:
//  - the session manager's commit request: the settings are saved, the strip keeps running;
//  - SIGTERM and SIGHUP (a logout, a service manager) and SIGINT (Ctrl+C in a terminal): saved,
//    then the program ends with 0.
class SessionEnd : public QObject {
    Q_OBJECT
public:
    explicit SessionEnd(TForm1* strip);
    ~SessionEnd() override;

    // Sends the query to the strip through the event system, where the hooks see it.
    void queryEndSession();

private:
    void onSignal();
    TForm1* strip_;
    QSocketNotifier* notifier_ = nullptr;
    std::vector<int> handled_; // the signals this object took over
};

} // namespace zrm58
