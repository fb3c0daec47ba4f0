#pragma once
#include "platform/MessageDispatcher.h"
#include "settings/StripSettings.h"
#include "strip/SettingsModel.h"
#include "strip/StripControls.h"
#include "strip/StripFace.h"
#include "strip/StripServices.h"
#include <cstdint>
#include <string>

namespace zrm58 {

struct StripBinding;

// An error as the standard error dialog shows it: a full stop is appended when the text's last
// character lies above U+002E (so a text ending in "." or a space is left alone).
std::u16string withFullStop(std::u16string text);

// What the strip does, without a toolkit: the field set of the strip window `TForm1` and its
// controls as data, start-up, the tick, the settings file, closing, the appearance steps, the
// menu's commands, move and resize tracking and the size guard. A face (StripFace) draws it,
// feeds it input and carries out its window-system calls.
class Strip : public MessageHandler {
public:
    Strip(StripFace& face, const StripServices& services);
    ~Strip() override;
    Strip(const Strip&) = delete;
    Strip& operator=(const Strip&) = delete;

    StripFace& face() const { return face_; }
    const StripServices& services() const { return services_; }

    // --- Start-up and closing ---

    // Creation: the settings read and applied, registered for the session-end query, then the
    // size guard once. Throws the settings reader's ConversionError on a stored colour that
    // does not convert (the settings before it are applied, none after it).
    void FormCreate();
    // The first showing: centred on the primary screen when nothing moved the strip since its
    // creation, the window states set, then mapped.
    void showFirst();
    // Saves every setting. Throws SettingsFileError when the file cannot be read or written;
    // a negative position is pulled to 0 first (also when the save then fails to write).
    void WriteIniFile();
    // The close query: saves; true when the window may close. A failed save shows the error
    // dialog and returns false: the strip stays open with all its state.
    bool FormCloseQuery();
    // The session-end query: saves, and writes a failed save to standard error. Never refuses.
    void WMQueryEndSession(MessageRecord& message);
    // Whether the last session-end query's save succeeded (false before the first query), so
    // that an end after it reports a failed save.
    bool savedAtSessionEnd() const { return savedAtSessionEnd_; }

    // --- The tick ---

    // Date, memory and processor texts, then Label1's line and Label2's glyph; the face
    // repaints what changed.
    void Timer1Timer();
    void UpdateDateInfo();
    void UpdateMemoryInfo();
    void UpdateCpuInfo();
    // Timer1's interval in milliseconds; setting it restarts the face's timer only when it
    // changes (0 or below: no tick).
    int timerInterval() const { return timerInterval_; }
    void setTimerInterval(int ms);

    // --- Appearance steps ---

    void UpdateBackground();
    void applyStartWidth();
    void applyDialogWidth();
    void applyBold();
    void applyTextColours();
    void applyWindowStyle();
    void applyTaskBar();
    void applyFontFamily();
    void applyShadow(bool enabled);

    // --- The logical box (ScaledLayout1) ---

    // What a face draws: the controls below and their boxes, read-only.
    StripView view() const {
        return {Rectangle1, ScaledLayout1, Label1, Label2, SpeedButton1, ShadowEffect1};
    }
    // The box in the window's frame (StripFace::geometry), in window coordinates.
    BoxPlacement placement() const;
    RectF layoutRect() const { return placement().area; } // the window less the margin
    PointF toLayout(PointF windowPoint) const;
    PointF fromLayout(PointF layoutPoint) const;
    RectF speedButtonRect() const { return view().speedButtonRect(); } // in logical coordinates
    RectF label1Rect() const { return view().label1Rect(); }
    RectF label2Rect() const { return view().label2Rect(); }
    // The menu button's box in window coordinates, through the scaling of the logical box.
    RectF menuButtonBox() const;
    // The menu's top-left corner in window coordinates where it opens downward: the menu
    // button's bottom-left corner.
    PointF menuAnchor() const;

    // --- Menu and commands ---

    void SpeedButton1Click();
    void ResizeCmdExecute();
    // The settings command: fills the settings window's model, runs the window modally, then
    // copies the values back (unless its Close button already did).
    void SetCmdExecute();
    // The settings window's model: created with the strip, hidden between uses; its values
    // are what the window's controls last held.
    SettingsModel& settingsWindow() { return settingsWindow_; }
    void CloseCmdExecute();
    // ResizeMenu's checked state: the resize mode.
    bool resizeMode() const { return resizeMenuChecked_; }

    // --- Pointer tracking, in window coordinates ---

    enum class Tracking { None, Moving, Resizing, ButtonPress };
    // A press of any button. False when the strip does not take it (outside the logical box,
    // or while a tracking runs): the face passes it on.
    bool pointerPress(PointF windowPoint);
    void pointerMove(PointF windowPoint);
    void pointerRelease(PointF windowPoint);
    Tracking tracking() const { return tracking_; }

    // The size guard: at least 80 x 30. Runs after every size change, whoever made it.
    void FormResize();
    // Gives the window a size as the size guard leaves it, left and top kept: the window is
    // never asked for a size it cannot show (zero or below unmaps a window on X, and with it go
    // the pointer grab and the release that ends a drag).
    void resizeGuarded(int width, int height);
    // At a start without a settings file: widens the strip, as a width factor chosen in the
    // settings window would, when the first line does not fit on one line at the default width.
    void fitFirstLine();
    // Whether anything moved the strip since its creation (the first showing then keeps it).
    bool movedSinceCreation() const { return movedSinceCreation_; }
    // Moves the window to `left`, `top` as the program's own placement, which the next save keeps
    // like a drag: a face's correction when a screen changes or goes away.
    void placeAt(int left, int top);
    // The on-screen rule (strip/OnScreen.h) on the face's screens, each move a placeAt. When less
    // than a grip of the strip lies on any screen, it moves the least into the primary screen's
    // work area: at the first showing, and when a screen changes. True when it moved.
    bool keepReachable();
    // Moves the whole strip into the work area it overlaps most (the primary's when none): a
    // screen went away, another start asked it forward. True when it moved.
    bool bringWholeOnScreen();
    // The frame the strip itself last gave the window: the stored place and size, the centring at
    // the first showing, a drag, a resize, the width factor, the size guard on its own sizes, an
    // on-screen correction. The saves write this one. What the window system made of it (a tiling
    // window manager's size, a place it imposed instead of the one asked for) shows in the face's
    // geometry, which the strip draws and tracks the pointer in, and is never saved.
    const Rect& placedFrame() const { return placed_; }

    // --- Fields ---
    std::u16string dateInfo, cpuInfo, memoryInfo, CpuBusyInfo;
    bool isGazou = false;
    bool isGradient = false;
    bool isBold = false;
    bool IsTop = false;
    bool isShowTask = true;
    bool isShadow = true;
    std::u16string GazouFile;
    std::int32_t Direction = 0;
    std::uint32_t FontColor = 0xFF000000;
    std::uint32_t BC0 = 0xFFDCDCDC;
    std::uint32_t BC1 = 0xFFDCDCDC;
    std::string HomePath; // the settings file's directory, with its trailing separator
    std::u16string DateFormatStr{kDefaultDateFormat};
    std::u16string SepStr{kDefaultSeparator};
    std::int32_t OriginalWidth = 515;
    double MuWidth = 1.0;
    std::u16string FontFamilyName = u"Segoe UI";

    // --- Controls ---
    RoundedBox Rectangle1;
    ScaledArea ScaledLayout1;
    LineText Label1;
    LineText Label2;
    LineText SpeedButton1;
    TextShadow ShadowEffect1;

protected:
    const Table& messageTable() const override;

private:
    // The settings window's model reads and copies back the stored settings through their
    // bindings (strip/SettingBindings.h).
    friend class SettingsModel;

    void ReadIniFile();
    void applySetting(SettingKey key, const SettingValue& value);
    StripSettings collectSettings();
    // The value the strip holds for a setting.
    SettingValue setting(const StripBinding& binding) const;
    // The value into the setting's place, nothing else: a side of the frame waits for its
    // OnRead effect to be placed.
    void holdSetting(const StripBinding& binding, const SettingValue& value);
    // The binding's OnRead effect; `changed`: the value held differs from the one before.
    void takeEffect(const StripBinding& binding, bool changed);
    void ScaledLayout1MouseDown(PointF windowPoint);
    void ScaledLayout1MouseUp();
    bool overLayout(PointF windowPoint) const;
    // Gives the window `frame` and keeps it as the strip's own (placedFrame).
    void place(const Rect& frame);
    void setResizeMode(bool on);
    FileStore& files() const;

    StripFace& face_;
    StripServices services_;
    int timerInterval_ = StripFace::kDesignInterval;
    bool resizeMenuChecked_ = false;
    Tracking tracking_ = Tracking::None;
    PointF pressPoint_; // move tracking: the press point
    PointF lastPoint_;  // resize tracking: the last pointer position
    Size working_;      // resize tracking: unbounded, the guard applies to the window only
    bool movedSinceCreation_ = false;
    Rect placed_;             // placedFrame(); the face's design frame until FormCreate
    bool fitPending_ = false; // started without a settings file; the first line not yet fitted
    SettingsModel settingsWindow_{*this};
    bool settingsOpen_ = false; // the settings window runs: the command cannot run twice
    // Whether a failed read of the memory figures, of the processor counters, was reported: the
    // pieces show the figures of a failed read at every tick, standard error hears it once.
    bool memoryFailureSaid_ = false;
    bool savedAtSessionEnd_ = false;
    bool cpuFailureSaid_ = false;
};

} // namespace zrm58
