#pragma once
// Values for any row of the settings declaration, so that a test walking the table covers a new
// row without new test code.
#include "settings/IniConvert.h"
#include "settings/SettingsFile.h"
#include <limits>
#include <string>
#include <vector>

namespace zrm58::testing {

// A value of the row's type other than its default, within every limit the row declares (the
// settings window's range too, in steps the window can show): it survives a save, a read, the
// strip and the settings window unchanged.
inline SettingValue otherValue(const SettingDef& def) {
    const SettingValue given = settingValue(StripSettings{}, def.key);
    const Bounds& r = def.range;
    const bool ranged = !r.open();
    switch (def.type) {
    case SettingType::Integer:
        return ranged ? std::int32_t(1000 * int((r.min + r.max) / 2000))
                      : std::int32_t(std::get<std::int32_t>(given) + 17);
    case SettingType::Boolean:
        return !std::get<bool>(given);
    case SettingType::Float:
        return limitedOnReading(def, ranged ? (r.min + r.max) / 2 : std::get<double>(given) + 0.25);
    case SettingType::Colour:
        return std::uint32_t{0x12345678u};
    case SettingType::String:
        return std::get<std::u16string>(given) + u"≠x";
    }
    return given;
}

// A settings file holding the one key, as UTF-8 text in the program's form.
inline std::u16string iniWith(const SettingDef& def, const SettingValue& value) {
    return u"[" + std::u16string(def.section) + u"]\n" + std::u16string(def.name) + u"=" +
           formatSettingText(value, u'.') + u"\n";
}

// The finite sides of `bounds`, each with a value beyond it.
struct Beyond {
    double limit;
    double value;
};
inline std::vector<Beyond> beyond(const Bounds& bounds) {
    std::vector<Beyond> out;
    if (bounds.min != -std::numeric_limits<double>::infinity())
        out.push_back({bounds.min, bounds.min - 7500});
    if (bounds.max != std::numeric_limits<double>::infinity())
        out.push_back({bounds.max, bounds.max + 7500});
    return out;
}

// `v` as a value of the row's numeric type.
inline SettingValue numeric(const SettingDef& def, double v) {
    if (def.type == SettingType::Integer) return static_cast<std::int32_t>(v);
    return v;
}

} // namespace zrm58::testing
