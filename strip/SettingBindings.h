#pragma once
// The strip's half of each declared setting (settings/StripSettings.h): where the strip holds
// it, what taking it from the file does at once, and which control of the settings window shows
// it. One row per setting, in the declaration's order; the reading, the collecting for a save,
// the settings window's fill and its copy-back all walk these rows.
#include "settings/StripSettings.h"
#include "strip/SettingsModel.h"
#include "strip/Strip.h"
#include "strip/StripGeometry.h"
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

namespace zrm58 {

// A value of one of the strip's controls.
enum class ControlValue {
    Opacity,      // Rectangle1's, 0..1 in single precision
    Interval,     // Timer1's, in ms: a change restarts the timer
    ShadowColour, // ShadowEffect1's
};

// Where the strip holds a setting: one of its fields, a side of its own frame (placedFrame),
// or a value of one of its controls.
using StripField =
    std::variant<bool Strip::*, std::int32_t Strip::*, std::uint32_t Strip::*, double Strip::*,
                 std::u16string Strip::*, int Rect::*, ControlValue>;

// What taking a stored value does at once, beyond holding it. The reader hands the values one
// by one: the window moves and resizes while later keys are still being read.
enum class OnRead {
    Nothing,
    Place,             // the frame placed at the side's new value; a change counts as a move
    Resize,            // the side kept within the desktop's, then the size guard resizes
    RepaintBackground, // the opacity is applied when the background is drawn
    GradientStops,     // Rectangle1's gradient stops follow BC0 and BC1
};

// How the settings window's control shows a setting.
enum class Shown {
    Not,           // no control: the setting is not in the window
    Same,          // the value itself
    ByHandler,     // the value; the control's change handler writes the strip's field at once
    Seconds,       // milliseconds as whole seconds within the range (halves to the even one)
    KeptFraction,  // a fractional box within the range; an untouched value comes back as given
    Index,         // a list's index as given, a negative one as -1
    FontFamilyRow, // the family's row in the font list; none selected keeps the strip's family
};

// The appearance step the copy-back runs once its values are back; each runs at most once, in
// this order.
enum class Restyle {
    Nothing,
    Background, // the background repainted, for the opacity
    DialogWidth,
    Bold,
    TextColours,
    Fill, // UpdateBackground
    WindowStyle,
    FontFamily,
};

using ModelField = std::variant<std::monostate, bool SettingsModel::*,
                                std::int32_t SettingsModel::*, std::uint32_t SettingsModel::*,
                                double SettingsModel::*, std::u16string SettingsModel::*>;

struct StripBinding {
    SettingKey key;
    StripField field;
    OnRead onRead = OnRead::Nothing;
    ModelField control{};
    Shown shown = Shown::Not;
    SettingsModel::Box box{}; // the box of a KeptFraction
    Restyle restyle = Restyle::Nothing;
};

// clang-format off
inline constexpr std::array<StripBinding, kSettingDefs.size()> kStripBindings{{
    {.key = SettingKey::Top, .field = &Rect::top, .onRead = OnRead::Place},
    {.key = SettingKey::Left, .field = &Rect::left, .onRead = OnRead::Place},
    {.key = SettingKey::Height, .field = &Rect::height, .onRead = OnRead::Resize},
    {.key = SettingKey::Width, .field = &Rect::width, .onRead = OnRead::Resize},
    {.key = SettingKey::Original, .field = &Strip::MuWidth,
     .control = &SettingsModel::OrgWidthSpin, .shown = Shown::KeptFraction,
     .box = SettingsModel::Box::WidthFactor, .restyle = Restyle::DialogWidth},
    {.key = SettingKey::TopLevel, .field = &Strip::IsTop,
     .control = &SettingsModel::TopCheck, .shown = Shown::ByHandler,
     .restyle = Restyle::WindowStyle},
    {.key = SettingKey::Opacity, .field = ControlValue::Opacity,
     .onRead = OnRead::RepaintBackground,
     .control = &SettingsModel::OpSpin, .shown = Shown::KeptFraction,
     .box = SettingsModel::Box::Opacity, .restyle = Restyle::Background},
    // Taken at start only: a change in the settings window takes effect at the next start.
    {.key = SettingKey::TaskBar, .field = &Strip::isShowTask,
     .control = &SettingsModel::ShowTaskCheck, .shown = Shown::Same},
    {.key = SettingKey::Bold, .field = &Strip::isBold,
     .control = &SettingsModel::BoldCheck, .shown = Shown::ByHandler, .restyle = Restyle::Bold},
    {.key = SettingKey::FontColor, .field = &Strip::FontColor,
     .control = &SettingsModel::FontColorBox1, .shown = Shown::Same,
     .restyle = Restyle::TextColours},
    {.key = SettingKey::Family, .field = &Strip::FontFamilyName,
     .control = &SettingsModel::ComboBox1, .shown = Shown::FontFamilyRow,
     .restyle = Restyle::FontFamily},
    // The shadow itself is switched at once by the check box's handler.
    {.key = SettingKey::Shadow, .field = &Strip::isShadow,
     .control = &SettingsModel::ShadowCheck, .shown = Shown::Same},
    {.key = SettingKey::ShadowColor, .field = ControlValue::ShadowColour},
    {.key = SettingKey::Color1, .field = &Strip::BC0, .onRead = OnRead::GradientStops,
     .control = &SettingsModel::ComboColorBox1, .shown = Shown::Same, .restyle = Restyle::Fill},
    {.key = SettingKey::Color2, .field = &Strip::BC1, .onRead = OnRead::GradientStops,
     .control = &SettingsModel::ComboColorBox2, .shown = Shown::Same, .restyle = Restyle::Fill},
    {.key = SettingKey::Gradient, .field = &Strip::isGradient,
     .control = &SettingsModel::GraCheck, .shown = Shown::Same, .restyle = Restyle::Fill},
    {.key = SettingKey::Direction, .field = &Strip::Direction,
     .control = &SettingsModel::DirectionBox1, .shown = Shown::Index, .restyle = Restyle::Fill},
    {.key = SettingKey::Gazou, .field = &Strip::isGazou,
     .control = &SettingsModel::GazouCheck, .shown = Shown::Same, .restyle = Restyle::Fill},
    // Chosen through the window's file button, which writes the strip's field at once.
    {.key = SettingKey::GazouFile, .field = &Strip::GazouFile},
    {.key = SettingKey::Interval, .field = ControlValue::Interval,
     .control = &SettingsModel::SpinBox1, .shown = Shown::Seconds},
    // Both texts as typed, without any check; the next tick shows them.
    {.key = SettingKey::Format, .field = &Strip::DateFormatStr,
     .control = &SettingsModel::Edit1, .shown = Shown::Same},
    {.key = SettingKey::Sep, .field = &Strip::SepStr,
     .control = &SettingsModel::Edit2, .shown = Shown::Same},
}};
// clang-format on

constexpr bool bindingsInKeyOrder() {
    for (std::size_t i = 0; i < kStripBindings.size(); ++i)
        if (kStripBindings[i].key != kSettingDefs[i].key) return false;
    return true;
}
static_assert(bindingsInKeyOrder(), "kStripBindings: one row per declared setting, in its order");

constexpr const StripBinding& stripBinding(SettingKey key) {
    return kStripBindings[static_cast<std::size_t>(key)];
}

// A visitor of the bindings' variants from one lambda per kind.
template <typename... F> struct Overloaded : F... { using F::operator()...; };
// Spelled out for compilers without aggregate deduction (clang before 17, the fuzz build's).
template <typename... F> Overloaded(F...) -> Overloaded<F...>;

} // namespace zrm58
