#include "faces/qt/StartupPlatform.h"
#include <QFont>
#include <QFontDatabase>
#include <QStringList>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace zrm58 {

void preferXcbPlatform(int argc, char** argv) {
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    if (chosen && *chosen) return;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* session = std::getenv("XDG_SESSION_TYPE");
    if ((wayland && *wayland) || (session && std::strcmp(session, "wayland") == 0))
        setenv("QT_QPA_PLATFORM", "xcb", 1);
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
