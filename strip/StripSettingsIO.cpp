// Reading the settings into the strip and collecting them for a save.
#include "settings/IniConvert.h"
#include "settings/SettingsFile.h"
#include "settings/Utf.h"
#include "strip/SettingBindings.h"
#include "strip/Strip.h"
#include <algorithm>
#include <cstdio>
#include <string>
#include <type_traits>
#include <variant>

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

SettingValue Strip::setting(const StripBinding& b) const {
    return std::visit(
        Overloaded{[&](int Rect::*side) -> SettingValue { return std::int32_t{placed_.*side}; },
                   [&](ControlValue control) -> SettingValue {
                       switch (control) {
                       case ControlValue::Opacity:
                           return double{Rectangle1.opacity()};
                       case ControlValue::Interval:
                           return std::int32_t{timerInterval_};
                       case ControlValue::ShadowColour:
                           return ShadowEffect1.color;
                       }
                       return {};
                   },
                   [&](auto field) -> SettingValue { return this->*field; }},
        b.field);
}

void Strip::holdSetting(const StripBinding& b, const SettingValue& value) {
    std::visit(Overloaded{[&](int Rect::*side) { placed_.*side = std::get<std::int32_t>(value); },
                          [&](ControlValue control) {
                              switch (control) {
                              case ControlValue::Opacity:
                                  Rectangle1.setOpacity(
                                      static_cast<float>(std::get<double>(value)));
                                  break;
                              case ControlValue::Interval:
                                  setTimerInterval(std::get<std::int32_t>(value));
                                  break;
                              case ControlValue::ShadowColour:
                                  ShadowEffect1.color = std::get<std::uint32_t>(value);
                                  break;
                              }
                          },
                          [&](auto field) {
                              using T = std::remove_reference_t<decltype(this->*field)>;
                              this->*field = std::get<T>(value);
                          }},
               b.field);
}

void Strip::takeEffect(const StripBinding& b, bool changed) {
    switch (b.onRead) {
    case OnRead::Nothing:
        break;
    case OnRead::Place:
        if (changed) movedSinceCreation_ = true;
        place(placed_);
        break;
    case OnRead::Resize: {
        // No larger than the virtual desktop on the side's axis; the size guard takes care of
        // small and negative sizes.
        const Size desktop = face_.desktopSize();
        const Rect most{0, 0, desktop.width, desktop.height};
        const auto side = std::get<int Rect::*>(b.field);
        placed_.*side = std::min(placed_.*side, most.*side);
        resizeGuarded(placed_.width, placed_.height);
        break;
    }
    case OnRead::RepaintBackground:
        face_.repaintBackground();
        break;
    case OnRead::GradientStops:
        Rectangle1.fill.gradientColor0 = BC0;
        Rectangle1.fill.gradientColor1 = BC1;
        break;
    }
}

// Applies one setting at once, as it is read, within what the strip takes (the row's `held`
// limits): the window moves and resizes while later keys are still being read, and each size
// change runs the size guard.
void Strip::applySetting(SettingKey key, const SettingValue& value) {
    const StripBinding& b = stripBinding(key);
    const SettingValue taken = withinBounds(value, settingDef(key).held);
    const bool changed = setting(b) != taken;
    holdSetting(b, taken);
    takeEffect(b, changed);
}

StripSettings Strip::collectSettings() {
    // The strip's own frame, never what a window manager made of it (placedFrame). A value
    // beyond what a save stores (a negative position) is pulled within it in the strip too, on
    // every save: the window goes back to the screen edge.
    StripSettings v;
    for (const StripBinding& b : kStripBindings) {
        const SettingDef& def = settingDef(b.key);
        SettingValue value = setting(b);
        if (!def.saved.open()) {
            SettingValue within = withinBounds(value, def.saved);
            if (within != value) {
                holdSetting(b, within);
                takeEffect(b, false);
                value = std::move(within);
            }
        }
        ::zrm58::applySetting(v, b.key, value);
    }
    return v;
}

void Strip::WriteIniFile() {
    ::zrm58::WriteIniFile(files(), services_.settingsPath, services_.localeSettings.decimalSep,
                          [this] { return collectSettings(); });
}

} // namespace zrm58
