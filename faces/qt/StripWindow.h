#pragma once
#include "strip/Strip.h"
#include <QBrush>
#include <QImage>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace zrm58 {

class StripMenu;

// The brush of a gradient fill over `rect`: the gradient lives in the rectangle's relative
// coordinates (0..1 on each axis), so its lines of equal colour are at right angles there and a
// diagonal runs from corner to corner whatever the rectangle's aspect ratio.
QBrush gradientBrush(const BoxFill& fill, const QRectF& rect);

// The strip's Qt face: a frameless, per-pixel translucent window that draws the strip's
// controls, hands pointer input to the strip's behaviour (Strip) and carries out its
// window-system calls. Everything inside the 5-pixel margin is drawn in the logical box
// (ScaledLayout1, design 515 x 33) scaled into the margin's inside, axis by axis. The window
// holds no setting of its own: strip() does.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(const StripServices& services, QWidget* parent = nullptr);
    ~TForm1() override;

    Strip& strip() { return strip_; }
    const Strip& strip() const { return strip_; }
    // The button's menu, made at its first use: its style sheet and pictures cost about 0.7 MiB
    // that a strip whose menu is never opened need not carry.
    StripMenu* menu();
    // The picture the Bitmap fill draws stretched; null until one was decoded.
    const QImage& backgroundPicture() const { return picture_; }

    // The logical box in Qt's types (Strip's geometry, converted); the controls' boxes in it
    // are Strip::speedButtonRect, label1Rect and label2Rect.
    QRectF layoutRect() const; // in window coordinates
    QPointF toLayout(QPointF windowPoint) const;
    QPointF fromLayout(QPointF layoutPoint) const;
    // The menu's top-left corner in screen coordinates.
    QPoint menuAnchor() const;
    // The window area that changes when Label1's text becomes `next`: the runs of changed glyphs
    // and their shadow's reach, or the whole window when the line is not one line of the same
    // font.
    QRegion lineChangeArea(const QString& next);

    // The width, in the logical box's units, that `text` takes on one line in Label1's font.
    double lineWidth(const QString& text) const;

    // Brings the strip back onto a screen when too little of it lies on any (a monitor was
    // unplugged, the resolution lowered): Strip::keepReachable. True when it had to move.
    bool ensureOnScreen();

signals:
    void ticked();
    // Once, after the window's first paint.
    void firstPainted();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    class Face;
    friend class Face;

    QRegion changeArea(const QString& before, const QString& after);
    QPointF windowPoint(const QMouseEvent& e) const;
    void updateShape();
    void followCompositor(bool active);
    void invalidateBackground();
    bool decodePicture(const std::string& path, std::string_view bytes);

    std::unique_ptr<Face> face_; // before strip_: the strip is made with it
    Strip strip_;
    QTimer timer_;
    StripMenu* menu_ = nullptr;
    bool compositing_ = true;
    bool shownOnce_ = false;
    bool paintedOnce_ = false;
    QImage picture_;         // the Bitmap fill's picture
    QImage backgroundCache_; // Rectangle1 as drawn at the current size; rebuilt when it changes
};

// The one strip window of the process.
extern TForm1* Form1;

} // namespace zrm58
