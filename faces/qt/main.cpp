// The strip's entry point: start-up in its fixed order, the event loop, and the undoing of the
// start-up steps in reverse order.
#include "faces/qt/DesktopIntegration.h"
#include "faces/qt/MessageHooks.h"
#include "faces/qt/QtText.h"
#include "faces/qt/ScreenPlacement.h"
#include "faces/qt/SessionEnd.h"
#include "faces/qt/SettingsWindow.h"
#include "faces/qt/StartupPlatform.h"
#include "faces/qt/StripWindow.h"
#include "services/ExitSave.h"
#include "services/ProcessLimits.h"
#include "services/SingleInstance.h"
#include "services/StartupChecks.h"
#include "settings/SettingsFile.h"
#include "status/CpuLoad.h"
#include "status/LocaleFormat.h"
#include "strip/StripServices.h"
#include "texts/Texts.h"
#include <QApplication>
#include <QMessageBox>
#include <cstdio>

using namespace zrm58;

int main(int argc, char** argv) {
    useLanguage(userLanguage()); // the strip's own texts, before anything may show one
    preferXcbPlatform(argc, argv);
    avoidBusAutolaunch();
    if (const std::optional<int> code = startupChecks(argc, argv)) return *code;
    if (const std::optional<int> code = ensureDescriptors()) return *code;
    ToolkitStartGuard toolkitStart(argc, argv);
    QApplication app(argc, argv); // takes the toolkit's own options out of argv
    toolkitStart.done();
    if (const std::optional<int> code = rejectLeftoverArguments(argc, argv)) return *code;
    QApplication::setApplicationName(QStringLiteral("ZRM58"));
    QApplication::setWindowIcon(programIcon());
    installToolkitTranslations();
    installFontSubstitutes();

    // One strip per settings file: a later start brings the running strip forward and ends.
    const std::string settingsPath = settingsFilePath();
    SingleInstance instance(settingsPath);
    switch (instance.claim()) {
    case SingleInstance::Role::HandedOver:
        return 0;
    case SingleInstance::Role::NoAnswer:
        std::fprintf(stderr, "zrm58: %s\n", instance.problem().c_str());
        return 1;
    case SingleInstance::Role::Unguarded:
        std::fprintf(stderr, "zrm58: %s\n", instance.problem().c_str());
        break;
    case SingleInstance::Role::First:
        break;
    }

    // The thread locale and the locale format settings, once, before any window exists.
    std::unique_ptr<LocaleSource> localeSource = createSystemLocaleSource();
    const LocaleStartup locale = initLocaleAtStartup(*localeSource);

    // The load sampler's module start: one discarded reading of the machine's counters. The
    // per-process source serves the details panel, which starts its sampling while shown.
    std::unique_ptr<SystemTimesSource> machineTimes = createSystemTimesSource();
    uTotalCpuUsagePct::ModuleStart(*machineTimes);
    std::unique_ptr<ProcessSource> processes = createSystemProcessSource();

    // The message dispatcher's module start: its handler list and the two hooks.
    MessageHooks::ModuleStart();

    std::unique_ptr<Clock> clock = createSystemClock();
    std::unique_ptr<AltCalendar> calendar = createSystemAltCalendar();
    std::unique_ptr<MemorySource> memory = createSystemMemorySource();
    StripServices services;
    services.clock = clock.get();
    services.altCalendar = calendar.get();
    services.memory = memory.get();
    std::unique_ptr<SystemDetailsSource> details = createSystemDetailsSource(); // reads nothing yet
    services.processes = processes.get();
    services.details = details.get();
    services.localeSettings = locale.settings;
    services.startupLocale = locale.locale;
    services.settingsPath = settingsPath;

    int code = 0;
    {
        TForm1 form(services);
        // Later starts are answered and end requests served from here on: creation may wait in
        // an error box (a colour that does not convert, a picture that does not decode). While
        // it does, a later start brings the box forward, and an end request ends in order
        // without saving settings read only in part.
        bool starting = true;
        instance.serve([&form, &starting] {
            if (QWidget* box = starting ? QApplication::activeModalWidget() : nullptr) {
                box->raise();
                box->activateWindow();
            } else {
                comeForward(form);
            }
        });
        SessionEnd sessionEnd(&form, true);
        try {
            form.strip().FormCreate();
        } catch (const ConversionError& e) {
            QMessageBox box(QMessageBox::Critical, toQString(localText(TextId::ErrorTitle)),
                            QString::fromUtf8(e.what()), QMessageBox::Ok);
            box.setWindowModality(Qt::ApplicationModal);
            box.exec();
            code = 1;
        }
        starting = false;
        sessionEnd.started();
        if (code == 0 && !sessionEnd.endedWhileStarting()) {
            // The settings window is created at the settings command's first use
            // (SetCmdExecute).
            form.strip().showFirst();
            saveSettingsAtAbruptExit();
            code = app.exec();
        }
    }
    // The start-up steps undone in reverse order, after the windows are gone.
    MessageHooks::ModuleEnd();
    uTotalCpuUsagePct::ModuleEnd();
    return code;
}
