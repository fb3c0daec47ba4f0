#pragma once
// The details on hover, without a toolkit: when the pointer rests kRestMs on the strip's line or
// glyph (inside the rounded box, not on the menu button, no button held, no move or resize under
// way), a panel beside the strip shows the load of each logical processor, memory, network,
// temperature and the busiest processes of the last tick. It follows every tick while shown and
// goes when the pointer leaves the strip or a button is pressed. While it is hidden nothing of it
// runs but the rest timer; the per-process sampling runs only while it shows.
#include "platform/ProcessSource.h"
#include "platform/SystemDetailsSource.h"
#include "status/SystemDetails.h"
#include "strip/DetailsPanelFace.h"
#include "strip/StripGeometry.h"
#include <functional>
#include <optional>

namespace zrm58 {

class Strip;

// The gap between the strip's rounded box and the panel, in logical pixels.
inline constexpr int kDetailsGap = 6;

// The panel's frame for a panel of `panel` size beside the strip's rounded box `box` (both in
// the desktop's logical pixels): below the box with kDetailsGap between, their left edges lined
// up; above the box with the same gap when the panel would pass the bottom of the work area
// `area`; then moved the least into the area (std::nullopt: no screen, nothing to keep it on).
Rect detailsPanelFrame(const Rect& box, Size panel, const std::optional<Rect>& area);

// Seconds of a monotonic clock, the time base of the network rates.
double monotonicSeconds();

class DetailsHover {
public:
    static constexpr int kRestMs = 700;

    // `strip` gives the hover area, the strip's frame and the work area; `processes` is the
    // per-process sampler's source (also for the per-processor times of the details), which the
    // hover starts while the panel shows. All must outlive the hover.
    DetailsHover(const Strip& strip, DetailsPanelFace& panel, ProcessSource& processes,
                 SystemDetailsSource& source, std::function<double()> clock = monotonicSeconds);
    // Ends the sampling of a panel still shown; the panel itself is not called.
    ~DetailsHover();
    DetailsHover(const DetailsHover&) = delete;
    DetailsHover& operator=(const DetailsHover&) = delete;

    // Whether `windowPoint` (window coordinates) lies where a rest shows the details.
    bool inHoverArea(PointF windowPoint) const;

    // The pointer moved to `windowPoint`, or came into the strip there: over the hover area with
    // no button held, the rest starts again (while hidden); anywhere else, or with a button
    // held, the panel goes.
    void pointerMoved(PointF windowPoint, bool buttonHeld);
    // The rest timer ended: the panel shows unless a button is held now.
    void restElapsed();
    // Shows the panel at once (what a rest ends in).
    void show();
    // The pointer left the strip, a button was pressed, or the strip went: the panel goes and
    // its sampling ends.
    void hide();
    // After the strip's tick: this tick's busiest processes and new figures, while shown.
    void ticked();

    bool shown() const { return shown_; }
    // What the panel shows; empty while hidden.
    const DetailsSnapshot& snapshot() const { return snapshot_; }

private:
    void refresh();

    const Strip& strip_;
    DetailsPanelFace& panel_;
    ProcessSource& processes_;
    SystemDetails details_;
    std::function<double()> clock_;
    bool shown_ = false;
    DetailsSnapshot snapshot_;
};

} // namespace zrm58
