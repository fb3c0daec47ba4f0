#include "strip/StripRuntime.h"
#include "status/CpuLoad.h"
#include <utility>

namespace zrm58 {

StripRuntime::StripRuntime(std::string settingsPath, DispatcherHooks hooks) : hooks_(hooks) {
    // The thread locale and the locale format settings, once, before any window exists.
    const std::unique_ptr<LocaleSource> localeSource = createSystemLocaleSource();
    const LocaleStartup locale = initLocaleAtStartup(*localeSource);
    // The load sampler's module start: one discarded reading of the machine's counters.
    uTotalCpuUsagePct::ModuleStart(createSystemTimesSource());
    // The message dispatcher's module start: its handler list and the face's two hooks.
    if (hooks_.start) hooks_.start();

    // The per-process source and the details source serve the details panel, which starts its
    // sampling while shown; nothing is read before.
    processes_ = createSystemProcessSource();
    details_ = createSystemDetailsSource();
    clock_ = createSystemClock();
    calendar_ = createSystemAltCalendar();
    memory_ = createSystemMemorySource();
    services_.clock = clock_.get();
    services_.altCalendar = calendar_.get();
    services_.memory = memory_.get();
    services_.processes = processes_.get();
    services_.details = details_.get();
    services_.localeSettings = locale.settings;
    services_.startupLocale = locale.locale;
    services_.settingsPath = std::move(settingsPath);
}

StripRuntime::~StripRuntime() {
    // The start-up steps undone in reverse order, after the windows are gone.
    if (hooks_.end) hooks_.end();
    uTotalCpuUsagePct::ModuleEnd();
}

} // namespace zrm58
