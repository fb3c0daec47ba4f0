#pragma once
#include "faces/win32/StripPainter.h"
#include "platform/MessageDispatcher.h"
#include "platform/Platform.h"
#include "settings/StripSettings.h"
#include "status/DateTimeFormat.h"
#include <string>
#include <windows.h>

namespace zrm58::win32face {

// What the strip reads from the outside world; main() fills it from the platform backend.
struct StripServices {
    const Clock* clock = nullptr;
    const AltCalendar* altCalendar = nullptr;
    const MemorySource* memory = nullptr;
    LocaleFormatSettings localeSettings;
    StartupLocale startupLocale;
    std::string settingsPath; // the settings file, UTF-8
};

// A message that another start of the program posts to the running strip: come forward.
inline constexpr UINT kMsgComeForward = WM_APP + 1;
inline constexpr wchar_t kStripClass[] = L"ZRM58Strip";

// The strip: a layered pop-up window (per-pixel alpha through UpdateLayeredWindow) titled
// "ZRM58", with the menu button at its left end, the line and the load glyph. Presses anywhere
// else move it, or resize it while the resize mode is on, with the pointer captured.
class StripWindow : public MessageHandler {
public:
    StripWindow(HINSTANCE instance, const StripServices& services);
    ~StripWindow() override;

    // Reads and applies the settings; throws ConversionError for a stored colour that does
    // not convert (nothing is shown then).
    void FormCreate();
    // Shows the strip where the settings put it (centred when they say 0, 0) and starts ticking.
    void showFirst();
    // Saves every setting; throws SettingsFileError.
    void WriteIniFile();
    void Timer1Timer();
    HWND handle() const { return hwnd_; }
    void WMQueryEndSession(MessageRecord& message);

protected:
    const Table& messageTable() const override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // True when the message was handled here; false passes it to DefWindowProcW.
    bool handle(UINT msg, WPARAM wp, LPARAM lp);
    void present();
    void sceneFromSettings();
    void setIntervalMs(int ms);
    void FormResize();
    void onPress(int x, int y);
    void onMove(int x, int y);
    void onRelease(int x, int y);
    void openMenu();
    void closeQuery();
    void comeForward();
    void applyWindowStyle();

    const StripServices& services_;
    HWND hwnd_ = nullptr;
    StripSettings settings_; // every stored value; left/top/width/height are the window's
    StripScene scene_;
    int intervalMs_ = 0; // the running timer's period; 0: no timer
    bool resizeMode_ = false;
    enum class Tracking { None, Moving, Resizing, ButtonPress } tracking_ = Tracking::None;
    POINT pressPoint_{}; // move tracking: the press point in window coordinates
    POINT lastPoint_{};  // resize tracking: the last pointer position in window coordinates
    int workingWidth_ = 0, workingHeight_ = 0;
};

} // namespace zrm58::win32face
