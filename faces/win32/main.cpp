// The strip's entry point on Windows: start-up in its fixed order, the message loop, and the
// undoing of the start-up steps in reverse order.
#include "faces/win32/ErrorDialog.h"
#include "faces/win32/Gdip.h"
#include "faces/win32/MessageHooks.h"
#include "faces/win32/SingleInstance.h"
#include "faces/win32/StripWindow.h"
#include "platform/SystemDetailsSource.h"
#include "settings/IniConvert.h"
#include "settings/SettingsFile.h"
#include "status/CpuLoad.h"
#include "status/LocaleFormat.h"
#include "strip/Strip.h"
#include "texts/Texts.h"
#include <commctrl.h>
#include <cstdio>

using namespace zrm58;
using namespace zrm58::win32face;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The strip's own texts, and the system's dialogs (file, message box buttons) in the same
    // language where Windows has it installed.
    useLanguage(userLanguage());
    SetThreadUILanguage(currentLanguage() == Language::Japanese
                            ? MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN)
                            : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    // One strip per settings file: a later start brings the running strip forward and ends.
    const std::string settingsPath = settingsFilePath();
    SingleInstance instanceGuard(settingsPath);
    if (const SingleInstance::Role role = instanceGuard.claim();
        role != SingleInstance::Role::First) {
        if (role == SingleInstance::Role::NoAnswer)
            MessageBoxW(nullptr, instanceGuard.problem().c_str(), L"ZRM58", MB_OK | MB_ICONERROR);
        Gdiplus::GdiplusShutdown(gdiplusToken);
        return role == SingleInstance::Role::HandedOver ? 0 : 1;
    }

    // The thread locale and the locale format settings, once, before any window exists.
    std::unique_ptr<LocaleSource> localeSource = createSystemLocaleSource();
    const LocaleStartup locale = initLocaleAtStartup(*localeSource);
    // The load sampler's module start: one discarded reading of the machine's counters.
    std::unique_ptr<SystemTimesSource> machineTimes = createSystemTimesSource();
    uTotalCpuUsagePct::ModuleStart(*machineTimes);
    // The message dispatcher's module start: its handler list and the two hooks.
    MessageHooks::ModuleStart();

    // The per-process source and the details source serve the details panel, which starts its
    // sampling while shown; nothing is read before.
    std::unique_ptr<ProcessSource> processes = createSystemProcessSource();
    std::unique_ptr<SystemDetailsSource> details = createSystemDetailsSource();
    std::unique_ptr<Clock> clock = createSystemClock();
    std::unique_ptr<AltCalendar> calendar = createSystemAltCalendar();
    std::unique_ptr<MemorySource> memory = createSystemMemorySource();
    zrm58::StripServices services;
    services.clock = clock.get();
    services.altCalendar = calendar.get();
    services.memory = memory.get();
    services.processes = processes.get();
    services.details = details.get();
    services.localeSettings = locale.settings;
    services.startupLocale = locale.locale;
    services.settingsPath = settingsPath;

    int code = 0;
    {
        StripWindow window(instance);
        Strip strip(window, services);
        window.attach(strip);
        window.enableDetails(*processes, *details, locale.settings.decimalSep);
        try {
            strip.FormCreate();
        } catch (const ConversionError& e) {
            showStartupError(e.what());
            code = 1;
        }
        if (code == 0) {
            strip.showFirst();
            instanceGuard.ready(window.handle());
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            code = static_cast<int>(msg.wParam);
        }
    }
    // The start-up steps undone in reverse order, after the windows are gone.
    MessageHooks::ModuleEnd();
    uTotalCpuUsagePct::ModuleEnd();
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return code;
}
