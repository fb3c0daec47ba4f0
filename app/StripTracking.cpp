// Pointer interaction: the menu button, move tracking and resize tracking.
#include "app/StripMenu.h"
#include "app/TrackingRules.h"
#include "app/Unit1.h"
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace zrm58 {
namespace {

tracking::Point toPoint(QPointF p) {
    return {p.x(), p.y()};
}

} // namespace

QPointF TForm1::windowPoint(const QMouseEvent& e) const {
    // From the global position and the position this window last asked for, so that events
    // generated before the window system carried out a move do not jitter, and so that the press
    // and the moves measure alike.
    return e.globalPosition() - QPointF(pos());
}

bool TForm1::resizeMode() const {
    return menu_ && menu_->ResizeMenu->isChecked(); // no menu yet: never chosen
}

QPoint TForm1::menuAnchor() const {
    // The button's bottom-left corner, through the scaling of the logical box, then to screen.
    const QPointF inWindow = fromLayout(QPointF(0, speedButtonRect().height()));
    return mapToGlobal(inWindow.toPoint());
}

void TForm1::SpeedButton1Click() {
    menu()->popupAt(menuAnchor());
}

void TForm1::ResizeCmdExecute() {
    // The item's checked state is the resize mode; the menu toggles it when the item is chosen.
}

void TForm1::mousePressEvent(QMouseEvent* e) {
    const QPointF pos = e->position();
    if (tracking_ != Tracking::None || !layoutRect().contains(pos)) {
        e->ignore();
        return;
    }
    if (speedButtonRect().contains(toLayout(pos))) {
        tracking_ = Tracking::ButtonPress;
        return;
    }
    ScaledLayout1MouseDown(windowPoint(*e));
}

void TForm1::ScaledLayout1MouseDown(QPointF windowPos) {
    // Any button, any modifiers: resize mode decides between resizing and moving.
    if (resizeMode()) {
        tracking_ = Tracking::Resizing;
        working_ = {width(), height()};
        lastPoint_ = windowPos;
    } else {
        tracking_ = Tracking::Moving;
        pressPoint_ = windowPos;
    }
    grabMouse();
}

void TForm1::mouseMoveEvent(QMouseEvent* e) {
    const QPointF w = windowPoint(*e);
    if (tracking_ == Tracking::Moving) {
        const tracking::Position p =
            tracking::movedPosition({x(), y()}, toPoint(pressPoint_), toPoint(w));
        move(p.left, p.top);
    } else if (tracking_ == Tracking::Resizing) {
        working_ = tracking::nextWorkingSize(working_, toPoint(lastPoint_), toPoint(w));
        // The window takes the working size as the size guard leaves it (left and top stay).
        resizeGuarded(working_.width, working_.height);
        setCursor(Qt::SizeFDiagCursor);
        lastPoint_ = w;
    }
}

void TForm1::mouseReleaseEvent(QMouseEvent* e) {
    const QPointF w = windowPoint(*e);
    const Tracking was = tracking_;
    tracking_ = Tracking::None;
    if (was == Tracking::ButtonPress) {
        if (layoutRect().contains(w) && speedButtonRect().contains(toLayout(w)))
            SpeedButton1Click();
        return;
    }
    if (was == Tracking::None) return;
    releaseMouse();
    unsetCursor();
    // The release reaches ScaledLayout1 only when the pointer is over it (not over the button).
    if (layoutRect().contains(w) && !speedButtonRect().contains(toLayout(w)))
        ScaledLayout1MouseUp();
}

void TForm1::ScaledLayout1MouseUp() {
    if (menu_) menu_->ResizeMenu->setChecked(false);
}

bool TForm1::ensureOnScreen() {
    // Enough of the strip to grab it with the pointer counts as reachable.
    constexpr int kGrip = 20;
    const QRect strip = geometry();
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect visible = s->geometry().intersected(strip);
        if (visible.width() >= std::min(kGrip, strip.width()) &&
            visible.height() >= std::min(kGrip, strip.height()))
            return false;
    }
    QScreen* target = QGuiApplication::primaryScreen();
    if (!target) return false;
    const QRect area = target->availableGeometry();
    const int left = std::clamp(strip.left(), area.left(),
                                std::max(area.left(), area.right() - strip.width() + 1));
    const int top = std::clamp(strip.top(), area.top(),
                               std::max(area.top(), area.bottom() - strip.height() + 1));
    move(left, top);
    return true;
}

} // namespace zrm58
