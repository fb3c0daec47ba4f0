#include "faces/qt/ToolkitOptions.h"
#include <array>
#include <cstring>
#include <string_view>

namespace zrm58 {
namespace {

// The options Qt 6 takes out of argv (QCoreApplication, QGuiApplication, QApplication and the
// xcb platform), spelled with one dash; Qt takes two dashes as well. Those in kWithValue take
// the next argument as their value.
constexpr std::array<std::string_view, 17> kWithValue = {
    "-platform",
    "-platformpluginpath",
    "-platformtheme",
    "-plugin",
    "-qwindowgeometry",
    "-qwindowtitle",
    "-qwindowicon",
    "-geometry",
    "-title",
    "-icon",
    "-session",
    "-style",
    "-stylesheet",
    "-display",
    "-name",
    "-visual",
    "-qmljsdebugger",
};
constexpr std::array<std::string_view, 5> kFlags = {
    "-reverse", "-testability", "-widgetcount", "-nograb", "-dograb",
};
// Taken as "-name=value" in one argument.
constexpr std::array<std::string_view, 3> kJoined = {"-style=", "-stylesheet=", "-qmljsdebugger="};

template <std::size_t N>
bool among(const std::array<std::string_view, N>& list, std::string_view a) {
    for (std::string_view k : list)
        if (a == k) return true;
    return false;
}

} // namespace

std::optional<int> firstForeignArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        if (a == "--help" || a == "-h" || a == "--version") continue;
        if (a.size() < 2 || a[0] != '-') return i;
        if (a[1] == '-') a.remove_prefix(1);
        if (among(kFlags, a)) continue;
        if (among(kWithValue, a)) {
            if (i + 1 < argc) ++i; // a value-taking option last on the line is taken alone
            continue;
        }
        bool joined = false;
        for (std::string_view k : kJoined)
            joined = joined || a.starts_with(k);
        if (!joined) return i;
    }
    return std::nullopt;
}

const char* optionValue(int argc, char** argv, const char* name) {
    for (int i = 1; i + 1 < argc; ++i) {
        const char* a = argv[i];
        if (a[0] == '-' && a[1] == '-') ++a;
        if (std::strcmp(a, name) == 0) return argv[i + 1];
    }
    return nullptr;
}

} // namespace zrm58
