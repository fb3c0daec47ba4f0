#include "faces/qt/StripMenu.h"
#include "faces/qt/StripWindow.h"
#include "strip/MenuPlacement.h"
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVariantAnimation>
#include <cmath>

namespace zrm58 {
namespace {

constexpr QRgb kPanel = 0xFF8FBC8F;   // dark sea green
constexpr QRgb kOutline = 0xFFC0C0C0; // silver
constexpr int kShadow = 4;            // room for the drop shadow right and below

void drawDoor(QPainter& p) {
    p.fillRect(QRectF(6, 1, 9, 14), QColor(0x80, 0x80, 0x80)); // grey frame
    p.fillRect(QRectF(7, 2, 7, 12), QColor(0x30, 0x30, 0x30)); // dark doorway
    QPolygonF door{{7, 2}, {12, 3.5}, {12, 15.5}, {7, 14}};    // open brown door
    p.setPen(QPen(QColor(0x5A, 0x32, 0x14), 0.8));
    p.setBrush(QColor(0x9A, 0x5B, 0x2A));
    p.drawPolygon(door);
    p.setPen(QPen(QColor(0x22, 0x9A, 0x2E), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9, 8.5), QPointF(2, 8.5)); // green arrow pointing out to the left
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x22, 0x9A, 0x2E));
    p.drawPolygon(QPolygonF{{0.5, 8.5}, {4.5, 4.5}, {4.5, 12.5}});
}

void drawArrowsOut(QPainter& p) {
    const QColor green(0x22, 0x9A, 0x2E);
    p.setPen(QPen(green, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(green);
    const QPointF c(8, 8);
    for (QPointF dir : {QPointF(-1, -1), QPointF(1, -1), QPointF(-1, 1), QPointF(1, 1)}) {
        const QPointF tip = c + dir * 7;
        p.drawLine(c + dir * 1.5, tip - dir * 2);
        p.drawPolygon(QPolygonF{tip, tip - QPointF(dir.x() * 5, 0), tip - QPointF(0, dir.y() * 5)});
    }
}

void drawGear(QPainter& p) {
    const QColor blue(0x2F, 0x6F, 0xD0);
    QPainterPath gear;
    const QPointF c(8, 8);
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = M_PI * 2 * i / (teeth * 2), a1 = M_PI * 2 * (i + 1) / (teeth * 2);
        const double r = (i % 2 == 0) ? 7.5 : 5.6;
        const QPointF p0 = c + QPointF(std::cos(a0) * r, std::sin(a0) * r);
        const QPointF p1 = c + QPointF(std::cos(a1) * r, std::sin(a1) * r);
        if (i == 0)
            gear.moveTo(p0);
        else
            gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    gear.addEllipse(c, 2.4, 2.4); // the hole
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(QPen(blue.darker(140), 0.7));
    p.setBrush(blue);
    p.drawPath(gear);
}

QPixmap picture(qreal dpr, void (*draw)(QPainter&)) {
    QPixmap pm(QSize(16, 16) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return pm;
}

// The tick of the check mark, filled, in an 11 x 11 box.
void drawCheckMark(QPainter& p, const QRectF& box, QColor color) {
    QPainterPath tick;
    const qreal s = box.width() / 11.0;
    const QPointF o = box.topLeft();
    tick.moveTo(o + QPointF(0.5, 5.5) * s);
    tick.lineTo(o + QPointF(4, 9) * s);
    tick.lineTo(o + QPointF(10.5, 1.5) * s);
    tick.lineTo(o + QPointF(10.5, 4) * s);
    tick.lineTo(o + QPointF(4, 10.8) * s);
    tick.lineTo(o + QPointF(0.5, 7.5) * s);
    tick.closeSubpath();
    p.fillPath(tick, color);
}

} // namespace

std::array<QPixmap, 3> makeImageList1(qreal dpr) {
    return {picture(dpr, drawDoor), picture(dpr, drawArrowsOut), picture(dpr, drawGear)};
}

StripMenu::StripMenu(TForm1* form) : QMenu(form) {
    setObjectName(QStringLiteral("PopupMenu1"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    images_ = makeImageList1(devicePixelRatioF());
    // Geometry only; the look is painted below. Margins: panel 5/5/8/8, list 6 above and below,
    // picture column 25, text with 8 on both sides.
    setStyleSheet(
        QStringLiteral("QMenu { background: transparent; border: none;"
                       "  padding: %1px %2px %3px %4px; font-family: Tahoma; font-size: 12px; }"
                       "QMenu::item { padding: 4px 8px 4px 33px; min-height: 18px; }")
            .arg(5 + 6)
            .arg(8 + kShadow)
            .arg(8 + 6 + kShadow)
            .arg(5));

    ResizeMenu = addAction(QIcon(images_[1]), QStringLiteral("リサイズ"));
    ResizeMenu->setObjectName(QStringLiteral("ResizeMenu"));
    ResizeMenu->setCheckable(true);
    SetMenu = addAction(QIcon(images_[2]), QStringLiteral("設定"));
    SetMenu->setObjectName(QStringLiteral("SetMenu"));
    CloseMenu = addAction(QIcon(images_[0]), QStringLiteral("終了"));
    CloseMenu->setObjectName(QStringLiteral("CloseMenu"));
    Strip& strip = form->strip();
    // Choosing the item toggles its check mark: the strip's resize mode follows it (and the
    // mark is set from the mode whenever the menu is asked for, TForm1::menu).
    connect(ResizeMenu, &QAction::toggled, form, [&strip](bool on) {
        if (strip.resizeMode() != on) strip.ResizeCmdExecute();
    });
    connect(SetMenu, &QAction::triggered, form, [&strip] { strip.SetCmdExecute(); });
    connect(CloseMenu, &QAction::triggered, form, [&strip] { strip.CloseCmdExecute(); });

    fade_ = new QVariantAnimation(this);
    fade_->setDuration(100);
    connect(fade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        checkOpacity_ = v.toReal();
        update();
    });
    connect(ResizeMenu, &QAction::toggled, this, [this](bool on) {
        fade_->stop();
        fade_->setStartValue(checkOpacity_);
        fade_->setEndValue(on ? 1.0 : 0.0);
        if (isVisible())
            fade_->start();
        else
            checkOpacity_ = on ? 1.0 : 0.0;
    });
}

void StripMenu::popupFor(const QRect& button) {
    // QMenu would only shift a menu that does not fit below the point up until it fits, over
    // the button; the placement rule opens it above the button instead.
    QScreen* screen = QGuiApplication::screenAt(button.bottomLeft());
    if (!screen) screen = QGuiApplication::screenAt(button.topLeft());
    if (!screen) screen = QGuiApplication::primaryScreen();
    ensurePolished();
    const QSize size = sizeHint();
    QPoint at = button.bottomLeft() + QPoint(0, 1);
    if (screen) {
        const QRect area = screen->availableGeometry();
        const Rect frame = menuFrame({button.left(), button.top(), button.width(), button.height()},
                                     {size.width(), size.height()},
                                     {area.left(), area.top(), area.width(), area.height()});
        at = QPoint(frame.left, frame.top);
    }
    popup(at);
}

void StripMenu::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF panel = QRectF(rect()).adjusted(0.5, 0.5, -kShadow - 0.5, -kShadow - 0.5);
    // Drop shadow: distance 3 at 45 degrees, soft, black at 0.6.
    for (int i = 3; i >= 1; --i) {
        QPainterPath sp;
        sp.addRoundedRect(panel.translated(2.12, 2.12).adjusted(-i + 1, -i + 1, i - 1, i - 1),
                          5 + i, 5 + i);
        p.fillPath(sp, QColor(0, 0, 0, static_cast<int>(0.6 * 255 / (i * 2.5))));
    }
    QPainterPath path;
    path.addRoundedRect(panel, 5, 5);
    p.setOpacity(0.99);
    p.fillPath(path, QColor::fromRgba(kPanel));
    p.setPen(QPen(QColor::fromRgba(kOutline), 1));
    p.drawPath(path);
    p.setOpacity(1);

    for (QAction* a : actions()) {
        const QRect r = actionGeometry(a);
        const bool hot = activeAction() == a;
        const QColor ink = !a->isEnabled() ? QColor(Qt::gray) : hot ? QColor(Qt::white) : Qt::black;
        const QRectF column(r.left(), r.top(), 25, r.height());
        if (a->isCheckable() && checkOpacity_ > 0) {
            p.save();
            p.setOpacity(checkOpacity_);
            drawCheckMark(p, QRectF(column.center() - QPointF(5.5, 5.5), QSizeF(11, 11)), ink);
            p.restore();
        }
        const QRectF pic = column.adjusted(2, 2, -2, -2);
        a->icon().paint(&p, QRect(QPointF(pic.center() - QPointF(8, 8)).toPoint(), QSize(16, 16)));
        p.setPen(ink);
        p.setFont(font());
        p.drawText(QRectF(r.left() + 25 + 8, r.top(), r.width() - 25 - 16, r.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, a->text());
    }
}

} // namespace zrm58
