// Reading the settings into the strip and collecting them for a save.
#include "settings/IniConvert.h"
#include "settings/SettingsFile.h"
#include "settings/Utf.h"
#include "strip/SettingLimits.h"
#include "strip/Strip.h"
#include <cstdio>
#include <string>

namespace zrm58 {
namespace {

// UTF-8 text for a terminal line: control characters (a stored text may hold any) as \xNN.
std::string printable(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

FileStore& Strip::files() const {
    return services_.files ? *services_.files : systemFileStore();
}

void Strip::ReadIniFile() {
    try {
        ::zrm58::ReadIniFile(
            files(), services_.settingsPath, services_.localeSettings.decimalSep,
            [this](SettingKey key, const SettingValue& value) { applySetting(key, value); });
    } catch (const ConversionError& e) {
        // The box that follows names only the text; the terminal also learns where it is.
        std::fprintf(stderr, "zrm58: %s: [%s] %s: \"%s\" is not a colour\n",
                     printable(services_.settingsPath).c_str(),
                     printable(toUtf8(e.section())).c_str(), printable(toUtf8(e.key())).c_str(),
                     printable(toUtf8(e.storedText())).c_str());
        throw;
    }
}

// Applies one setting at once, as it is read: the window moves and resizes while later keys
// are still being read, and each size change runs the size guard.
void Strip::applySetting(SettingKey key, const SettingValue& value) {
    auto i = [&] { return std::get<std::int32_t>(value); };
    auto b = [&] { return std::get<bool>(value); };
    auto c = [&] { return std::get<std::uint32_t>(value); };
    auto s = [&] { return std::get<std::u16string>(value); };
    Rect frame = placed_;
    switch (key) {
    // Position, size and width factor are taken within what a screen can show (SettingLimits.h).
    case SettingKey::Top:
        if (limits::coordinate(i()) != frame.top) movedSinceCreation_ = true;
        frame.top = limits::coordinate(i());
        place(frame);
        break;
    case SettingKey::Left:
        if (limits::coordinate(i()) != frame.left) movedSinceCreation_ = true;
        frame.left = limits::coordinate(i());
        place(frame);
        break;
    case SettingKey::Height:
        resizeGuarded(frame.width, limits::size(i(), face_.desktopSize().height));
        break;
    case SettingKey::Width:
        resizeGuarded(limits::size(i(), face_.desktopSize().width), frame.height);
        break;
    case SettingKey::Original:
        MuWidth = limits::widthFactor(std::get<double>(value));
        break;
    case SettingKey::TopLevel:
        IsTop = b();
        break;
    case SettingKey::Opacity:
        Rectangle1.setOpacity(static_cast<float>(std::get<double>(value)));
        face_.repaintBackground();
        break;
    case SettingKey::TaskBar:
        isShowTask = b();
        break;
    case SettingKey::Bold:
        isBold = b();
        break;
    case SettingKey::FontColor:
        FontColor = c();
        break;
    case SettingKey::Family:
        FontFamilyName = s();
        break;
    case SettingKey::Shadow:
        isShadow = b();
        break;
    case SettingKey::ShadowColor:
        break; // saved, never loaded
    case SettingKey::Color1:
        BC0 = c();
        Rectangle1.fill.gradientColor0 = BC0;
        break;
    case SettingKey::Color2:
        BC1 = c();
        Rectangle1.fill.gradientColor1 = BC1;
        break;
    case SettingKey::Gradient:
        isGradient = b();
        break;
    case SettingKey::Direction:
        Direction = i();
        break;
    case SettingKey::Gazou:
        isGazou = b();
        break;
    case SettingKey::GazouFile:
        GazouFile = s();
        break;
    case SettingKey::Interval:
        setTimerInterval(i());
        break;
    case SettingKey::Format:
        DateFormatStr = s();
        break;
    case SettingKey::Sep:
        SepStr = s();
        break;
    }
}

StripSettings Strip::collectSettings() {
    // The strip's own frame, never what a window manager made of it (placedFrame). A negative
    // position is pulled back to the screen edge on every save.
    Rect frame = placed_;
    if (frame.top < 0) frame.top = 0, place(frame);
    if (frame.left < 0) frame.left = 0, place(frame);
    StripSettings v;
    v.top = frame.top;
    v.left = frame.left;
    v.height = frame.height;
    v.width = frame.width;
    v.original = MuWidth;
    v.topLevel = IsTop;
    v.opacity = Rectangle1.opacity();
    v.taskBar = isShowTask;
    v.bold = isBold;
    v.fontColor = FontColor;
    v.family = FontFamilyName;
    v.shadow = isShadow;
    v.shadowColor = ShadowEffect1.color;
    v.color1 = BC0;
    v.color2 = BC1;
    v.gradient = isGradient;
    v.direction = Direction;
    v.gazou = isGazou;
    v.gazouFile = GazouFile;
    v.interval = timerInterval_;
    v.format = DateFormatStr;
    v.sep = SepStr;
    return v;
}

void Strip::WriteIniFile() {
    ::zrm58::WriteIniFile(files(), services_.settingsPath, services_.localeSettings.decimalSep,
                          [this] { return collectSettings(); });
}

} // namespace zrm58
