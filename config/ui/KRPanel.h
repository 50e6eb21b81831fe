#pragma once
// Content panel of a tab page; can float out as a window captioned DockCaption.
//
// At its first paint the panel remembers its parent (the home container), its place
// in the parent's layout and its geometry. floatOut() moves it into a floating tool
// window captioned DockCaption; closing that window (or dockBack()) puts the panel back
// into its home container with the remembered geometry. With Floatable on, the
// operator drags a panel out by pressing the mouse on a free spot of it and moving.
#include <QFrame>
#include <QPointer>
#include <QRect>

class QLayout;

class TKRPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QString DockCaption READ DockCaption WRITE setDockCaption)
    Q_PROPERTY(bool Floatable READ Floatable WRITE setFloatable)
public:
    explicit TKRPanel(QWidget *parent = nullptr);
    ~TKRPanel() override;

    QString DockCaption() const { return m_dockCaption; }
    // A new caption also becomes the caption of the floating window, if floating.
    void setDockCaption(const QString &caption);
    bool Floatable() const { return m_floatable; }
    void setFloatable(bool on) { m_floatable = on; }

    // Home as recorded at the first paint (or when floating out before any paint).
    bool homeRecorded() const { return !m_firstPaint; }
    QWidget *homeContainer() const { return m_homeContainer; }
    QRect homeGeometry() const { return m_homeGeometry; }

    // True while the panel sits in its floating window.
    bool isFloating() const;
    // The floating window, nullptr while docked.
    QWidget *floatingWindow() const;
    // Moves the panel into a floating window whose top left corner is at globalPos
    // (the panel's current screen position when null). Does nothing when floating.
    void floatOut(const QPoint &globalPos = QPoint());
    // Docks the panel into its home container with its home geometry and shows it;
    // the floating window goes away. Does nothing while docked.
    void dockBack();

signals:
    // The panel has floated out.
    void OnStartDock(QObject *sender);
    // The panel is docked again; target is the container it went into.
    void OnEndDock(QObject *sender, QObject *target);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void recordHome();
    void visibilityChanged();
    QPoint onScreen(const QPoint &topLeft) const;

    QPointer<QWidget> m_homeContainer;
    bool m_firstPaint = true;
    QRect m_homeGeometry;
    QPointer<QLayout> m_homeLayout;
    int m_homeLayoutIndex = -1;
    int m_homeCell[4] = {0, 0, 1, 1}; // row, column, row span, column span in a grid
    QString m_dockCaption;
    bool m_floatable = false;
    QPointer<QWidget> m_floatWindow;
    bool m_docking = false;
    // Operator drag: start point, and the offset of the cursor in the floating window.
    bool m_dragArmed = false;
    QPoint m_dragStart;
    bool m_dragging = false;
    QPoint m_dragOffset;
};
