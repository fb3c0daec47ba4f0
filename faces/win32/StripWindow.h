#pragma once
#include "faces/win32/BackgroundPicture.h"
#include "faces/win32/DetailsPanel.h"
#include "faces/win32/LayeredSurface.h"
#include "faces/win32/StripPainter.h"
#include "strip/StripFace.h"
#include <memory>
#include <windows.h>

namespace zrm58 {
class Strip;
}

namespace zrm58::win32face {

// A message that another start of the program posts to the running strip: come forward.
inline constexpr UINT kMsgComeForward = WM_APP + 1;
inline constexpr wchar_t kStripClass[] = L"ZRM58Strip";

// The strip's Win32 face: a layered pop-up window titled "ZRM58" whose pixels (per-pixel alpha)
// are handed over with UpdateLayeredWindow. It draws what the Strip holds, feeds it the pointer
// and the timer, and carries out its window-system calls; the behaviour is the Strip's.
class StripWindow : public StripFace {
public:
    explicit StripWindow(HINSTANCE instance);
    ~StripWindow() override;
    // The behaviour this window shows; set once, before anything is shown.
    void attach(Strip& strip) { strip_ = &strip; }
    // The details on hover, over these sources; without this call the strip shows no panel.
    void enableDetails(ProcessSource& processes, SystemDetailsSource& source, char16_t decimalSep);
    HWND handle() const { return hwnd_; }

    // StripFace
    Rect geometry() const override { return frame_; }
    void setGeometry(const Rect& frame) override;
    Size desktopSize() const override;
    std::optional<Rect> primaryScreen() const override;
    std::optional<Rect> workArea() const override;
    std::vector<Screen> screens() const override;
    void createWindow() override;
    void showWindow() override;
    void setStaysOnTop(bool on) override;
    void setTaskBarButton(bool shown) override;
    void requestClose() override;
    void repaint() override { schedulePresent(); }
    void repaintBackground() override { schedulePresent(); }
    void repaintLine() override { schedulePresent(); }
    void repaintGlyph() override { schedulePresent(); }
    double lineWidth(std::u16string_view text) const override;
    bool loadBackgroundPicture(const std::string& path, std::string_view bytes) override;
    void capturePointer(bool on) override;
    void setSizingPointer(bool on) override;
    void openMenu(const RectF& button) override;
    void setTimerInterval(int ms) override;
    void showError(std::u16string_view text) override;
    FailedSaveChoice showFailedSaveAtClose(std::u16string_view text) override;
    void runSettingsWindow(SettingsModel& model) override;
    std::optional<std::u16string> openFileDialog() override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // True when the message was handled here; false passes it to DefWindowProcW.
    bool handle(UINT msg, WPARAM wp, LPARAM lp);
    void schedulePresent();
    // Draws the strip and hands the pixels, position and size to the window system.
    void present();
    // What to draw (the attached strip's); without the picture for a measurement.
    StripScene scene(bool withPicture = true) const;
    // The rectangle inside the margin in window pixels, where the picture is drawn.
    static void pictureSize(const StripScene& s, int& width, int& height);
    PointF windowPoint(LPARAM lp) const;
    // Pixels per logical pixel on the strip's monitor (per-monitor DPI awareness), and the
    // frame in pixels.
    double scale() const;
    RECT pixels() const;
    // A rectangle of screen pixels in logical pixels, at the strip's scale.
    Rect logical(const RECT& r) const;
    // Runs the menu for the button box openMenu kept (menuButton_, screen pixels).
    void runMenu();
    // The pointer moved to `p` (window coordinates): the details panel's rest or its end.
    void hover(PointF p, WPARAM buttons);

    HWND hwnd_ = nullptr;
    Strip* strip_ = nullptr;
    // The design frame until the settings move and size it; logical pixels of the desktop.
    Rect frame_{0, 0, 525, 43};
    bool presentPending_ = false;
    bool sizing_ = false;
    // Drawn at the size of the rectangle inside the margin; scene() rescales it on a resize.
    mutable BackgroundPicture picture_;
    // The drawing kept from one present to the next: the background, the window's pixels.
    StripPainter painter_;
    LayeredSurface surface_;
    RECT menuButton_{};
    std::unique_ptr<DetailsPanel> details_;
};

} // namespace zrm58::win32face
