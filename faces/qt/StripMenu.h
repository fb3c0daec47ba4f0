#pragma once
#include <QMenu>
#include <QPixmap>
#include <array>

class QVariantAnimation;

namespace zrm58 {

class TForm1;

// ImageList1: the menu's three 16 x 16 pictures, drawn by the program: 0 an open door with an
// arrow pointing out (exit), 1 four arrows pointing to the corners (resize), 2 a gear (settings).
std::array<QPixmap, 3> makeImageList1(qreal devicePixelRatio);

// PopupMenu1 with its three items. Its look: a dark-sea-green rounded panel with a silver
// outline and a soft shadow; per item a 25-wide column with the check mark and the picture over
// it, then the text in Tahoma; text and check mark turn white under the pointer, and the check
// mark fades in and out within 0.1 s.
class StripMenu : public QMenu {
    Q_OBJECT
public:
    explicit StripMenu(TForm1* form);

    QAction* ResizeMenu = nullptr; // checkable: its checked state is the resize mode
    QAction* SetMenu = nullptr;
    QAction* CloseMenu = nullptr;

    // Opens the menu for the button whose box on the screen is `button`: below it, or above it
    // where the screen has no room below (menuFrame).
    void popupFor(const QRect& button);
    qreal checkOpacity() const { return checkOpacity_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::array<QPixmap, 3> images_;
    QVariantAnimation* fade_ = nullptr;
    qreal checkOpacity_ = 0;
};

} // namespace zrm58
