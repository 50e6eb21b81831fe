#pragma once
// The glass over the drawing page in design mode: it takes the mouse before the
// symbols do, so that clicks select, drags move and size, a drag on the empty
// page draws a rubber band, and a palette entry dropped (or armed and clicked)
// places a symbol. It draws the selection and its size handles.

#include <QPointer>
#include <QWidget>

class KrDesignerWindow;

class KrDesignOverlay : public QWidget {
    Q_OBJECT
public:
    static constexpr const char *kMimeType = "application/x-krdesigner-component";
    static constexpr int kHandle = 6;

    KrDesignOverlay(KrDesignerWindow *window, QWidget *page);

    // The item (a symbol or a placeholder) at a point of the page, top-most first.
    QWidget *ItemAt(const QPoint &pagePos) const;
    // The item's rectangle in page coordinates.
    QRect ItemRect(QWidget *item) const;
    // The handle (0..7, clockwise from the top left) of the single selected item
    // under the point, or -1.
    int HandleAt(const QPoint &pos) const;

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    enum Mode { Idle, Moving, Sizing, Banding };
    QRect HandleRect(const QRect &r, int handle) const;
    QWidget *HitIn(QWidget *container, const QPoint &pos) const;

    KrDesignerWindow *m_window;
    QWidget *m_page;
    Mode m_mode = Idle;
    QPoint m_start;
    QPoint m_last;
    int m_handle = -1;
    bool m_changed = false;
    QList<QPair<QPointer<QWidget>, QRect>> m_origin; // item and its bounds in its parent at the start
    QRect m_band;
};
