#pragma once
#include "faces/win32/LayeredSurface.h"
#include "strip/DetailsHover.h"
#include <cstdint>
#include <vector>
#include <windows.h>

namespace zrm58::win32face {

// The details on hover (strip/DetailsHover.h) in a layered window: the details as text lines in
// the strip's colours, opacity and font. It takes no input and never the focus. Its rest timer
// is the strip window's timer kRestTimer, which the strip window hands to hover().restElapsed.
class DetailsPanel final : private DetailsPanelFace {
public:
    static constexpr UINT_PTR kRestTimer = 2;

    DetailsPanel(const Strip& strip, HWND stripWindow, ProcessSource& processes,
                 SystemDetailsSource& source, char16_t decimalSep);
    ~DetailsPanel() override;

    DetailsHover& hover() { return hover_; }

private:
    void startRestTimer(int ms) override;
    void stopRestTimer() override;
    bool buttonHeld() const override;
    Size setDetails(const DetailsSnapshot& snapshot) override;
    void showAt(const Rect& frame) override;
    void hidePanel() override;
    // Device pixels per logical pixel, on the strip's monitor.
    double scale() const;

    const Strip& strip_;
    HWND owner_;
    HWND hwnd_ = nullptr;
    char16_t decimalSep_;
    std::vector<std::uint32_t> pixels_; // the panel as setDetails drew it, premultiplied ARGB
    int width_ = 0, height_ = 0;        // its size in device pixels
    LayeredSurface surface_;            // what the window was handed
    DetailsHover hover_;                // last: made when the window is, gone before it
};

} // namespace zrm58::win32face
