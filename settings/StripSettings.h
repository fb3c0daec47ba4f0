#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <variant>

namespace zrm58 {

// Every stored setting, declared once: its key below, its field in StripSettings and its row in
// kSettingDefs (section, key, type, default text and limits). The reader, the writer, the
// record's accessors and the strip's bindings (strip/SettingBindings.h) all walk the table.
enum class SettingKey {
    Top,
    Left,
    Height,
    Width,
    Original,
    TopLevel,
    Opacity,
    TaskBar,
    Bold,
    FontColor,
    Family,
    Shadow,
    ShadowColor,
    Color1,
    Color2,
    Gradient,
    Direction,
    Gazou,
    GazouFile,
    Interval,
    Format,
    Sep,
};

enum class SettingType { Integer, Boolean, Float, Colour, String };

inline constexpr std::u16string_view kDefaultDateFormat = u"yyyy年mm月dd日 (ddd) hh:nn:ss (gg e年)";
inline constexpr std::u16string_view kDefaultSeparator = u"｜";
// The first start's pattern where the strip speaks another language than Japanese: the same
// pieces (weekday, date, time to the second) without Japanese literals, in the locale's own
// short date and long time, so it reads as that locale writes them ("Fri 12/11/26 5:07:09 AM",
// "Fr. 11.12.26 05:07:09"). The era is left out: outside the Japanese calendar it only repeats
// the year.
inline constexpr std::u16string_view kDefaultDateFormatWithoutJapanese = u"ddd ddddd tt";

// The values a save writes and a load yields, defaults as a first start has them.
struct StripSettings {
    std::int32_t top = 200;
    std::int32_t left = 200;
    std::int32_t height = 40;
    std::int32_t width = 523;
    double original = 1.0; // MuWidth, the width factor
    bool topLevel = false; // IsTop
    float opacity = 0.5f;  // Rectangle1's opacity, single precision, 0..1
    bool taskBar = true;   // isShowTask
    bool bold = false;
    std::uint32_t fontColor = 0xFF000000u;
    std::u16string family = u"Segoe UI";
    bool shadow = true;
    std::uint32_t shadowColor = 0xFF000000u; // saved, never loaded
    std::uint32_t color1 = 0xFFDCDCDCu;      // BC0
    std::uint32_t color2 = 0xFFDCDCDCu;      // BC1
    bool gradient = false;
    std::int32_t direction = 0;
    bool gazou = false;
    std::u16string gazouFile;
    std::int32_t interval = 1000; // ms
    std::u16string format{kDefaultDateFormat};
    std::u16string sep{kDefaultSeparator};

    friend bool operator==(const StripSettings&, const StripSettings&) = default;
};

// A numeric setting's limits in its own unit (a float in single precision is limited before it
// is narrowed); an open side is unlimited.
struct Bounds {
    double min = -std::numeric_limits<double>::infinity();
    double max = std::numeric_limits<double>::infinity();
    constexpr bool open() const {
        return min == -std::numeric_limits<double>::infinity() &&
               max == std::numeric_limits<double>::infinity();
    }
};

// Where a StripSettings holds a setting. A float field holds a Float in single precision.
using SettingField = std::variant<std::int32_t StripSettings::*, bool StripSettings::*,
                                  double StripSettings::*, float StripSettings::*,
                                  std::uint32_t StripSettings::*, std::u16string StripSettings::*>;

struct SettingDef {
    SettingKey key;
    std::u16string_view section;
    std::u16string_view name;
    SettingType type;
    std::u16string_view defaultText; // what a missing file, section or key reads as
    SettingField field;
    bool loaded = true; // false: written on every save, never read back
    // Every reader takes a stored value within `read` (NaN: the default).
    Bounds read{};
    // A save stores the value within `saved`; the strip pulls its own value within it too.
    Bounds saved{};
    // The strip takes a stored value within `held`: what a screen can show. A value beyond is
    // taken at the limit, and so saved back at it. Window sizes are also kept within the
    // desktop by the strip's resize (strip/SettingBindings.h).
    Bounds held{};
    // The settings window's control range, in the setting's own unit.
    Bounds range{};
};

// Window positions within the X protocol's signed 16-bit coordinates.
inline constexpr Bounds kCoordinates{-32768, 32767};

// Table order is the order of reading and of writing. Kept one row per line or two.
// clang-format off
inline constexpr auto kSettingDefs = std::to_array<SettingDef>({
    {.key = SettingKey::Top, .section = u"Form", .name = u"Top",
     .type = SettingType::Integer, .defaultText = u"200", .field = &StripSettings::top,
     .saved = {.min = 0}, .held = kCoordinates},
    {.key = SettingKey::Left, .section = u"Form", .name = u"Left",
     .type = SettingType::Integer, .defaultText = u"200", .field = &StripSettings::left,
     .saved = {.min = 0}, .held = kCoordinates},
    {.key = SettingKey::Height, .section = u"Form", .name = u"Height",
     .type = SettingType::Integer, .defaultText = u"40", .field = &StripSettings::height},
    {.key = SettingKey::Width, .section = u"Form", .name = u"Width",
     .type = SettingType::Integer, .defaultText = u"523", .field = &StripSettings::width},
    // The width factor: small and negative factors need no limit (a logical width below 1
    // counts as 1); the largest is the settings window's.
    {.key = SettingKey::Original, .section = u"Form", .name = u"Original",
     .type = SettingType::Float, .defaultText = u"1", .field = &StripSettings::original,
     .held = {.max = 10.0}, .range = {0.1, 10.0}},
    {.key = SettingKey::TopLevel, .section = u"Form", .name = u"TopLevel",
     .type = SettingType::Boolean, .defaultText = u"0", .field = &StripSettings::topLevel},
    {.key = SettingKey::Opacity, .section = u"Form", .name = u"Opacity",
     .type = SettingType::Float, .defaultText = u"0.5", .field = &StripSettings::opacity,
     .read = {0.0, 1.0}, .range = {0.1, 1.0}},
    {.key = SettingKey::TaskBar, .section = u"Form", .name = u"TaskBar",
     .type = SettingType::Boolean, .defaultText = u"1", .field = &StripSettings::taskBar},
    {.key = SettingKey::Bold, .section = u"Font", .name = u"Bold",
     .type = SettingType::Boolean, .defaultText = u"0", .field = &StripSettings::bold},
    {.key = SettingKey::FontColor, .section = u"Font", .name = u"Color",
     .type = SettingType::Colour, .defaultText = u"FF000000", .field = &StripSettings::fontColor},
    {.key = SettingKey::Family, .section = u"Font", .name = u"Family",
     .type = SettingType::String, .defaultText = u"Segoe UI", .field = &StripSettings::family},
    {.key = SettingKey::Shadow, .section = u"Effect", .name = u"Shadow",
     .type = SettingType::Boolean, .defaultText = u"1", .field = &StripSettings::shadow},
    {.key = SettingKey::ShadowColor, .section = u"Color", .name = u"Shadow",
     .type = SettingType::Colour, .defaultText = u"FF000000", .field = &StripSettings::shadowColor,
     .loaded = false},
    {.key = SettingKey::Color1, .section = u"Back", .name = u"Color1",
     .type = SettingType::Colour, .defaultText = u"FFDCDCDC", .field = &StripSettings::color1},
    {.key = SettingKey::Color2, .section = u"Back", .name = u"Color2",
     .type = SettingType::Colour, .defaultText = u"FFDCDCDC", .field = &StripSettings::color2},
    {.key = SettingKey::Gradient, .section = u"Back", .name = u"Gradient",
     .type = SettingType::Boolean, .defaultText = u"0", .field = &StripSettings::gradient},
    {.key = SettingKey::Direction, .section = u"Back", .name = u"Direction",
     .type = SettingType::Integer, .defaultText = u"0", .field = &StripSettings::direction},
    {.key = SettingKey::Gazou, .section = u"Back", .name = u"Gazou",
     .type = SettingType::Boolean, .defaultText = u"0", .field = &StripSettings::gazou},
    {.key = SettingKey::GazouFile, .section = u"Back", .name = u"GazouFile",
     .type = SettingType::String, .defaultText = u"", .field = &StripSettings::gazouFile},
    // Milliseconds; the settings window offers whole seconds.
    {.key = SettingKey::Interval, .section = u"Timer", .name = u"Interval",
     .type = SettingType::Integer, .defaultText = u"1000", .field = &StripSettings::interval,
     .range = {1000, 5000}},
    {.key = SettingKey::Format, .section = u"DATE", .name = u"FORMAT",
     .type = SettingType::String, .defaultText = kDefaultDateFormat,
     .field = &StripSettings::format},
    {.key = SettingKey::Sep, .section = u"DATE", .name = u"SEP",
     .type = SettingType::String, .defaultText = kDefaultSeparator, .field = &StripSettings::sep},
});
// clang-format on

// The row of `key`: rows stand in the order of the keys.
constexpr const SettingDef& settingDef(SettingKey key) {
    return kSettingDefs[static_cast<std::size_t>(key)];
}

constexpr bool rowsInKeyOrder() {
    for (std::size_t i = 0; i < kSettingDefs.size(); ++i)
        if (kSettingDefs[i].key != static_cast<SettingKey>(i)) return false;
    return true;
}
static_assert(rowsInKeyOrder(), "kSettingDefs: one row per key, in the keys' order");

// A converted value: Integer -> int32, Boolean -> bool, Float -> double, Colour -> uint32
// (ARGB, alpha in the top byte), String -> text.
using SettingValue = std::variant<std::int32_t, bool, double, std::uint32_t, std::u16string>;

} // namespace zrm58
