#include "app/StripControls.h"

namespace zrm58 {

TTimer::TTimer(QObject* parent) : QObject(parent) {
    // Precise: a coarse timer may slip a 1 s period by up to 50 ms, and the seconds would stutter.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TTimer::timeout);
    timer_.start(interval_);
}

void TTimer::setInterval(int ms) {
    if (ms == interval_) return;
    interval_ = ms;
    if (ms > 0)
        timer_.start(ms);
    else
        timer_.stop();
}

} // namespace zrm58
