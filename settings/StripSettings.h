#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace zrm58 {

// Every stored setting, declared once: section, key, type and the default text the reader
// falls back to. Table order is the order of reading and of writing.
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

struct SettingDef {
    SettingKey key;
    std::u16string_view section;
    std::u16string_view name;
    SettingType type;
    std::u16string_view defaultText; // what a missing file, section or key reads as
    bool loaded;                     // false: written on every save, never read back
};

inline constexpr std::u16string_view kDefaultDateFormat = u"yyyy年mm月dd日 (ddd) hh:nn:ss (gg e年)";
inline constexpr std::u16string_view kDefaultSeparator = u"｜";
// The first start's pattern where the strip speaks another language than Japanese: the same
// pieces (weekday, date, time to the second) without Japanese literals, in the locale's own
// short date and long time, so it reads as that locale writes them ("Fri 12/11/26 5:07:09 AM",
// "Fr. 11.12.26 05:07:09"). The era is left out: outside the Japanese calendar it only repeats
// the year.
inline constexpr std::u16string_view kDefaultDateFormatWithoutJapanese = u"ddd ddddd tt";

inline constexpr std::array<SettingDef, 22> kSettingDefs{{
    {SettingKey::Top, u"Form", u"Top", SettingType::Integer, u"200", true},
    {SettingKey::Left, u"Form", u"Left", SettingType::Integer, u"200", true},
    {SettingKey::Height, u"Form", u"Height", SettingType::Integer, u"40", true},
    {SettingKey::Width, u"Form", u"Width", SettingType::Integer, u"523", true},
    {SettingKey::Original, u"Form", u"Original", SettingType::Float, u"1", true},
    {SettingKey::TopLevel, u"Form", u"TopLevel", SettingType::Boolean, u"0", true},
    {SettingKey::Opacity, u"Form", u"Opacity", SettingType::Float, u"0.5", true},
    {SettingKey::TaskBar, u"Form", u"TaskBar", SettingType::Boolean, u"1", true},
    {SettingKey::Bold, u"Font", u"Bold", SettingType::Boolean, u"0", true},
    {SettingKey::FontColor, u"Font", u"Color", SettingType::Colour, u"FF000000", true},
    {SettingKey::Family, u"Font", u"Family", SettingType::String, u"Segoe UI", true},
    {SettingKey::Shadow, u"Effect", u"Shadow", SettingType::Boolean, u"1", true},
    {SettingKey::ShadowColor, u"Color", u"Shadow", SettingType::Colour, u"FF000000", false},
    {SettingKey::Color1, u"Back", u"Color1", SettingType::Colour, u"FFDCDCDC", true},
    {SettingKey::Color2, u"Back", u"Color2", SettingType::Colour, u"FFDCDCDC", true},
    {SettingKey::Gradient, u"Back", u"Gradient", SettingType::Boolean, u"0", true},
    {SettingKey::Direction, u"Back", u"Direction", SettingType::Integer, u"0", true},
    {SettingKey::Gazou, u"Back", u"Gazou", SettingType::Boolean, u"0", true},
    {SettingKey::GazouFile, u"Back", u"GazouFile", SettingType::String, u"", true},
    {SettingKey::Interval, u"Timer", u"Interval", SettingType::Integer, u"1000", true},
    {SettingKey::Format, u"DATE", u"FORMAT", SettingType::String, kDefaultDateFormat, true},
    {SettingKey::Sep, u"DATE", u"SEP", SettingType::String, kDefaultSeparator, true},
}};

// A converted value: Integer -> int32, Boolean -> bool, Float -> double, Colour -> uint32
// (ARGB, alpha in the top byte), String -> text.
using SettingValue = std::variant<std::int32_t, bool, double, std::uint32_t, std::u16string>;

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

} // namespace zrm58
