#include "strip/OnScreen.h"
#include "strip/Strip.h"
#include <algorithm>
#include <cstdint>

namespace zrm58 {
namespace {

// The width and height of what both rectangles cover; zero or below on an axis where they do
// not meet.
struct Common {
    std::int64_t width, height;
};
Common common(const Rect& a, const Rect& b) {
    auto along = [](int a0, int aLength, int b0, int bLength) {
        return std::min(std::int64_t{a0} + aLength, std::int64_t{b0} + bLength) -
               std::max<std::int64_t>(a0, b0);
    };
    return {along(a.left, a.width, b.left, b.width), along(a.top, a.height, b.top, b.height)};
}

// The area both rectangles cover, in square pixels.
std::int64_t overlap(const Rect& a, const Rect& b) {
    const Common c = common(a, b);
    return c.width > 0 && c.height > 0 ? c.width * c.height : 0;
}

// `at` moved the least into [lo, lo + room - length], or to lo when the length exceeds the room.
int clampedInto(int at, int length, int lo, int room) {
    return std::clamp(at, lo, std::max(lo, lo + room - length));
}

} // namespace

bool reachable(const Rect& strip, const std::vector<Screen>& screens) {
    const int wide = std::min(kGrip, strip.width), high = std::min(kGrip, strip.height);
    return std::any_of(screens.begin(), screens.end(), [&](const Screen& s) {
        const Common c = common(strip, s.geometry);
        return c.width >= wide && c.height >= high;
    });
}

Rect movedInto(const Rect& strip, const Rect& area) {
    Rect moved = strip;
    moved.left = clampedInto(strip.left, strip.width, area.left, area.width);
    moved.top = clampedInto(strip.top, strip.height, area.top, area.height);
    return moved;
}

Rect wholeOnScreen(const Rect& strip, const std::vector<Rect>& areas) {
    if (areas.empty()) return strip;
    const Rect* best = &areas.front();
    std::int64_t most = 0;
    for (const Rect& a : areas)
        if (const std::int64_t o = overlap(strip, a); o > most) {
            most = o;
            best = &a;
        }
    return movedInto(strip, *best);
}

// --- The strip's hooks ---

bool Strip::keepReachable() {
    const Rect frame = face_.geometry();
    const std::vector<Screen> all = face_.screens();
    if (all.empty() || reachable(frame, all)) return false;
    const Rect to = movedInto(frame, all.front().workArea);
    if (to.left == frame.left && to.top == frame.top) return false;
    placeAt(to.left, to.top); // the program's own place, which the saves keep
    return true;
}

bool Strip::bringWholeOnScreen() {
    const Rect frame = face_.geometry();
    std::vector<Rect> areas;
    for (const Screen& s : face_.screens())
        areas.push_back(s.workArea);
    const Rect to = wholeOnScreen(frame, areas);
    if (to.left == frame.left && to.top == frame.top) return false;
    placeAt(to.left, to.top);
    return true;
}

} // namespace zrm58
