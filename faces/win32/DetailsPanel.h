#pragma once
#include "status/SystemDetails.h"
#include <chrono>
#include <string>
#include <vector>
#include <windows.h>

namespace zrm58 {
class Strip;
}

namespace zrm58::win32face {

// The details on hover: when the pointer rests about 0.7 s on the strip's line or glyph (not on
// the menu button, no button held), a layered panel in the strip's colours, opacity and font
// appears below the strip (above it when there is no room), with the details as text lines. It
// follows every tick while shown and goes when the pointer leaves or a button is pressed. It
// takes no input and never the focus. While hidden, nothing of it runs but the rest timer.
class DetailsPanel {
public:
    static constexpr UINT kRestMs = 700;

    DetailsPanel(Strip& strip, HWND stripWindow, ProcessSource& processes,
                 SystemDetailsSource& source, char16_t decimalSep);
    ~DetailsPanel();

    // The strip's pointer moved, over the hover area or not, with or without a button.
    void pointerMoved(bool inHoverArea, bool buttonHeld);
    // The rest timer (the strip window's timer kRestTimer) fired.
    void restElapsed();
    // The pointer left the strip or a button was pressed.
    void hide();
    // After the strip's tick: the new figures, when shown.
    void ticked();
    bool shown() const { return shown_; }
    static constexpr UINT_PTR kRestTimer = 2;

private:
    void show();
    void refresh();
    double now() const;

    Strip& strip_;
    HWND owner_;
    HWND hwnd_ = nullptr;
    ProcessSource& processes_;
    SystemDetails details_;
    char16_t decimalSep_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace zrm58::win32face
