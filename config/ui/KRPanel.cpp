#include "KRPanel.h"

#include <QGuiApplication>
#include <QScreen>

#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QMouseEvent>

namespace {

const char *const kFloatWindowName = "TKRPanelFloatWindow";

// The layout (root or nested) holding widget directly, with the item's index in it.
QLayout *layoutHolding(QLayout *layout, QWidget *widget, int *index)
{
    if (!layout)
        return nullptr;
    const int found = layout->indexOf(widget);
    if (found >= 0) {
        *index = found;
        return layout;
    }
    for (int i = 0; i < layout->count(); ++i) {
        if (QLayout *inner = layout->itemAt(i)->layout()) {
            if (QLayout *holder = layoutHolding(inner, widget, index))
                return holder;
        }
    }
    return nullptr;
}

} // namespace

TKRPanel::TKRPanel(QWidget *parent) : QFrame(parent)
{
}

TKRPanel::~TKRPanel()
{
    // A panel deleted while floating takes its empty floating window along.
    if (m_floatWindow && parentWidget() == m_floatWindow)
        m_floatWindow->deleteLater();
}

void TKRPanel::setDockCaption(const QString &caption)
{
    if (caption == m_dockCaption)
        return;
    m_dockCaption = caption;
    if (isVisible() && isFloating())
        m_floatWindow->setWindowTitle(m_dockCaption);
}

bool TKRPanel::isFloating() const
{
    return m_floatWindow && parentWidget() == m_floatWindow;
}

QWidget *TKRPanel::floatingWindow() const
{
    return isFloating() ? m_floatWindow.data() : nullptr;
}

void TKRPanel::recordHome()
{
    m_homeContainer = parentWidget();
    m_homeGeometry = geometry();
    m_homeLayout = nullptr;
    m_homeLayoutIndex = -1;
    if (m_homeContainer) {
        int index = -1;
        if (QLayout *holder = layoutHolding(m_homeContainer->layout(), this, &index)) {
            m_homeLayout = holder;
            m_homeLayoutIndex = index;
            if (auto *grid = qobject_cast<QGridLayout *>(holder))
                grid->getItemPosition(index, &m_homeCell[0], &m_homeCell[1], &m_homeCell[2],
                                      &m_homeCell[3]);
        }
    }
    m_firstPaint = false;
}

void TKRPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_firstPaint)
        recordHome();
    if (isVisible() && isFloating() && m_floatWindow->windowTitle() != m_dockCaption)
        m_floatWindow->setWindowTitle(m_dockCaption);
}

void TKRPanel::floatOut(const QPoint &globalPos)
{
    if (isFloating())
        return;
    if (m_firstPaint)
        recordHome();
    const QPoint at = globalPos.isNull() ? mapToGlobal(QPoint(0, 0)) : globalPos;
    const QSize panelSize = size();
    QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;

    // A tool window owned by the main window: it closes with it and never keeps the
    // program running on its own.
    auto *window = new QWidget(owner, Qt::Tool);
    window->setObjectName(QLatin1String(kFloatWindowName));
    window->setWindowTitle(m_dockCaption);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    m_floatWindow = window;

    setParent(window);
    layout->addWidget(this);
    window->resize(panelSize);
    window->move(onScreen(at));
    show();
    window->show();
    emit OnStartDock(this);
}

// A floating window's top left corner such that its title bar is on a screen: the
// screen under the point (or the nearest one), with room for the window's caption.
QPoint TKRPanel::onScreen(const QPoint &topLeft) const
{
    QScreen *screen = QGuiApplication::screenAt(topLeft);
    if (!screen) {
        int best = -1;
        for (QScreen *s : QGuiApplication::screens()) {
            const QRect r = s->availableGeometry();
            const QPoint nearest(qBound(r.left(), topLeft.x(), r.right()), qBound(r.top(), topLeft.y(), r.bottom()));
            const int distance = (nearest - topLeft).manhattanLength();
            if (best < 0 || distance < best) {
                best = distance;
                screen = s;
            }
        }
    }
    if (!screen)
        return topLeft;
    const QRect r = screen->availableGeometry();
    // Enough of the title bar to grab it: its left end and a caption's height.
    constexpr int Grip = 60;
    const int x = qBound(r.left(), topLeft.x(), qMax(r.left(), r.right() - Grip));
    const int y = qBound(r.top(), topLeft.y(), qMax(r.top(), r.bottom() - Grip));
    return QPoint(x, y);
}

void TKRPanel::dockBack()
{
    if (!isFloating() || !m_homeContainer)
        return;
    m_docking = true;
    QWidget *oldWindow = m_floatWindow;
    QWidget *home = m_homeContainer;
    hide();
    setParent(home);
    setGeometry(m_homeGeometry);
    if (m_homeLayout) {
        if (auto *box = qobject_cast<QBoxLayout *>(m_homeLayout.data()))
            box->insertWidget(qMin(m_homeLayoutIndex, box->count()), this);
        else if (auto *grid = qobject_cast<QGridLayout *>(m_homeLayout.data()))
            grid->addWidget(this, m_homeCell[0], m_homeCell[1], m_homeCell[2], m_homeCell[3]);
        else
            m_homeLayout->addWidget(this);
    }
    show();
    m_floatWindow = nullptr;
    if (oldWindow) {
        oldWindow->hide();
        oldWindow->deleteLater();
    }
    m_docking = false;
    emit OnEndDock(this, home);
}

void TKRPanel::visibilityChanged()
{
    // The floating window was closed: back home.
    if (!m_docking && isFloating() && !m_floatWindow->isVisible())
        dockBack();
}

bool TKRPanel::event(QEvent *event)
{
    const bool result = QFrame::event(event);
    if (event->type() == QEvent::Hide && !m_docking && isFloating()) {
        // Docking reparents the panel; not while its window is still hiding its children.
        QMetaObject::invokeMethod(this, &TKRPanel::visibilityChanged, Qt::QueuedConnection);
    }
    return result;
}

void TKRPanel::mousePressEvent(QMouseEvent *event)
{
    if (m_floatable && event->button() == Qt::LeftButton && !isFloating()) {
        m_dragArmed = true;
        m_dragStart = event->globalPosition().toPoint();
        m_dragOffset = event->position().toPoint();
    }
    QFrame::mousePressEvent(event);
}

void TKRPanel::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint global = event->globalPosition().toPoint();
    // Only a drag with the button held, beyond the platform's drag distance, floats
    // the panel: a hand that slips while clicking on a free spot of a tab does not.
    const bool held = event->buttons() & Qt::LeftButton;
    if (!held && !m_dragging)
        m_dragArmed = false;
    if (m_dragArmed && !m_dragging && held
        && (global - m_dragStart).manhattanLength() > QApplication::startDragDistance()) {
        m_dragging = true;
        floatOut(global - m_dragOffset);
        grabMouse();
    } else if (m_dragging && isFloating()) {
        m_floatWindow->move(onScreen(global - m_dragOffset));
    }
    QFrame::mouseMoveEvent(event);
}

void TKRPanel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasDragging = m_dragging;
    m_dragArmed = false;
    m_dragging = false;
    if (wasDragging) {
        releaseMouse();
        // Dropped over the home container: docked again at once.
        if (isFloating() && m_homeContainer) {
            const QPoint local = m_homeContainer->mapFromGlobal(event->globalPosition().toPoint());
            if (m_homeContainer->rect().contains(local) && m_homeContainer->isVisible())
                dockBack();
        }
    }
    QFrame::mouseReleaseEvent(event);
}
