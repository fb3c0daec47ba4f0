#include "faces/qt/ProcessLimits.h"
#include "faces/qt/ToolkitOptions.h"
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace zrm58 {
namespace {

// What the strip holds open at most, measured with the details panel and the settings window
// open and a save under way, is about 30 (the toolkit's own event, wake-up and font files among
// them); this leaves room for what the toolkit opens late (a file dialog, another font).
constexpr rlim_t kNeededDescriptors = 64;
// The soft limit the strip raises its own to where it is lower and the hard limit allows.
constexpr rlim_t kWantedDescriptors = 1024;

// The display the toolkit was asked to open, for the one line; the toolkit's held-back messages.
std::string guardedDisplay;
std::vector<QByteArray> heldMessages;
QtMessageHandler previousHandler = nullptr;

void holdOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QByteArray line = qFormatLogMessage(type, context, message).toLocal8Bit();
    if (type != QtFatalMsg) {
        heldMessages.push_back(line);
        return;
    }
    bool refused = false;
    for (const QByteArray& held : heldMessages)
        refused = refused || held.contains("could not connect to display");
    if (refused)
        std::fprintf(stderr,
                     "zrm58: cannot open the display '%s': its X server refused the connection "
                     "after the display check (it may serve too many programs already)\n",
                     guardedDisplay.c_str());
    else
        std::fprintf(stderr, "zrm58: the toolkit could not start: %s\n",
                     line.left(line.indexOf('\n')).constData());
    std::_Exit(1);
}

} // namespace

std::optional<int> ensureDescriptors() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return std::nullopt;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < kWantedDescriptors) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max == RLIM_INFINITY || limit.rlim_max > kWantedDescriptors
                              ? kWantedDescriptors
                              : limit.rlim_max;
        if (raised.rlim_cur > limit.rlim_cur && ::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= kNeededDescriptors)
        return std::nullopt;
    std::fprintf(stderr,
                 "zrm58: only %llu files may be open at once (ulimit -n) and the strip needs "
                 "%llu; raise the limit to start it\n",
                 static_cast<unsigned long long>(limit.rlim_cur),
                 static_cast<unsigned long long>(kNeededDescriptors));
    return 1;
}

ToolkitStartGuard::ToolkitStartGuard(int argc, char** argv) {
    const char* display = optionValue(argc, argv, "-display");
    if (!display) display = std::getenv("DISPLAY");
    guardedDisplay = display ? display : "";
    heldMessages.clear();
    previousHandler = qInstallMessageHandler(holdOrEnd);
}

ToolkitStartGuard::~ToolkitStartGuard() {
    done();
}

void ToolkitStartGuard::done() {
    if (!active_) return;
    active_ = false;
    qInstallMessageHandler(previousHandler);
    for (const QByteArray& line : heldMessages)
        std::fprintf(stderr, "%s\n", line.constData());
    heldMessages.clear();
}

} // namespace zrm58
