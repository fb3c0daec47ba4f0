// Reading the settings into the strip and collecting them for a save.
#include "app/QtText.h"
#include "app/SettingLimits.h"
#include "app/Unit1.h"
#include "settings/SettingsFile.h"

namespace zrm58 {

void TForm1::ReadIniFile() {
    ::zrm58::ReadIniFile(
        services_.settingsPath, services_.localeSettings.decimalSep,
        [this](SettingKey key, const SettingValue& value) { applySetting(key, value); });
}

// Applies one setting at once, as it is read: the window moves and resizes while later keys
// are still being read, and each size change runs the size guard.
void TForm1::applySetting(SettingKey key, const SettingValue& value) {
    auto i = [&] { return std::get<std::int32_t>(value); };
    auto b = [&] { return std::get<bool>(value); };
    auto c = [&] { return static_cast<QRgb>(std::get<std::uint32_t>(value)); };
    auto s = [&] { return toQString(std::get<std::u16string>(value)); };
    switch (key) {
    // Position, size and width factor are taken within what a screen can show (SettingLimits.h).
    case SettingKey::Top:
        if (limits::coordinate(i()) != y()) movedSinceCreation_ = true;
        move(x(), limits::coordinate(i()));
        break;
    case SettingKey::Left:
        if (limits::coordinate(i()) != x()) movedSinceCreation_ = true;
        move(limits::coordinate(i()), y());
        break;
    case SettingKey::Height:
        resizeGuarded(width(), limits::size(i(), limits::desktopSize().height()));
        break;
    case SettingKey::Width:
        resizeGuarded(limits::size(i(), limits::desktopSize().width()), height());
        break;
    case SettingKey::Original:
        MuWidth = limits::widthFactor(std::get<double>(value));
        break;
    case SettingKey::TopLevel:
        IsTop = b();
        break;
    case SettingKey::Opacity:
        Rectangle1.setOpacity(static_cast<float>(std::get<double>(value)));
        invalidateBackground();
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
        Timer1->setInterval(i());
        break;
    case SettingKey::Format:
        DateFormatStr = s();
        break;
    case SettingKey::Sep:
        SepStr = s();
        break;
    }
}

StripSettings TForm1::collectSettings() {
    // A negative position is pulled back to the screen edge on every save.
    if (y() < 0) move(x(), 0);
    if (x() < 0) move(0, y());
    StripSettings v;
    v.top = y();
    v.left = x();
    v.height = height();
    v.width = width();
    v.original = MuWidth;
    v.topLevel = IsTop;
    v.opacity = Rectangle1.opacity();
    v.taskBar = isShowTask;
    v.bold = isBold;
    v.fontColor = FontColor;
    v.family = toU16(FontFamilyName);
    v.shadow = isShadow;
    v.shadowColor = ShadowEffect1.color;
    v.color1 = BC0;
    v.color2 = BC1;
    v.gradient = isGradient;
    v.direction = Direction;
    v.gazou = isGazou;
    v.gazouFile = toU16(GazouFile);
    v.interval = Timer1->interval();
    v.format = toU16(DateFormatStr);
    v.sep = toU16(SepStr);
    return v;
}

void TForm1::WriteIniFile() {
    ::zrm58::WriteIniFile(services_.settingsPath, services_.localeSettings.decimalSep,
                          [this] { return collectSettings(); });
}

} // namespace zrm58
