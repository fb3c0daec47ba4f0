#pragma once
// What the details panel's behaviour (DetailsHover) needs from a face: a window beside the strip
// that shows the details, and a one-shot timer. All calls come on the user-interface thread; none
// calls back into the DetailsHover, except the rest timer's end, which the face reports later with
// DetailsHover::restElapsed.
#include "status/SystemDetails.h"
#include "strip/StripGeometry.h"

namespace zrm58 {

class DetailsPanelFace {
public:
    virtual ~DetailsPanelFace() = default;

    // Starts the one-shot rest timer of `ms` milliseconds, from the start again when it runs.
    virtual void startRestTimer(int ms) = 0;
    // Stops it; stopping a timer that does not run is a no-op.
    virtual void stopRestTimer() = 0;
    // Whether any pointer button is held at this moment.
    virtual bool buttonHeld() const = 0;
    // Lays the panel out for `snapshot` (its texts, bars and size, in the strip's look) and
    // returns the panel's size in the desktop's logical pixels. Called before every showAt.
    virtual Size setDetails(const DetailsSnapshot& snapshot) = 0;
    // Puts the panel at `frame` (the desktop's logical pixels; its size as setDetails gave it) and
    // shows it, without the focus, or redraws it where it already shows.
    virtual void showAt(const Rect& frame) = 0;
    // Hides the panel.
    virtual void hidePanel() = 0;
};

} // namespace zrm58
