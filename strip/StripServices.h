#pragma once
#include "platform/FileStore.h"
#include "platform/Platform.h"
#include "platform/SystemDetailsSource.h"
#include "status/DateTimeFormat.h"
#include <string>

namespace zrm58 {

// What the strip reads from the outside world. The program's main fills it from the platform
// backend; tests fill it with fakes.
struct StripServices {
    const Clock* clock = nullptr;
    const AltCalendar* altCalendar = nullptr;
    const MemorySource* memory = nullptr;
    // The sampler's process source and the details source behind a face's details panel;
    // without both a face shows no panel.
    ProcessSource* processes = nullptr;
    SystemDetailsSource* details = nullptr;
    // The settings file's and the background picture's store; null: the system's.
    FileStore* files = nullptr;
    LocaleFormatSettings localeSettings; // read once at start-up
    StartupLocale startupLocale;
    std::string settingsPath; // the settings file, HomePath + "ZRM58.ini"
};

} // namespace zrm58
