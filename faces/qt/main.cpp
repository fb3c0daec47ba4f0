// The strip's entry point: start-up in its fixed order, the event loop, and the undoing of the
// start-up steps in reverse order.
#include "faces/qt/DesktopIntegration.h"
#include "faces/qt/ExitSave.h"
#include "faces/qt/MessageHooks.h"
#include "faces/qt/ProcessLimits.h"
#include "faces/qt/QtText.h"
#include "faces/qt/ScreenPlacement.h"
#include "faces/qt/SessionEnd.h"
#include "faces/qt/SettingsWindow.h"
#include "faces/qt/SingleInstance.h"
#include "faces/qt/StartupChecks.h"
#include "faces/qt/StartupPlatform.h"
#include "faces/qt/StripWindow.h"
#include "settings/SettingsFile.h"
#include "strip/StripRuntime.h"
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
    chooseLeanToolkitPaths();
    ToolkitStartGuard toolkitStart(argc, argv);
    QApplication app(argc, argv); // takes the toolkit's own options out of argv
    toolkitStart.done();
    if (const std::optional<int> code = rejectLeftoverArguments(argc, argv)) return *code;
    QApplication::setApplicationName(QStringLiteral("ZRM58"));
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

    // Locale, load sampler, dispatcher and the sources, undone in reverse order when the runtime
    // goes, after the windows.
    StripRuntime runtime(settingsPath, {&MessageHooks::ModuleStart, &MessageHooks::ModuleEnd});

    int code = 0;
    {
        TForm1 form(runtime.services());
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
            useProgramIcon();
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
            // The windows' icon once the strip has shown itself.
            QObject::connect(&form, &TForm1::firstPainted, &app, &useProgramIcon,
                             Qt::QueuedConnection);
            form.strip().showFirst();
            saveSettingsAtAbruptExit();
            code = app.exec();
        }
    }
    return code;
}
