#include "strip/MenuDescription.h"
#include "strip/Strip.h"
#include <cmath>
#include <utility>

namespace zrm58 {
namespace {

constexpr std::uint32_t kGreen = 0xFF229A2E;

// A polygon filled with `fill` and outlined with `pen` where that is not transparent.
MenuShape polygon(std::vector<PointF> points, std::uint32_t fill, std::uint32_t pen = 0,
                  double penWidth = 0) {
    MenuShape s;
    s.points = std::move(points);
    s.fill = fill;
    s.pen = pen;
    s.penWidth = penWidth;
    return s;
}

MenuShape rectangle(double x, double y, double w, double h, std::uint32_t fill) {
    return polygon({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}, fill);
}

MenuShape line(PointF from, PointF to, std::uint32_t pen, double penWidth) {
    MenuShape s = polygon({from, to}, 0, pen, penWidth);
    s.line = true;
    return s;
}

// An open brown door in a grey frame with a green arrow pointing out to the left.
MenuPicture door() {
    return {
        rectangle(6, 1, 9, 14, 0xFF808080), // the frame
        rectangle(7, 2, 7, 12, 0xFF303030), // the dark doorway
        polygon({{7, 2}, {12, 3.5}, {12, 15.5}, {7, 14}}, 0xFF9A5B2A, 0xFF5A3214, 0.8),
        line({9, 8.5}, {2, 8.5}, kGreen, 2.2),
        polygon({{0.5, 8.5}, {4.5, 4.5}, {4.5, 12.5}}, kGreen),
    };
}

// Four green arrows from the centre to the four corners.
MenuPicture arrowsOut() {
    MenuPicture p;
    const double c = 8;
    for (PointF dir : {PointF{-1, -1}, PointF{1, -1}, PointF{-1, 1}, PointF{1, 1}}) {
        const PointF tip{c + dir.x * 7, c + dir.y * 7};
        p.push_back(line({c + dir.x * 1.5, c + dir.y * 1.5}, {tip.x - dir.x * 2, tip.y - dir.y * 2},
                         kGreen, 1.8));
        p.push_back(polygon({tip, {tip.x - dir.x * 5, tip.y}, {tip.x, tip.y - dir.y * 5}}, kGreen,
                            kGreen, 1.8));
    }
    return p;
}

// A blue gear wheel of eight teeth with a round hole.
MenuPicture gear() {
    constexpr int teeth = 8;
    constexpr double pi = 3.14159265358979323846;
    MenuShape wheel = polygon({}, 0xFF2F6FD0, 0xFF224F95, 0.7);
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = pi * 2 * i / (teeth * 2), a1 = pi * 2 * (i + 1) / (teeth * 2);
        const double r = (i % 2 == 0) ? 7.5 : 5.6;
        wheel.points.push_back({8 + std::cos(a0) * r, 8 + std::sin(a0) * r});
        wheel.points.push_back({8 + std::cos(a1) * r, 8 + std::sin(a1) * r});
    }
    wheel.hole = MenuShape::Circle{{8, 8}, 2.4};
    return {wheel};
}

} // namespace

void runMenuCommand(Strip& strip, MenuCommand command) {
    switch (command) {
    case MenuCommand::Resize:
        strip.ResizeCmdExecute();
        break;
    case MenuCommand::Settings:
        strip.SetCmdExecute();
        break;
    case MenuCommand::Close:
        strip.CloseCmdExecute();
        break;
    }
}

const std::array<MenuPicture, 3>& menuPictures() {
    static const std::array<MenuPicture, 3> pictures{door(), arrowsOut(), gear()};
    return pictures;
}

const std::vector<PointF>& menuCheckMark() {
    static const std::vector<PointF> tick{{0.5, 5.5}, {4, 9},    {10.5, 1.5},
                                          {10.5, 4},  {4, 10.8}, {0.5, 7.5}};
    return tick;
}

} // namespace zrm58
