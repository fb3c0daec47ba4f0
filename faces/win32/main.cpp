// The strip's entry point on Windows: start-up in its fixed order, the message loop, and the
// undoing of the start-up steps in reverse order.
#include "faces/win32/ErrorDialog.h"
#include "faces/win32/Gdip.h"
#include "faces/win32/MessageHooks.h"
#include "faces/win32/SingleInstance.h"
#include "faces/win32/StripWindow.h"
#include "settings/IniConvert.h"
#include "settings/SettingsFile.h"
#include "strip/Strip.h"
#include "strip/StripRuntime.h"
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

    int code = 0;
    {
        // Locale, load sampler, dispatcher and the sources, undone in reverse order when the
        // runtime goes, after the window.
        StripRuntime runtime(settingsPath, {&MessageHooks::ModuleStart, &MessageHooks::ModuleEnd});
        StripWindow window(instance);
        Strip strip(window, runtime.services());
        window.attach(strip);
        window.enableDetails(runtime.processes(), runtime.details(),
                             runtime.localeSettings().decimalSep);
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
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return code;
}
