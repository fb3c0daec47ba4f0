#pragma once
#include <QList>
#include <QPoint>
#include <QRect>

class QScreen;
class QWidget;

namespace zrm58 {

class TForm1;

// Where the strip `strip` goes so that all of it lies on one of the screen areas `areas`: the
// area it overlaps most (the first, the primary, when it overlaps none), with the strip moved by
// the least distance; a strip larger than the area keeps its left and top on the area.
QPoint wholeOnScreen(const QRect& strip, const QList<QRect>& areas);

// Moves the strip wholly onto a screen (leaving out `leaving`, a screen that is going away), as
// a place of its own that the saves keep. True when it had to move.
bool bringWholeOnScreen(TForm1& strip, const QScreen* leaving = nullptr);

// Whether the screen `screen` holds the window: it has the largest share of the window.
bool screenHolds(const QScreen* screen, const QWidget* window);

// Brings the strip wholly onto a screen, shows and raises it (another start of the program
// asked for it).
void comeForward(TForm1& strip);

} // namespace zrm58
