#pragma once
// Unit Krsymbols: the symbol base classes of the designer host.
//
// TKrSymbol holds what both kinds of symbol share: the host's virtual
// operations (declared in their slot order), mouse and context-menu dispatch,
// the paper dimension and scale, and the per-symbol TGrundIImp.
// TKrGraphicControl is the window-less symbol (it stores its published
// properties and its child elements by itself); TKrCustomDrawingControl is the
// windowed container (it stores its published properties; a container appends
// its own fields and element data). Qt widgets stand in for both kinds of
// control and QPainter for the canvas.

#include "Krchild.h"
#include "KrComponent.h"
#include "KrInterfaces.h"
#include "KrTypes.h"
#include "Symbolstream.h"

#include <QPointer>
#include <QWidget>

class QMenu;
class QPainter;
class TKrSymbol;

// One per symbol: cached visibility, paper dimension, scale, grouping, undo and
// the designer.
class KRTL_EXPORT TGrundIImp {
public:
    explicit TGrundIImp(TKrSymbol *symbol) : m_symbol(symbol) {}

    // Cached visibility: false until someone stores IsVisible of the symbol.
    bool GetVisible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    // The symbol's place and size on its paper (Left and Top in the unit of the
    // paper position: fractions of WorkAreaW / WorkAreaH at zoom 1).
    TDim GetDim() const;
    // The pixel rectangle of a dimension at the present zoom, at scale 1.
    TRect CalBoundsRect(const TDim &dim) const;
    double GetScale() const { return m_scale; }
    // Sets the scale; the symbol takes its size at that scale (a container
    // rescales its contents).
    void SetScale(double scale);
    bool GetGrouped() const { return m_grouped; }
    void SetGrouped(bool grouped) { m_grouped = grouped; }
    // Records an undo step with the designer (nothing in run mode).
    void AddUndo();
    // The host's designer, or nullptr in run mode.
    IKrDesigner *GetKrDesigner() const;

private:
    friend class TKrSymbol;
    TKrSymbol *m_symbol;
    bool m_visible = false;
    bool m_grouped = false;
    double m_scale = 1.0;
};

// Symbol states the host and the symbol share.
enum TKrSymbolStateFlag {
    ksLoading = 0x01,     // being loaded from a stream
    ksBlockClicks = 0x02, // clicks are not acted on (host busy, symbol locked)
    ksDestroying = 0x04,
};
Q_DECLARE_FLAGS(TKrSymbolState, TKrSymbolStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TKrSymbolState)

class KRTL_EXPORT TKrSymbol : public QWidget, public TKrComponent, public IKrDrawingItem {
    Q_OBJECT
    Q_INTERFACES(TKrComponent)

public:
    explicit TKrSymbol(TKrComponent *owner);
    ~TKrSymbol() override;

    QObject *AsObject() override { return this; }
    bool GetInterface(const TGUID &iid, void **obj) override;

    // ---- operations the host calls, in slot order ----
    virtual void Paint();
    virtual void InitSymbol();
    virtual void Validate();
    virtual bool CanDelete();
    virtual void VisibleChanged(QObject *sender);
    virtual void Replace(TKrReplace &what);
    virtual void ValidateDim();
    virtual void SetSymbolZOrder(bool toFront);
    virtual void *GetOleInterface();
    virtual void SaveRunTimeData(TRunTimeStream &stream);
    virtual void LoadRunTimeData(TRunTimeStream &stream);
    virtual void ShowAbout(QWidget *parent);
    virtual void ShowDetails(QWidget *parent);
    virtual void HideDetails();
    virtual void SaveToStream(TSymbolStream &stream, QStringList &files);
    virtual void InitFromStream(TSymbolStream &stream);
    virtual void SymbolCreateMode(TKrCreateMode mode);
    virtual void DesignerChange();
    virtual void ViewRelationChanged();

    // ---- further operations ----
    void SetName(const QString &name) override;
    virtual void SetBounds(int left, int top, int width, int height);
    void SetBounds(const TRect &r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual void Repaint();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DblClick();
    // Shows PopupMenu() at mousePos when it has items; handled tells the host.
    virtual void DoContextPopup(const QPoint &mousePos, bool &handled);

    // IKrDrawingItem
    double GetScale() override { return m_grundI.GetScale(); }
    bool GetShown() override;

    // ---- helpers ----
    TGrundIImp *GrundI() { return &m_grundI; }
    QPainter *Canvas() const { return m_canvas; }
    // Whether the symbol is to be drawn: until it has been seen visible, each call asks
    // IsVisible again and keeps the answer.
    bool KnownVisible();
    // Canvas() when the symbol is to be drawn and is painting now; nullptr otherwise.
    QPainter *PaintCanvas() { return KnownVisible() ? m_canvas : nullptr; }
    TRect ClientRect() const { return TRect(0, 0, width(), height()); }
    TRect BoundsRect() const { return TRect(x(), y(), x() + width(), y() + height()); }
    // The bounds a rotatable symbol takes for a rotate function: turned a quarter about
    // centre (screen coordinates) for a turn right or left, unchanged for a mirror.
    TRect RotatedBounds(TRotateFunction function, const QPoint &centre) const;
    int Left() const { return x(); }
    int Top() const { return y(); }
    void Invalidate() { update(); }
    bool IsDesigning() const { return m_grundI.GetKrDesigner() != nullptr; }
    void SetCursorCode(int code);
    int CursorCode() const { return m_cursorCode; }
    // The context menu; components add their items before it shows.
    QMenu *PopupMenu();
    TKrSymbolState State() const { return m_state; }
    void SetState(TKrSymbolStateFlag flag, bool on);
    // The click-blocking bit (ksBlockClicks): while set, a symbol does not act
    // on clicks (the host is busy or the symbol is locked). The components check
    // it in their mouse handlers; the base still dispatches the events.
    bool GetBlockClicks() const { return m_state.testFlag(ksBlockClicks); }
    void SetBlockClicks(bool block) { SetState(ksBlockClicks, block); }
    // The elements the symbol owns, in creation order.
    QList<TKrChild *> Elements() const;
    TKrChild *FindElement(const QString &label) const;
    // Product of the scales of the containers the symbol sits in.
    double ParentScale() const;
    // Applies the paper dimension at the present zoom and scales (ValidateDim's
    // base). The new bounds go through the virtual SetBounds, like every other
    // change of place or size (SetDim, SetScale, zoom, page loading), so a
    // component that lays itself out in SetBounds always sees them; the
    // dimension is not recomputed from the bounds it sets.
    void ApplyDim();
    void SetDim(const TDim &dim);
    // Resource prefix of the component library (about picture and version text).
    void SetAboutResource(const QString &prefix) { m_aboutResource = prefix; }
    QString AboutResource() const { return m_aboutResource; }
    QWidget *DetailsParent() const { return m_detailsParent; }
    // Posts a window message (a number such as KRM_FLOORHIDDEN) to the symbol
    // itself; MessageReceived handles it once control is back in the event loop.
    void PostMessage(int message);

    // Events (set by the components for their own handlers).
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnDblClick;

protected:
    // A message posted with PostMessage arrives here.
    virtual void MessageReceived(int message);
    bool event(QEvent *e) override;
    // First index of the published properties (those of the component classes).
    static int PublishedPropertyOffset();
    void paintEvent(QPaintEvent *e) override;
    // Paints the symbol on painter (Canvas() is valid while it runs).
    virtual void PaintWindow(QPainter &painter);
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void moveEvent(QMoveEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    friend class TGrundIImp;
    void UpdateDimFromGeometry();
    // The pixel bounds of the dimension at the present zoom and scales.
    TRect DimBounds() const;
    // Sets bounds through SetBounds without taking them back into the dimension.
    void ApplyBounds(const TRect &r);

    TGrundIImp m_grundI;
    TDim m_dim;
    bool m_applyingDim = false;
    QPainter *m_canvas = nullptr;
    QMenu *m_popup = nullptr;
    TKrSymbolState m_state;
    int m_cursorCode = crDefault;
    QString m_aboutResource;
    QPointer<QWidget> m_detailsParent;
};

class KRTL_EXPORT TKrCustomGraphicControl : public TKrSymbol {
    Q_OBJECT
public:
    explicit TKrCustomGraphicControl(TKrComponent *owner);
};

// Window-less symbol. Stores its published properties and its child elements.
class KRTL_EXPORT TKrGraphicControl : public TKrCustomGraphicControl {
    Q_OBJECT
public:
    explicit TKrGraphicControl(TKrComponent *owner);
    void SaveToStream(TSymbolStream &stream, QStringList &files) override;
    void InitFromStream(TSymbolStream &stream) override;
};

class KRTL_EXPORT TKrCustomControl : public TKrSymbol {
    Q_OBJECT
public:
    explicit TKrCustomControl(TKrComponent *owner);
};

// Windowed container symbol. Stores its published properties; a container
// appends its own fields and the data of its elements after them.
class KRTL_EXPORT TKrCustomDrawingControl : public TKrCustomControl {
    Q_OBJECT
public:
    explicit TKrCustomDrawingControl(TKrComponent *owner);
    ~TKrCustomDrawingControl() override;

    void ValidateDim() override;
    // Does not forward to the elements: a container hands a replace to its
    // elements itself (after its own fields, in its own order), just as it
    // streams them itself.
    void Replace(TKrReplace &what) override;
    void SaveToStream(TSymbolStream &stream, QStringList &files) override;
    void InitFromStream(TSymbolStream &stream) override;

    // ---- container operations, after the common ones ----
    // A move of the container by the designer came to rest.
    virtual void MoveTimeOut();
    // The paper the container lies on changed (opened, zoomed, moved).
    virtual void PaperChanged();
    // The container joined or left a group.
    virtual void GroupChanged();
    // Frees the symbols the container owns.
    virtual void FreeChilds();

    // Brings the container to the front (topMost) or sends it to the back.
    virtual void SetZOrder(bool topMost);
    // The symbols that sit on the container, lowest first.
    QList<TKrSymbol *> ChildSymbols() const;
    // Rescales the symbols on the container after its scale changed.
    void RelayoutChildren();

protected:
    void PaintWindow(QPainter &painter) override;
};

// The symbols whose widget parent is w, lowest in the z-order first.
KRTL_EXPORT QList<TKrSymbol *> KrChildSymbols(const QWidget *w);
// The symbol behind an object (nullptr for anything else).
KRTL_EXPORT TKrSymbol *KrSymbolOf(QObject *o);
// Follows the owner chain while the owner offers IKrDrawingItem and returns the
// last object reached (the page for a symbol on it).
KRTL_EXPORT QObject *KrTopMostDrawingItem(QObject *from);
// The symbol of that name found through IKrSymbolLookup on the top-most drawing
// item of from, or nullptr.
KRTL_EXPORT QObject *KrFindSymbol(QObject *from, const QString &name);
