#include "KrDesignOverlay.h"

#include "KrDesignerWindow.h"
#include "KrDrawingPage.h"

#include <QContextMenuEvent>
#include <QMimeData>
#include <QPainter>

KrDesignOverlay::KrDesignOverlay(KrDesignerWindow *window, QWidget *page) : QWidget(page), m_window(window), m_page(page)
{
    setAcceptDrops(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setGeometry(page->rect());
}

static bool IsItem(QWidget *w)
{
    return KrSymbolOf(w) || qobject_cast<TKrPlaceholder *>(w);
}

QWidget *KrDesignOverlay::HitIn(QWidget *container, const QPoint &pos) const
{
    const QObjectList &children = container->children();
    for (auto it = children.crbegin(); it != children.crend(); ++it) {
        auto *w = qobject_cast<QWidget *>(*it);
        if (!w || w == this || !w->isVisibleTo(m_page) || !IsItem(w) || !w->geometry().contains(pos))
            continue;
        if (KrSymbolOf(w))
            if (QWidget *inner = HitIn(w, pos - w->pos()))
                return inner;
        return w;
    }
    return nullptr;
}

QWidget *KrDesignOverlay::ItemAt(const QPoint &pagePos) const
{
    return HitIn(m_page, pagePos);
}

QRect KrDesignOverlay::ItemRect(QWidget *item) const
{
    if (!item)
        return {};
    return QRect(item->mapTo(m_page, QPoint(0, 0)), item->size());
}

QRect KrDesignOverlay::HandleRect(const QRect &r, int handle) const
{
    const int xs[3] = {r.left(), r.center().x(), r.right()};
    const int ys[3] = {r.top(), r.center().y(), r.bottom()};
    static const int hx[8] = {0, 1, 2, 2, 2, 1, 0, 0};
    static const int hy[8] = {0, 0, 0, 1, 2, 2, 2, 1};
    return QRect(xs[hx[handle]] - kHandle / 2, ys[hy[handle]] - kHandle / 2, kHandle, kHandle);
}

int KrDesignOverlay::HandleAt(const QPoint &pos) const
{
    const QList<QWidget *> sel = m_window->Selection();
    if (sel.size() != 1 || !KrSymbolOf(sel.first()))
        return -1;
    const QRect r = ItemRect(sel.first());
    for (int h = 0; h < 8; ++h)
        if (HandleRect(r, h).adjusted(-2, -2, 2, 2).contains(pos))
            return h;
    return -1;
}

void KrDesignOverlay::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QList<QWidget *> sel = m_window->Selection();
    for (QWidget *item : sel) {
        const QRect r = ItemRect(item);
        p.setPen(QPen(QColor(0, 90, 200), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        if (sel.size() == 1 && KrSymbolOf(item)) {
            p.setPen(Qt::black);
            p.setBrush(QColor(0, 90, 200));
            for (int h = 0; h < 8; ++h)
                p.drawRect(HandleRect(r, h));
        }
    }
    if (m_mode == Banding) {
        p.setPen(QPen(Qt::darkGray, 1, Qt::DotLine));
        p.setBrush(QColor(0, 90, 200, 30));
        p.drawRect(m_band.normalized());
    }
}

void KrDesignOverlay::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (e->button() != Qt::LeftButton)
        return;
    if (!m_window->ArmedComponent().isEmpty()) {
        m_window->PlaceSymbol(m_window->ArmedComponent(), pos);
        return;
    }
    m_start = m_last = pos;
    m_changed = false;
    m_handle = HandleAt(pos);
    if (m_handle >= 0) {
        m_mode = Sizing;
    } else {
        QWidget *item = ItemAt(pos);
        QList<QWidget *> sel = m_window->Selection();
        if (!item) {
            if (!(e->modifiers() & Qt::ControlModifier))
                m_window->SetSelection({});
            m_mode = Banding;
            m_band = QRect(pos, QSize(0, 0));
            update();
            return;
        }
        if (e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) {
            if (sel.contains(item))
                sel.removeAll(item);
            else
                sel.append(item);
            m_window->SetSelection(sel);
            m_mode = Idle;
            return;
        }
        if (!sel.contains(item))
            m_window->SetSelection({item});
        m_mode = Moving;
    }
    m_origin.clear();
    for (QWidget *w : m_window->Selection())
        if (KrSymbolOf(w))
            m_origin.append({w, w->geometry()});
}

void KrDesignOverlay::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (m_mode == Idle) {
        const int h = HandleAt(pos);
        static const Qt::CursorShape shapes[8] = {Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor,
                                                  Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor};
        setCursor(h >= 0 ? shapes[h] : (m_window->ArmedComponent().isEmpty() ? Qt::ArrowCursor : Qt::CrossCursor));
        return;
    }
    if (m_mode == Banding) {
        const QRect old = m_band.normalized();
        m_band.setBottomRight(pos);
        update(old.united(m_band.normalized()).adjusted(-2, -2, 2, 2));
        return;
    }
    const int grid = m_window->GridSize();
    auto snap = [grid](int v) { return grid > 1 ? int(std::lround(double(v) / grid)) * grid : v; };
    QPoint d = pos - m_start;
    if (d == m_last - m_start)
        return;
    m_last = pos;
    QRect dirty;
    for (const auto &[w, r] : m_origin) {
        TKrSymbol *s = KrSymbolOf(w);
        if (!s)
            continue;
        dirty |= ItemRect(s);
        QRect n = r;
        if (m_mode == Moving) {
            n.moveTopLeft(QPoint(snap(r.left() + d.x()), snap(r.top() + d.y())));
        } else {
            static const int sx[8] = {-1, 0, 1, 1, 1, 0, -1, -1};
            static const int sy[8] = {-1, -1, -1, 0, 1, 1, 1, 0};
            if (sx[m_handle] < 0)
                n.setLeft(qMin(snap(r.left() + d.x()), r.right() - 4));
            if (sx[m_handle] > 0)
                n.setRight(qMax(snap(r.right() + 1 + d.x()) - 1, r.left() + 4));
            if (sy[m_handle] < 0)
                n.setTop(qMin(snap(r.top() + d.y()), r.bottom() - 4));
            if (sy[m_handle] > 0)
                n.setBottom(qMax(snap(r.bottom() + 1 + d.y()) - 1, r.top() + 4));
        }
        if (n != s->geometry()) {
            s->SetBounds(TRect::fromQRect(n));
            m_changed = true;
        }
        dirty |= ItemRect(s);
    }
    update(dirty.adjusted(-kHandle, -kHandle, kHandle, kHandle));
}

void KrDesignOverlay::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const Mode mode = m_mode;
    m_mode = Idle;
    if (mode == Banding) {
        const QRect band = m_band.normalized();
        QList<QWidget *> sel = (e->modifiers() & Qt::ControlModifier) ? m_window->Selection() : QList<QWidget *>();
        for (QObject *o : m_page->children()) {
            auto *w = qobject_cast<QWidget *>(o);
            if (w && w != this && IsItem(w) && w->isVisibleTo(m_page) && band.intersects(w->geometry()) && !sel.contains(w))
                sel.append(w);
        }
        m_window->SetSelection(sel);
        update();
        return;
    }
    if ((mode == Moving || mode == Sizing) && m_changed) {
        for (const auto &[w, r] : m_origin)
            if (auto *c = qobject_cast<TKrCustomDrawingControl *>(KrSymbolOf(w)))
                c->MoveTimeOut();
        m_window->Commit();
    }
    m_origin.clear();
    update();
}

void KrDesignOverlay::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (QWidget *item = ItemAt(e->position().toPoint()))
        m_window->SetSelection({item});
}

void KrDesignOverlay::contextMenuEvent(QContextMenuEvent *e)
{
    QWidget *item = ItemAt(e->pos());
    if (item && !m_window->Selection().contains(item))
        m_window->SetSelection({item});
    m_window->ContextPopup(item, e->pos());
}

void KrDesignOverlay::dragEnterEvent(QDragEnterEvent *e)
{
    if (e->mimeData()->hasFormat(QLatin1String(kMimeType)))
        e->acceptProposedAction();
}

void KrDesignOverlay::dragMoveEvent(QDragMoveEvent *e)
{
    if (e->mimeData()->hasFormat(QLatin1String(kMimeType)))
        e->acceptProposedAction();
}

void KrDesignOverlay::dropEvent(QDropEvent *e)
{
    const QString guid = QString::fromLatin1(e->mimeData()->data(QLatin1String(kMimeType)));
    if (guid.isEmpty())
        return;
    e->acceptProposedAction();
    m_window->PlaceSymbol(guid, e->position().toPoint());
}
