// Pointer interaction: the menu button, move tracking and resize tracking.
#include "app/StripMenu.h"
#include "app/Unit1.h"
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace zrm58 {
namespace {

// Nearest integer, halves to the even neighbour (the default rounding mode).
int roundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

} // namespace

bool TForm1::resizeMode() const {
    return menu_->ResizeMenu->isChecked();
}

QPoint TForm1::menuAnchor() const {
    // The button's bottom-left corner, through the scaling of the logical box, then to screen.
    const QPointF inWindow = fromLayout(QPointF(0, speedButtonRect().height()));
    return mapToGlobal(inWindow.toPoint());
}

void TForm1::SpeedButton1Click() {
    menu_->popupAt(menuAnchor());
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
    ScaledLayout1MouseDown(pos);
}

void TForm1::ScaledLayout1MouseDown(QPointF windowPos) {
    // Any button, any modifiers: resize mode decides between resizing and moving.
    if (resizeMode()) {
        tracking_ = Tracking::Resizing;
        workingWidth_ = width();
        workingHeight_ = height();
        lastPoint_ = windowPos;
    } else {
        tracking_ = Tracking::Moving;
        pressPoint_ = windowPos;
    }
    grabMouse();
}

void TForm1::mouseMoveEvent(QMouseEvent* e) {
    // Window coordinates from the global position and the position this window last asked for,
    // so that events generated before the window manager carried out a move do not jitter.
    const QPointF w = e->globalPosition() - QPointF(pos());
    if (tracking_ == Tracking::Moving) {
        move(roundEven(x() + (w.x() - pressPoint_.x())),
             roundEven(y() + (w.y() - pressPoint_.y())));
    } else if (tracking_ == Tracking::Resizing) {
        workingWidth_ = roundEven(w.x() - lastPoint_.x() + workingWidth_);
        workingHeight_ = roundEven(w.y() - lastPoint_.y() + workingHeight_);
        resize(static_cast<int>(workingWidth_), static_cast<int>(workingHeight_));
        FormResize();
        setCursor(Qt::SizeFDiagCursor);
        lastPoint_ = w;
    }
}

void TForm1::mouseReleaseEvent(QMouseEvent* e) {
    const QPointF w = e->globalPosition() - QPointF(pos());
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
    menu_->ResizeMenu->setChecked(false);
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
