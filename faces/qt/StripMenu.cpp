#include "faces/qt/StripMenu.h"
#include "faces/qt/QtText.h"
#include "faces/qt/StripWindow.h"
#include "strip/MenuDescription.h"
#include "strip/MenuPlacement.h"
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVariantAnimation>

namespace zrm58 {
namespace {

constexpr int kShadow = 4; // room for the drop shadow right and below

QColor argb(std::uint32_t c) {
    return QColor::fromRgba(c);
}

bool shows(std::uint32_t c) {
    return (c >> 24) != 0;
}

QPolygonF polygon(const std::vector<PointF>& points) {
    QPolygonF poly;
    for (PointF p : points)
        poly << toQPointF(p);
    return poly;
}

void drawShape(QPainter& p, const MenuShape& s) {
    QPen pen = shows(s.pen) ? QPen(argb(s.pen), s.penWidth) : QPen(Qt::NoPen);
    if (s.line) {
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.drawPolyline(polygon(s.points));
        return;
    }
    QPainterPath path;
    path.addPolygon(polygon(s.points));
    path.closeSubpath();
    if (s.hole) path.addEllipse(toQPointF(s.hole->centre), s.hole->radius, s.hole->radius);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(pen);
    p.setBrush(shows(s.fill) ? QBrush(argb(s.fill)) : QBrush(Qt::NoBrush));
    p.drawPath(path);
}

QPixmap picture(qreal dpr, const MenuPicture& shapes) {
    QPixmap pm(QSize(kMenuPictureSide, kMenuPictureSide) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    for (const MenuShape& s : shapes)
        drawShape(p, s);
    return pm;
}

// The check mark, filled, in `box` (its grid scaled to the box).
void drawCheckMark(QPainter& p, const QRectF& box, QColor color) {
    QPainterPath tick;
    const qreal s = box.width() / kMenuCheckSide;
    QPolygonF points;
    for (PointF pt : menuCheckMark())
        points << box.topLeft() + toQPointF(pt) * s;
    tick.addPolygon(points);
    tick.closeSubpath();
    p.fillPath(tick, color);
}

} // namespace

std::array<QPixmap, 3> makeImageList1(qreal dpr) {
    const auto& pictures = menuPictures();
    return {picture(dpr, pictures[0]), picture(dpr, pictures[1]), picture(dpr, pictures[2])};
}

StripMenu::StripMenu(TForm1* form) : QMenu(form) {
    setObjectName(QStringLiteral("PopupMenu1"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    images_ = makeImageList1(devicePixelRatioF());
    // Geometry only; the look is painted below. Margins: panel 5/5/8/8, list 6 above and below,
    // the picture column, text with its space on both sides.
    setStyleSheet(QStringLiteral("QMenu { background: transparent; border: none;"
                                 "  padding: %1px %2px %3px %4px; font-family: %5; font-size: "
                                 "12px; }"
                                 "QMenu::item { padding: 4px %6px 4px %7px; min-height: 18px; }")
                      .arg(5 + 6)
                      .arg(8 + kShadow)
                      .arg(8 + 6 + kShadow)
                      .arg(5)
                      .arg(toQString(kMenuFont))
                      .arg(kMenuTextSpace)
                      .arg(kMenuColumn + kMenuTextSpace));

    Strip& strip = form->strip();
    for (const MenuItemDescription& item : kMenuItems) {
        QAction* a = addAction(QIcon(images_[item.picture]), toQString(localText(item.text)));
        a->setObjectName(QString::fromLatin1(item.name.data(), item.name.size()));
        a->setCheckable(item.checkable);
        const MenuCommand command = item.command;
        // A checkable item's check mark is the command's state: toggling it runs the command
        // where the strip differs (and the mark is set from the mode whenever the menu is asked
        // for, TForm1::menu).
        if (item.checkable)
            connect(a, &QAction::toggled, form, [&strip, command](bool on) {
                if (strip.resizeMode() != on) runMenuCommand(strip, command);
            });
        else
            connect(a, &QAction::triggered, form,
                    [&strip, command] { runMenuCommand(strip, command); });
    }
    ResizeMenu = findChild<QAction*>(QStringLiteral("ResizeMenu"));
    SetMenu = findChild<QAction*>(QStringLiteral("SetMenu"));
    CloseMenu = findChild<QAction*>(QStringLiteral("CloseMenu"));

    fade_ = new QVariantAnimation(this);
    fade_->setDuration(kMenuCheckFadeMs);
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
    p.fillPath(path, argb(kMenuPanel));
    p.setPen(QPen(argb(kMenuOutline), 1));
    p.drawPath(path);
    p.setOpacity(1);

    const qreal check = kMenuCheckSide, half = kMenuPictureSide / 2.0;
    for (QAction* a : actions()) {
        const QRect r = actionGeometry(a);
        const bool hot = activeAction() == a;
        const QColor ink = !a->isEnabled() ? QColor(Qt::gray)
                           : hot           ? argb(kMenuHotInk)
                                           : argb(kMenuInk);
        const QRectF column(r.left(), r.top(), kMenuColumn, r.height());
        if (a->isCheckable() && checkOpacity_ > 0) {
            p.save();
            p.setOpacity(checkOpacity_);
            drawCheckMark(
                p, QRectF(column.center() - QPointF(check, check) / 2, QSizeF(check, check)), ink);
            p.restore();
        }
        const QRectF pic = column.adjusted(kMenuPictureMargin, kMenuPictureMargin,
                                           -kMenuPictureMargin, -kMenuPictureMargin);
        a->icon().paint(&p, QRect(QPointF(pic.center() - QPointF(half, half)).toPoint(),
                                  QSize(kMenuPictureSide, kMenuPictureSide)));
        p.setPen(ink);
        p.setFont(font());
        const int textLeft = kMenuColumn + kMenuTextSpace;
        p.drawText(
            QRectF(r.left() + textLeft, r.top(), r.width() - textLeft - kMenuTextSpace, r.height()),
            Qt::AlignLeft | Qt::AlignVCenter, a->text());
    }
}

} // namespace zrm58
