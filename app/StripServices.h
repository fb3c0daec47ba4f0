#pragma once
#include "platform/Platform.h"
#include "platform/SystemDetailsSource.h"
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
    // The sampler's process source and the details source behind the details panel; without
    // both the strip shows no panel.
    ProcessSource* processes = nullptr;
    SystemDetailsSource* details = nullptr;
    LocaleFormatSettings localeSettings; // read once at start-up
    StartupLocale startupLocale;
    std::string settingsPath; // the settings file, HomePath + "ZRM58.ini"
};

} // namespace zrm58
