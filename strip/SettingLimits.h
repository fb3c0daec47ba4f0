#pragma once
#include "settings/StripSettings.h"

namespace zrm58 {

// The limits the strip keeps its stored settings within are declared with the settings
// (settings/StripSettings.h, each row's `held`); this names the one other code needs.
namespace limits {

// The largest width factor, the settings window's too.
inline constexpr double kMaxWidthFactor = settingDef(SettingKey::Original).held.max;

} // namespace limits
} // namespace zrm58
