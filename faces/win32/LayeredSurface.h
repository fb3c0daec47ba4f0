#pragma once
#include <cstdint>
#include <optional>
#include <vector>
#include <windows.h>

namespace zrm58::win32face {

// The pixels of a layered window kept from one drawing to the next: a 32-bit top-down DIB
// section and its memory DC, made anew only for a new size, and a copy of what the window was
// last given, so that an update hands over only the box of what changed, and nothing when
// nothing did.
class LayeredSurface {
public:
    LayeredSurface() = default;
    ~LayeredSurface();
    LayeredSurface(const LayeredSurface&) = delete;
    LayeredSurface& operator=(const LayeredSurface&) = delete;

    // The pixels for a window of width x height (B G R A premultiplied, top-down rows), as
    // last drawn at that size; null when no bitmap could be made.
    std::uint32_t* pixels(int width, int height);
    // Hands the pixels to `window` at `at` (screen pixels): the whole bitmap after a new size,
    // a new place or forget(), else the box of the pixels that changed since the last update.
    void update(HWND window, POINT at);
    // The next update hands over the whole bitmap (the window may have lost what it was given).
    void forget() { shownAt_.reset(); }

private:
    void release();
    HDC memory_ = nullptr;
    HBITMAP dib_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0, height_ = 0;
    std::vector<std::uint32_t> shown_;
    std::optional<POINT> shownAt_;
};

// The smallest box (right and bottom exclusive) holding every pixel where `now` differs from
// `before`, both width x height; nothing when they are the same.
std::optional<RECT> changedBox(const std::uint32_t* before, const std::uint32_t* now, int width,
                               int height);

} // namespace zrm58::win32face
