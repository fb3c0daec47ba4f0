#pragma once
#include "strip/SettingsModel.h"
#include "strip/StripFace.h"
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace zrm58::fakes {

// A face without a window: the frame is a plain rectangle, every call is logged in `calls`
// ("geometry 200,200 523x40", "top 1", "taskbar 0", "capture 1", "sizing 1", "menu 0,38",
// "timer 2000", "error <text>", "failed save at close", "settings", "file dialog",
// "close", "create", "show", "repaint", "background", "line", "glyph", "picture <path>"), and
// switches decide every answer that may fail.
class FakeStripFace : public StripFace {
public:
    Rect frame{0, 0, 525, 43}; // the design frame
    Size desktop{1920, 1080};
    std::optional<Rect> screen = Rect{0, 0, 1920, 1080}; // std::nullopt: no screen at all
    // The screens, the primary first; std::nullopt: the one screen `screen`, all of it usable.
    std::optional<std::vector<Screen>> screenList;
    bool pictureDecodes = true;    // false: every picture is undecodable
    bool compositorPlaces = false; // true: the compositor places the window (native Wayland)
    double unitWidth = 0;          // lineWidth: per UTF-16 unit; 0: the face cannot measure text
    Size smallestSet{1 << 30, 1 << 30};       // the smallest width and height setGeometry was given
    std::optional<std::u16string> chosenFile; // std::nullopt: the dialog is cancelled
    std::vector<std::u16string> installedFamilies; // installedFontFamilies
    // The answer to the error box of a save that failed at the close.
    FailedSaveChoice failedSaveAnswer = FailedSaveChoice::KeepRunning;
    // Plays the user while the settings window is open; runs with the filled model.
    std::function<void(SettingsModel&)> onSettingsWindow;

    std::vector<std::string> calls;
    std::vector<std::u16string> errors; // the texts the error dialog showed
    std::string picturePath;            // the last picture decoded
    int timerInterval = kDesignInterval;
    int ticks = 0;
    bool staysOnTop = false;
    bool taskBarButton = true;
    bool captured = false;
    bool sizingPointer = false;
    RectF menuButton; // the button's box the menu last opened for

    Rect geometry() const override { return frame; }
    void setGeometry(const Rect& r) override {
        frame = r;
        smallestSet = {std::min(smallestSet.width, r.width),
                       std::min(smallestSet.height, r.height)};
        log("geometry " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
            std::to_string(r.width) + "x" + std::to_string(r.height));
    }
    Size desktopSize() const override { return desktop; }
    std::optional<Rect> primaryScreen() const override { return screen; }
    std::optional<Rect> workArea() const override {
        if (screenList)
            return screenList->empty() ? std::nullopt : std::optional(screenList->front().workArea);
        return screen;
    }
    std::vector<Screen> screens() const override {
        if (screenList) return *screenList;
        return screen ? std::vector<Screen>{{*screen, *screen}} : std::vector<Screen>{};
    }
    bool placesWindow() const override { return !compositorPlaces; }
    void createWindow() override { log("create"); }
    void showWindow() override { log("show"); }
    void setStaysOnTop(bool on) override {
        staysOnTop = on;
        log("top " + std::to_string(on));
    }
    void setTaskBarButton(bool shown) override {
        taskBarButton = shown;
        log("taskbar " + std::to_string(shown));
    }
    void requestClose() override { log("close"); }

    void repaint() override { log("repaint"); }
    void repaintBackground() override { log("background"); }
    void repaintLine() override { log("line"); }
    void repaintGlyph() override { log("glyph"); }
    double lineWidth(std::u16string_view text) const override {
        return unitWidth * static_cast<double>(text.size());
    }
    bool loadBackgroundPicture(const std::string& path, std::string_view) override {
        if (!pictureDecodes) return false;
        picturePath = path;
        log("picture " + path);
        return true;
    }

    void capturePointer(bool on) override {
        captured = on;
        log("capture " + std::to_string(on));
    }
    void setSizingPointer(bool on) override {
        sizingPointer = on;
        log("sizing " + std::to_string(on));
    }
    // Logs the button's bottom-left corner, where the menu opens downward.
    void openMenu(const RectF& b) override {
        menuButton = b;
        log("menu " + number(b.x) + "," + number(b.y + b.height));
    }
    void setTimerInterval(int ms) override {
        timerInterval = ms;
        log("timer " + std::to_string(ms));
    }

    void ticked() override { ++ticks; }

    void showError(std::u16string_view text) override {
        errors.emplace_back(text);
        log("error");
    }
    std::vector<std::u16string> installedFontFamilies() const override { return installedFamilies; }
    FailedSaveChoice showFailedSaveAtClose(std::u16string_view text) override {
        errors.emplace_back(text);
        log("failed save at close");
        return failedSaveAnswer;
    }
    void runSettingsWindow(SettingsModel& model) override {
        log("settings");
        if (onSettingsWindow) onSettingsWindow(model);
    }
    std::optional<std::u16string> openFileDialog() override {
        log("file dialog");
        return chosenFile;
    }

    // Whether `call` was logged since the last clear.
    bool called(const std::string& call) const {
        for (const std::string& c : calls)
            if (c == call) return true;
        return false;
    }

private:
    void log(std::string call) { calls.push_back(std::move(call)); }
    static std::string number(double v) {
        std::string s = std::to_string(v);
        s.erase(s.find_last_not_of('0') + 1);
        if (!s.empty() && s.back() == '.') s.pop_back();
        return s;
    }
};

} // namespace zrm58::fakes
