#include "KRFormScale.h"

#include <QApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

namespace krscale {

double factor(const QFont &font)
{
    double pixels = font.pixelSize();
    if (pixels <= 0) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
        pixels = font.pointSizeF() * dpi / 72.0;
    }
    return pixels > DesignPixels ? pixels / DesignPixels : 1.0;
}

double factor() { return factor(QApplication::font()); }

void scaleChildren(QWidget *parent, double f)
{
    if (!parent || f == 1.0)
        return;
    const QLayout *layout = parent->layout();
    for (QObject *object : parent->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (!child || child->isWindow())
            continue;
        if (!layout || layout->indexOf(child) < 0) {
            const QRect g = child->geometry();
            const int left = scaled(g.left(), f), top = scaled(g.top(), f);
            child->setGeometry(left, top, scaled(g.left() + g.width(), f) - left, scaled(g.top() + g.height(), f) - top);
        }
        scaleChildren(child, f);
    }
}

} // namespace krscale
