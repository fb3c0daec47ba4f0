#pragma once
#include "platform/AltCalendar.h"
#include "platform/Clock.h"
#include "platform/LocaleSource.h"
#include "platform/MemorySource.h"
#include "platform/ProcessSource.h"
#include "platform/SystemTimesSource.h"
#include <memory>

namespace zrm58 {

// Factories of the OS services. Each is defined in exactly one backend (platform/<os>/), which
// CMake picks; tests build their own fakes from tests/fakes/ instead.
std::unique_ptr<Clock> createSystemClock();
std::unique_ptr<AltCalendar> createSystemAltCalendar();
std::unique_ptr<LocaleSource> createSystemLocaleSource();
std::unique_ptr<MemorySource> createSystemMemorySource();
std::unique_ptr<ProcessSource> createSystemProcessSource();
std::unique_ptr<SystemTimesSource> createSystemTimesSource();

} // namespace zrm58
