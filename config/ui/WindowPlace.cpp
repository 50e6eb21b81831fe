#include "WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <climits>

namespace windowplace {

namespace {

// Whether a title bar of the given width at place lies on the area.
bool titleBarOn(const QRect &area, const QPoint &place, int width)
{
    if (area.isEmpty())
        return false;
    const qint64 top = place.y();
    if (top < area.top() || top + TitleBarHeight - 1 > area.bottom())
        return false;
    const qint64 left = std::max<qint64>(place.x(), area.left());
    const qint64 right = std::min<qint64>(qint64(place.x()) + width - 1, area.right());
    return right - left + 1 >= std::min(width, VisibleTitleWidth);
}

// Squared distance of point from the area (0 inside).
qint64 distance(const QRect &area, const QPoint &point)
{
    const qint64 dx = point.x() < area.left() ? qint64(area.left()) - point.x()
                      : point.x() > area.right() ? qint64(point.x()) - area.right() : 0;
    const qint64 dy = point.y() < area.top() ? qint64(area.top()) - point.y()
                      : point.y() > area.bottom() ? qint64(point.y()) - area.bottom() : 0;
    return dx * dx + dy * dy;
}

int bounded(qint64 low, qint64 value, qint64 high)
{
    // The low end wins when both ends cross (a minimum beyond the room there is).
    return int(std::max(low, std::min(value, high)));
}

} // namespace

QRect fitted(const QPoint &place, const QSize &size, const QSize &minimum, const QList<QRect> &screens)
{
    QList<QRect> areas;
    for (const QRect &area : screens)
        if (!area.isEmpty())
            areas.append(area);
    if (areas.isEmpty())
        return QRect(place, size.expandedTo(minimum));

    // The screen the window belongs on: the one that holds the asked place, else the
    // nearest one.
    const QRect *home = &areas.first();
    qint64 best = LLONG_MAX;
    for (const QRect &area : std::as_const(areas)) {
        const qint64 d = distance(area, place);
        if (d < best) {
            best = d;
            home = &area;
        }
    }
    const int width = bounded(std::max(minimum.width(), 1), size.width(), home->width());
    const int height = bounded(std::max(minimum.height(), 1), size.height(), std::max(home->height() - TitleBarHeight, 1));

    for (const QRect &area : std::as_const(areas))
        if (titleBarOn(area, place, width))
            return QRect(place, QSize(width, height));

    const int x = bounded(home->left(), place.x(), qint64(home->right()) - width + 1);
    const int y = bounded(home->top(), place.y(), qint64(home->bottom()) - height - TitleBarHeight + 1);
    return QRect(QPoint(x, y), QSize(width, height));
}

QList<QRect> availableScreenAreas()
{
    QList<QRect> areas;
    if (QScreen *primary = QGuiApplication::primaryScreen())
        areas.append(primary->availableGeometry());
    for (QScreen *screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            areas.append(screen->availableGeometry());
    return areas;
}

void restore(QWidget *window, const QPoint &place, const QSize &size)
{
    const QRect geometry = fitted(place, size, window->minimumSize(), availableScreenAreas());
    window->resize(geometry.size());
    window->move(geometry.topLeft());
}

} // namespace windowplace
