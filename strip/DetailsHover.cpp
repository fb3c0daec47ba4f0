#include "strip/DetailsHover.h"
#include "status/CpuLoad.h"
#include "strip/OnScreen.h"
#include "strip/Strip.h"
#include <chrono>
#include <cmath>

namespace zrm58 {

Rect detailsPanelFrame(const Rect& box, Size panel, const std::optional<Rect>& area) {
    Rect frame{box.left, box.top + box.height + kDetailsGap, panel.width, panel.height};
    if (area && frame.top + frame.height > area->top + area->height)
        frame.top = box.top - kDetailsGap - panel.height;
    return area ? movedInto(frame, *area) : frame;
}

double monotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

DetailsHover::DetailsHover(const Strip& strip, DetailsPanelFace& panel, ProcessSource& processes,
                           SystemDetailsSource& source, std::function<double()> clock)
    : strip_(strip), panel_(panel), processes_(processes), details_(processes, source),
      clock_(std::move(clock)) {}

DetailsHover::~DetailsHover() {
    if (!shown_) return;
    details_.stop();
    uTotalCpuUsagePct::ProcessSamplingEnd();
}

bool DetailsHover::inHoverArea(PointF p) const {
    return strip_.tracking() == Strip::Tracking::None && strip_.layoutRect().contains(p) &&
           !strip_.speedButtonRect().contains(strip_.toLayout(p));
}

void DetailsHover::pointerMoved(PointF p, bool buttonHeld) {
    if (buttonHeld || !inHoverArea(p))
        hide();
    else if (!shown_)
        panel_.startRestTimer(kRestMs); // resting starts again with every move
}

void DetailsHover::restElapsed() {
    panel_.stopRestTimer();
    if (!panel_.buttonHeld()) show();
}

void DetailsHover::show() {
    panel_.stopRestTimer();
    if (shown_) return;
    // The per-process sampling runs only while the panel shows its shares: its start sample is
    // the base of the next tick's. Started first, so that the per-processor base taken next is
    // the later reading.
    uTotalCpuUsagePct::ProcessSamplingStart(processes_);
    details_.start(clock_());
    shown_ = true;
    refresh();
}

void DetailsHover::hide() {
    panel_.stopRestTimer();
    if (!shown_) return;
    shown_ = false;
    panel_.hidePanel();
    details_.stop();
    uTotalCpuUsagePct::ProcessSamplingEnd();
    snapshot_ = {};
}

void DetailsHover::ticked() {
    if (!shown_) return;
    (void)uTotalCpuUsagePct::SampleProcessShares(); // this tick's busiest processes
    refresh();
}

void DetailsHover::refresh() {
    snapshot_ = details_.update(uTotalCpuUsagePct::LastTickShares(), clock_());
    const Size size = panel_.setDetails(snapshot_);
    // The strip's rounded box on the desktop: its frame less the margin.
    const Rect frame = strip_.face().geometry();
    const RectF r = strip_.layoutRect();
    const Rect box{frame.left + static_cast<int>(std::lround(r.x)),
                   frame.top + static_cast<int>(std::lround(r.y)),
                   static_cast<int>(std::lround(r.width)), static_cast<int>(std::lround(r.height))};
    panel_.showAt(detailsPanelFrame(box, size, strip_.face().workArea()));
}

} // namespace zrm58
