#pragma once
#include "platform/Platform.h"
#include "status/DateTimeFormat.h"
#include <memory>
#include <string>

namespace zrm58 {

// What the strip window reads from the outside world. main() fills it from the platform
// backend; the window tests fill it with fakes.
struct StripServices {
    const Clock* clock = nullptr;
    const AltCalendar* altCalendar = nullptr;
    const MemorySource* memory = nullptr;
    LocaleFormatSettings localeSettings; // read once at start-up
    StartupLocale startupLocale;
    std::string settingsPath; // the settings file, HomePath + "ZRM58.ini"
};

} // namespace zrm58
