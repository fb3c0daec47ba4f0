#include "app/SettingLimits.h"
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace zrm58::limits {

std::int32_t coordinate(std::int32_t v) {
    return std::clamp(v, kMinCoordinate, kMaxCoordinate);
}

std::int32_t size(std::int32_t v, int desktop) {
    return std::min(v, desktop);
}

double widthFactor(double v) {
    // Small and negative factors need no limit: a logical width below 1 counts as 1.
    return std::min(v, kMaxWidthFactor);
}

QSize desktopSize() {
    const QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return {65535, 65535}; // the X protocol's largest window
    return s->virtualSize().expandedTo(QSize(80, 30));
}

} // namespace zrm58::limits
