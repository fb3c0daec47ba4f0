#pragma once
#include "platform/Platform.h"
#include "platform/SystemDetailsSource.h"
#include "status/LocaleFormat.h"
#include "strip/StripServices.h"
#include <memory>
#include <string>

namespace zrm58 {

// A face's message hooks around the dispatcher module: `start` starts the dispatcher and
// installs the hooks, `end` removes them and ends the dispatcher. Both null: no dispatcher.
struct DispatcherHooks {
    void (*start)() = nullptr;
    void (*end)() = nullptr;
};

// The strip's start-up on the system's own sources, in its fixed order: the thread locale and
// the locale format settings, the load sampler's module start (one discarded reading), the
// dispatcher's module start, then the sources the strip reads. The destructor undoes the
// module starts in reverse order, so the runtime must outlive every window built on it.
// One per process: the modules it starts are the process's own.
class StripRuntime {
public:
    StripRuntime(std::string settingsPath, DispatcherHooks hooks);
    ~StripRuntime();
    StripRuntime(const StripRuntime&) = delete;
    StripRuntime& operator=(const StripRuntime&) = delete;

    // What the strip reads, every pointer valid for the runtime's life.
    const StripServices& services() const { return services_; }
    ProcessSource& processes() { return *processes_; }
    SystemDetailsSource& details() { return *details_; }
    const LocaleFormatSettings& localeSettings() const { return services_.localeSettings; }

private:
    DispatcherHooks hooks_;
    std::unique_ptr<ProcessSource> processes_;
    std::unique_ptr<SystemDetailsSource> details_; // reads nothing until the panel shows
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<AltCalendar> calendar_;
    std::unique_ptr<MemorySource> memory_;
    StripServices services_;
};

} // namespace zrm58
