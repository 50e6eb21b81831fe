#pragma once
// Where a window whose place is kept between runs opens again. Stored values come from
// a file the user (or a damaged disk) can change: the window gets a size between its
// minimum and the room the screen offers, and a place where its title bar lies on a
// screen, so that it can always be seen, moved and closed.
#include <QList>
#include <QRect>
#include <QSize>

class QWidget;

namespace windowplace {

// The height of a title bar, for checking that one is on a screen.
constexpr int TitleBarHeight = 30;
// At least this much of the title bar's width (all of it when narrower) is on a screen.
constexpr int VisibleTitleWidth = 100;

// The frame's top-left corner and the window's size for a window that asks for place
// and size, with its minimum size, on screens with the given available areas (the
// first is the primary screen). A title bar that lies on one of the screens keeps its
// place; else the window moves onto the screen nearest to the asked place.
QRect fitted(const QPoint &place, const QSize &size, const QSize &minimum, const QList<QRect> &screens);

// The available areas of the screens, the primary first.
QList<QRect> availableScreenAreas();

// Resizes window to size and moves its frame to place, fitted to the screens.
void restore(QWidget *window, const QPoint &place, const QSize &size);

} // namespace windowplace
