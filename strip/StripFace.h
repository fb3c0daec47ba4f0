#pragma once
// What the strip's behaviour needs from a face: the window system, drawing, the pointer, the
// timer and the dialogs. A face implements this once per toolkit (Qt on Linux, Win32 on
// Windows); tests use tests/fakes/FakeStripFace.h. All calls come on the user-interface thread.
// Unless a member says otherwise, a call must not call back into the Strip.
#include "strip/OnScreen.h"
#include "strip/StripGeometry.h"
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zrm58 {

class SettingsModel;

// The answer to the error box of a save that failed at the close.
enum class FailedSaveChoice { KeepRunning, EndWithoutSaving };
// That box's two buttons are TextId::KeepRunningButton (its default) and
// TextId::EndWithoutSavingButton, in this order.

class StripFace {
public:
    virtual ~StripFace() = default;

    // --- The window ---

    // The strip window's frame as last set (by setGeometry or by the window system), in
    // logical pixels of the desktop. Valid from the face's creation, before the window shows.
    // The strip draws and tracks the pointer in it, and never saves what the window system made
    // of its own frame (Strip::placedFrame).
    virtual Rect geometry() const = 0;
    // Moves and sizes the window; geometry() returns the new frame right after the call, even
    // before the window system carried it out. The size is the window's fixed size: the face
    // tells the window manager that the window is neither larger nor smaller (a tiling manager
    // then floats it). The face runs no size guard of its own: a size change that the window
    // system makes is reported with Strip::FormResize.
    virtual void setGeometry(const Rect& frame) = 0;
    // Whether the window system carries out the program's placement of its window; false where
    // the compositor places every window itself (a native Wayland session): the strip then starts
    // no move tracking, and the place it read at start is the one it saves.
    virtual bool placesWindow() const { return true; }
    // The size of the virtual desktop (all screens together), at least 80 x 30.
    virtual Size desktopSize() const = 0;
    // The primary screen's area, for centring the strip at its first showing; std::nullopt
    // when there is no screen.
    virtual std::optional<Rect> primaryScreen() const = 0;
    // The usable area (without task bars and docks) of the screen the strip is on, else of the
    // primary screen; std::nullopt when there is no screen.
    virtual std::optional<Rect> workArea() const { return primaryScreen(); }
    // Every screen's geometry and work area, the primary first; none when there is no screen
    // (the strip then leaves its place alone).
    virtual std::vector<Screen> screens() const { return {}; }
    // Creates the native window without mapping it, so that the stay-on-top and task-bar
    // states set next reach the window system before it first manages the strip.
    virtual void createWindow() = 0;
    // Maps the window (its first showing).
    virtual void showWindow() = 0;
    // Keeps the window above normal windows (true) or not; setting the current state is a no-op.
    virtual void setStaysOnTop(bool on) = 0;
    // Shows (true) or removes (false) the program's task-bar button while the strip stays.
    virtual void setTaskBarButton(bool shown) = 0;
    // Asks for the window to close, later, through the face's close path, which calls
    // Strip::FormCloseQuery and closes only when it returns true.
    virtual void requestClose() = 0;

    // --- Drawing ---
    // What to draw is Strip::view(): the controls and their boxes, read-only.

    // Everything may look different: repaint the whole window at the next paint.
    virtual void repaint() = 0;
    // Rectangle1's fill, outline, opacity or picture changed: redraw the background.
    virtual void repaintBackground() = 0;
    // Label1's text changed: repaint what that changes (the whole window is always a right
    // answer; a face that repaints only the changed glyphs keeps the text it showed before).
    virtual void repaintLine() = 0;
    // Label2's glyph changed: repaint its box.
    virtual void repaintGlyph() = 0;
    // The width, in logical units of the scaled layout, that `text` takes on one line in
    // Label1's font (family, size, weight). 0 when the face cannot tell: the strip then never
    // widens itself to its first line.
    virtual double lineWidth(std::u16string_view text) const {
        (void)text;
        return 0;
    }
    // Decodes `bytes`, the whole content of the picture file `path` (UTF-8), as the background
    // picture, which the face then draws stretched for the Bitmap fill until the next picture.
    // False when no picture can be decoded from them: the previous picture stays.
    virtual bool loadBackgroundPicture(const std::string& path, std::string_view bytes) = 0;

    // --- Pointer and menu ---

    // Captures the pointer (true), so that moves and the release reach the strip wherever the
    // pointer is, or releases it (false).
    virtual void capturePointer(bool on) = 0;
    // The diagonal sizing pointer shape while resizing (true), the normal one after (false).
    virtual void setSizingPointer(bool on) = 0;
    // Opens the popup menu for the menu button whose box is `button` (window coordinates; the
    // face maps them to the screen): below the box's bottom-left corner, or above its top-left
    // one where the screen has no room below, as menuFrame (strip/MenuPlacement.h) places it.
    // The resize item is checked while Strip::resizeMode() is on.
    // Returns at once; the chosen item arrives later as ResizeCmdExecute, SetCmdExecute or
    // CloseCmdExecute.
    virtual void openMenu(const RectF& button) = 0;

    // --- Timer ---

    // The tick's timer: a repeating timer that calls Strip::Timer1Timer every `ms`
    // milliseconds, restarted by this call; 0 or below stops it. The face starts it with
    // kDesignInterval at its creation; the strip calls this only when the interval changes.
    virtual void setTimerInterval(int ms) = 0;
    static constexpr int kDesignInterval = 1000;
    // The end of every tick, after its repaint calls: a face whose other parts follow the tick
    // (a details panel) refreshes them here. May be left as it is.
    virtual void ticked() {}

    // --- Dialogs ---

    // The standard error dialog: error icon, `text` as given (the full stop already there),
    // one OK button; modal, returns when dismissed. Ticks go on meanwhile.
    virtual void showError(std::u16string_view text) = 0;
    // The error dialog of a save that failed at the close: error icon, `text` as given, and the
    // buttons TextId::KeepRunningButton (the default; Escape and the box's close give it too)
    // and TextId::EndWithoutSavingButton. Modal, returns the user's choice. Ticks go on meanwhile.
    virtual FailedSaveChoice showFailedSaveAtClose(std::u16string_view text) {
        showError(text);
        return FailedSaveChoice::KeepRunning;
    }
    // The font families installed on the machine, in any order, for the settings window's font
    // list after its fixed entries; none when the face offers only the fixed ones.
    virtual std::vector<std::u16string> installedFontFamilies() const { return {}; }
    // Shows the settings window modally, filled from `model`, and returns when it has closed.
    // While it is open its controls' handlers call the model's (BoldCheckChange, ...,
    // CloseBtnClick, which may call back into the Strip and this face); a true CloseBtnClick
    // closes it. Before returning, the window's values are written into `model`.
    virtual void runSettingsWindow(SettingsModel& model) = 0;
    // The system's file-open dialog: all files, no title, no starting folder (it may remember
    // the last one). The chosen file's full path, or std::nullopt when the user cancelled.
    virtual std::optional<std::u16string> openFileDialog() = 0;
};

} // namespace zrm58
