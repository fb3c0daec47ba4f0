// The logical box, the menu's commands, move and resize tracking and the size guard.
#include "strip/Strip.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace zrm58 {
namespace {

// Nearest integer, halves to the even neighbour (the default rounding mode); clamped so that a
// runaway coordinate cannot overflow the integer.
int roundEven(double v) {
    constexpr double lo = std::numeric_limits<int>::min() / 2;
    constexpr double hi = std::numeric_limits<int>::max() / 2;
    return static_cast<int>(std::nearbyint(std::clamp(v, lo, hi)));
}

} // namespace

// --- The logical box ---

BoxPlacement Strip::placement() const {
    const Rect frame = face_.geometry();
    return placeBox(frame.width, frame.height, ScaledLayout1);
}

PointF Strip::toLayout(PointF p) const {
    const RectF r = layoutRect();
    const double lw = std::max(1.0f, ScaledLayout1.logicalWidth);
    const double lh = std::max(1.0f, ScaledLayout1.logicalHeight);
    return {(p.x - r.x) * lw / std::max(r.width, 1e-9),
            (p.y - r.y) * lh / std::max(r.height, 1e-9)};
}

PointF Strip::fromLayout(PointF p) const {
    const RectF r = layoutRect();
    const double lw = std::max(1.0f, ScaledLayout1.logicalWidth);
    const double lh = std::max(1.0f, ScaledLayout1.logicalHeight);
    return {r.x + p.x * r.width / lw, r.y + p.y * r.height / lh};
}

RectF Strip::menuButtonBox() const {
    const RectF b = speedButtonRect();
    const PointF topLeft = fromLayout({b.x, b.y});
    const PointF bottomRight = fromLayout({b.x + b.width, b.y + b.height});
    return {topLeft.x, topLeft.y, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y};
}

PointF Strip::menuAnchor() const {
    // The button's bottom-left corner, through the scaling of the logical box.
    return fromLayout({0, speedButtonRect().height});
}

// --- Menu and commands ---

void Strip::SpeedButton1Click() {
    face_.openMenu(menuButtonBox());
}

void Strip::ResizeCmdExecute() {
    setResizeMode(!resizeMenuChecked_);
}

void Strip::setResizeMode(bool on) {
    resizeMenuChecked_ = on; // a face reads it (resizeMode) when it shows its menu
}

// --- Tracking ---

bool Strip::overLayout(PointF p) const {
    return layoutRect().contains(p) && !speedButtonRect().contains(toLayout(p));
}

bool Strip::pointerPress(PointF p) {
    if (tracking_ != Tracking::None || !layoutRect().contains(p)) return false;
    if (speedButtonRect().contains(toLayout(p))) {
        tracking_ = Tracking::ButtonPress; // a click: the button acts on the release over it
        return true;
    }
    ScaledLayout1MouseDown(p);
    return true;
}

void Strip::ScaledLayout1MouseDown(PointF p) {
    // Any button, any modifiers: resize mode decides between resizing and moving. Where the
    // compositor places every window itself, a move could not be carried out: none is tracked,
    // and the place read at start stays the one saved.
    if (!resizeMode() && !face_.placesWindow()) return;
    if (resizeMode()) {
        tracking_ = Tracking::Resizing;
        // From the strip's own size: a size the window manager holds it at is never taken up.
        working_ = {placed_.width, placed_.height};
        lastPoint_ = p;
    } else {
        tracking_ = Tracking::Moving;
        pressPoint_ = p;
    }
    face_.capturePointer(true);
}

void Strip::pointerMove(PointF p) {
    if (tracking_ == Tracking::Moving) {
        // The press point stays under the pointer, from where the window is seen (the face's
        // window coordinates count from there); the size stays the strip's own.
        const Rect seen = face_.geometry();
        Rect frame = placed_;
        frame.left = roundEven(seen.left + (p.x - pressPoint_.x));
        frame.top = roundEven(seen.top + (p.y - pressPoint_.y));
        place(frame);
    } else if (tracking_ == Tracking::Resizing) {
        // The window's size is its size at the press plus the pointer's travel since, never
        // below the guard's minimum; the working size itself is never guarded, so that a drag
        // back grows the window only once the pointer passes where the minimum was reached.
        working_ = {roundEven(p.x - lastPoint_.x + working_.width),
                    roundEven(p.y - lastPoint_.y + working_.height)};
        resizeGuarded(working_.width, working_.height);
        face_.setSizingPointer(true);
        lastPoint_ = p;
    }
}

void Strip::pointerRelease(PointF p) {
    const Tracking was = tracking_;
    tracking_ = Tracking::None;
    if (was == Tracking::ButtonPress) {
        if (layoutRect().contains(p) && speedButtonRect().contains(toLayout(p)))
            SpeedButton1Click();
        return;
    }
    if (was == Tracking::None) return;
    face_.capturePointer(false);
    face_.setSizingPointer(false);
    // The release reaches ScaledLayout1 only when the pointer is over it (not over the button).
    if (overLayout(p)) ScaledLayout1MouseUp();
}

void Strip::ScaledLayout1MouseUp() {
    setResizeMode(false);
}

// --- Size guard ---

void Strip::resizeGuarded(int width, int height) {
    Rect frame = placed_;
    frame.width = std::max(width, kMinStripWidth);
    frame.height = std::max(height, kMinStripHeight);
    place(frame);
    FormResize();
}

void Strip::placeAt(int left, int top) {
    Rect frame = placed_;
    frame.left = left;
    frame.top = top;
    place(frame);
}

void Strip::place(const Rect& frame) {
    // Kept before the call: a face whose window system reports the change from within the call
    // (Win32's SetWindowPos) must find the new frame already the strip's own.
    placed_ = frame;
    face_.setGeometry(frame);
}

void Strip::FormResize() {
    // The window's size as the window system has it, whoever made it. The strip's own sizes are
    // never below the minimum (resizeGuarded), so what is mended here is a size that someone else
    // made: the window is kept at least 80 x 30, and the mended size stays the window system's,
    // never the one the saves write.
    Rect frame = face_.geometry();
    if (frame.height < kMinStripHeight) {
        frame.height = kMinStripHeight;
        face_.setGeometry(frame);
    }
    if (frame.width < kMinStripWidth) {
        frame.width = kMinStripWidth;
        face_.setGeometry(frame);
    }
}

} // namespace zrm58
