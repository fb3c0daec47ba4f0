#include "faces/qt/StartupPlatform.h"
#include "faces/qt/ToolkitOptions.h"
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace zrm58 {

namespace {

bool nonEmpty(const char* v) {
    return v && *v;
}

bool hasOption(int argc, char** argv, const char* name) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (a[0] == '-' && a[1] == '-') ++a;
        if (std::strcmp(a, name) == 0) return true;
    }
    return false;
}

// A platform list such as "wayland" or "wayland-egl;xcb" that tries Wayland first.
bool asksForWayland(const char* platform) {
    return nonEmpty(platform) && std::strncmp(platform, "wayland", 7) == 0;
}

} // namespace

PlatformChoice choosePlatform(const PlatformInputs& in) {
    if (in.platformOption) return {std::nullopt, asksForWayland(in.platformOption)};
    const bool waylandSession =
        nonEmpty(in.waylandDisplay) ||
        (nonEmpty(in.sessionType) && std::strcmp(in.sessionType, "wayland") == 0);
    const bool wantsWayland = asksForWayland(in.qpaPlatform);
    // Another platform named for every program (xcb, offscreen, vnc ...) is taken as it is.
    if (nonEmpty(in.qpaPlatform) && !wantsWayland) return {};
    const bool x11 = nonEmpty(in.display) || in.displayOption;
    if (x11) {
        if (wantsWayland || waylandSession) return {"xcb", false};
        return {};
    }
    if (nonEmpty(in.waylandDisplay) && in.waylandPlugin)
        return {wantsWayland ? std::nullopt : std::optional<std::string>("wayland"), true};
    // No platform can serve: the display check tells what is missing.
    if (wantsWayland) return {"", false};
    return {};
}

bool waylandPluginInstalled() {
    QStringList dirs;
    const auto addList = [&dirs](const char* variable, const QString& sub) {
        const QString value = QString::fromLocal8Bit(std::getenv(variable));
        for (const QString& d : value.split(QLatin1Char(':'), Qt::SkipEmptyParts))
            dirs << d + sub;
    };
    addList("QT_QPA_PLATFORM_PLUGIN_PATH", QString());
    addList("QT_PLUGIN_PATH", QStringLiteral("/platforms"));
    dirs << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
    for (const QString& d : dirs)
        if (!QDir(d).entryList({QStringLiteral("libqwayland*.so")}, QDir::Files).isEmpty())
            return true;
    return false;
}

void preferXcbPlatform(int argc, char** argv) {
    PlatformInputs in;
    in.qpaPlatform = std::getenv("QT_QPA_PLATFORM");
    in.display = std::getenv("DISPLAY");
    in.waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    in.sessionType = std::getenv("XDG_SESSION_TYPE");
    in.platformOption = optionValue(argc, argv, "-platform");
    in.displayOption = hasOption(argc, argv, "-display");
    // Asked only where it can matter: a Wayland session without an X display.
    in.waylandPlugin =
        !nonEmpty(in.display) && nonEmpty(in.waylandDisplay) && waylandPluginInstalled();
    const PlatformChoice choice = choosePlatform(in);
    if (choice.platform && choice.platform->empty())
        unsetenv("QT_QPA_PLATFORM");
    else if (choice.platform)
        setenv("QT_QPA_PLATFORM", choice.platform->c_str(), 1);
    const bool onlyAnswers = hasOption(argc, argv, "-help") || hasOption(argc, argv, "-h") ||
                             hasOption(argc, argv, "-version");
    if (choice.native && !onlyAnswers)
        std::fputs("zrm58: the strip runs on Wayland itself, where the compositor places its "
                   "window: it cannot be dragged, and its stored place is kept for the next "
                   "start through X11 (XWayland)\n",
                   stderr);
}

bool avoidBusAutolaunch() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return false;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        struct stat st {};
        const std::string bus = std::string(runtime) + "/bus";
        if (::stat(bus.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) return false;
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    return true;
}

void chooseLeanToolkitPaths() {
    setenv("QT_XCB_NO_MITSHM", "1", 0);
    setenv("QT_NO_GLIB", "1", 0);
}

void installFontSubstitutes() {
    const QStringList sans{QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans"),
                           QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    const QStringList serif{QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Serif"),
                            QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")};
    const char* sansFamilies[] = {"Segoe UI",
                                  "Tahoma",
                                  "Arial",
                                  "メイリオ",
                                  "Meiryo UI",
                                  "MS UI Gothic",
                                  "MS P ゴシック",
                                  "UD デジタル 教科書体 N-R",
                                  "UD デジタル 教科書体 NK-R"};
    const char* serifFamilies[] = {"MS 明朝", "MS P 明朝", "游明朝"};
    const QStringList installed = QFontDatabase::families();
    for (const char* family : sansFamilies)
        if (!installed.contains(QString::fromUtf8(family), Qt::CaseInsensitive))
            QFont::insertSubstitutions(QString::fromUtf8(family), sans);
    for (const char* family : serifFamilies)
        if (!installed.contains(QString::fromUtf8(family), Qt::CaseInsensitive))
            QFont::insertSubstitutions(QString::fromUtf8(family), serif);
}

} // namespace zrm58
