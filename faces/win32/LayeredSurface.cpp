#include "faces/win32/LayeredSurface.h"
#include <algorithm>

namespace zrm58::win32face {

std::optional<RECT> changedBox(const std::uint32_t* before, const std::uint32_t* now, int width,
                               int height) {
    LONG left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* a = before + static_cast<std::size_t>(y) * width;
        const std::uint32_t* b = now + static_cast<std::size_t>(y) * width;
        if (std::equal(a, a + width, b)) continue;
        top = std::min<LONG>(top, y);
        bottom = y;
        for (int x = 0; x < width; ++x)
            if (a[x] != b[x]) {
                left = std::min<LONG>(left, x);
                right = std::max<LONG>(right, x);
            }
    }
    if (bottom < 0) return std::nullopt;
    return RECT{left, top, right + 1, bottom + 1};
}

LayeredSurface::~LayeredSurface() {
    release();
}

void LayeredSurface::release() {
    if (memory_ && old_) SelectObject(memory_, old_);
    if (dib_) DeleteObject(dib_);
    if (memory_) DeleteDC(memory_);
    memory_ = nullptr;
    dib_ = nullptr;
    old_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = 0;
    shown_.clear();
    shownAt_.reset();
}

std::uint32_t* LayeredSurface::pixels(int width, int height) {
    if (bits_ && width == width_ && height == height_) return bits_;
    release();
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, as the painter writes
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    memory_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    dib_ = memory_ ? CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (!dib_) {
        release();
        return nullptr;
    }
    old_ = SelectObject(memory_, dib_);
    bits_ = static_cast<std::uint32_t*>(bits);
    width_ = width;
    height_ = height;
    return bits_;
}

void LayeredSurface::update(HWND window, POINT at) {
    if (!bits_) return;
    const std::size_t count = static_cast<std::size_t>(width_) * height_;
    const bool whole = !shownAt_ || shownAt_->x != at.x || shownAt_->y != at.y;
    std::optional<RECT> dirty;
    if (!whole) {
        dirty = changedBox(shown_.data(), bits_, width_, height_);
        if (!dirty) return; // the window shows these pixels already
    }
    POINT origin{0, 0};
    SIZE size{width_, height_};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    // The whole bitmap goes without a dirty box: the window may take a new size with it. No
    // screen DC: it would only give the palette, which a 32-bit bitmap does not use.
    UPDATELAYEREDWINDOWINFO info{
        sizeof info, nullptr, &at,    &size,     memory_,
        &origin,     0,       &blend, ULW_ALPHA, dirty ? &*dirty : nullptr};
    bool done = UpdateLayeredWindowIndirect(window, &info);
    if (!done && dirty) { // refused with a box: the whole, as always works
        info.prcDirty = nullptr;
        done = UpdateLayeredWindowIndirect(window, &info);
    }
    if (done) {
        shown_.assign(bits_, bits_ + count);
        shownAt_ = at;
    } else {
        shownAt_.reset();
    }
}

} // namespace zrm58::win32face
