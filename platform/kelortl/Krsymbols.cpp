#include "Krsymbols.h"

#include "Divunit.h"
#include "Krvisible.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

// ---------------------------------------------------------------- TGrundIImp

TDim TGrundIImp::GetDim() const
{
    return m_symbol->m_dim;
}

TRect TGrundIImp::CalBoundsRect(const TDim &dim) const
{
    const double sx = double(WorkAreaW) * GlobZoomFactor;
    const double sy = double(WorkAreaH) * GlobZoomFactor;
    const int left = int(std::lround(dim.Left * sx));
    const int top = int(std::lround(dim.Top * sy));
    return TRect(left, top, left + int(std::lround(dim.Width * sx)), top + int(std::lround(dim.Height * sy)));
}

void TGrundIImp::SetScale(double scale)
{
    if (!(scale > 0) || !std::isfinite(scale))
        scale = 1.0;
    m_scale = scale;
    // The scale changes the size only; the symbol stays where it is.
    const TRect r = m_symbol->DimBounds();
    m_symbol->ApplyBounds(TRect(m_symbol->x(), m_symbol->y(), m_symbol->x() + r.Width(), m_symbol->y() + r.Height()));
    if (auto *container = qobject_cast<TKrCustomDrawingControl *>(m_symbol))
        container->RelayoutChildren();
}

void TGrundIImp::AddUndo()
{
    if (IKrDesigner *d = GetKrDesigner())
        d->AddUndo(m_symbol);
}

IKrDesigner *TGrundIImp::GetKrDesigner() const
{
    for (TKrComponent *c = m_symbol; c; c = c->Owner()) {
        if (auto *host = Supports<IKrHostContext>(c))
            return host->GetKrDesigner();
    }
    return nullptr;
}

// ---------------------------------------------------------------- TKrSymbol

TKrSymbol::TKrSymbol(TKrComponent *owner) : QWidget(nullptr), TKrComponent(owner), m_grundI(this)
{
    // A symbol sits on the widget of its owner until the host places it.
    if (owner)
        if (auto *w = qobject_cast<QWidget *>(owner->AsObject()))
            setParent(w);
    setAttribute(Qt::WA_NoSystemBackground, false);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

TKrSymbol::~TKrSymbol()
{
    m_state |= ksDestroying;
    // Elements go first, while the widget still exists.
    DestroyComponents();
}

bool TKrSymbol::GetInterface(const TGUID &iid, void **obj)
{
    KR_OFFER_INTERFACE(IKrDrawingItem)
    return TKrComponent::GetInterface(iid, obj);
}

int TKrSymbol::PublishedPropertyOffset()
{
    return TKrSymbol::staticMetaObject.propertyCount();
}

void TKrSymbol::Paint() {}

void TKrSymbol::InitSymbol()
{
    for (TKrChild *e : Elements())
        e->InitSymbol();
}

void TKrSymbol::Validate()
{
    update();
}

bool TKrSymbol::CanDelete()
{
    return true;
}

void TKrSymbol::VisibleChanged(QObject *) {}

void TKrSymbol::Replace(TKrReplace &what)
{
    for (TKrChild *e : Elements())
        e->Replace(what);
}

void TKrSymbol::ValidateDim()
{
    ApplyDim();
}

void TKrSymbol::SetSymbolZOrder(bool toFront)
{
    if (toFront)
        raise();
    else
        lower();
}

void *TKrSymbol::GetOleInterface()
{
    return nullptr;
}

void TKrSymbol::SaveRunTimeData(TRunTimeStream &) {}
void TKrSymbol::LoadRunTimeData(TRunTimeStream &) {}

void TKrSymbol::ShowAbout(QWidget *parent)
{
    QDialog dlg(parent);
    dlg.setWindowTitle(QStringLiteral("About %1").arg(QString::fromLatin1(metaObject()->className())));
    auto *layout = new QVBoxLayout(&dlg);
    auto *row = new QHBoxLayout;
    auto *picture = new QLabel(&dlg);
    QPixmap pm;
    if (!m_aboutResource.isEmpty())
        pm.load(m_aboutResource + QStringLiteral("/ABOUTBITMAP"), "BMP");
    picture->setPixmap(pm);
    picture->setFixedSize(32, 32);
    row->addWidget(picture);
    QString text = QString::fromLatin1(metaObject()->className());
    if (!m_aboutResource.isEmpty()) {
        QFile f(m_aboutResource + QStringLiteral("/VERSION"));
        if (f.open(QIODevice::ReadOnly))
            text = QString::fromUtf8(f.readAll()).trimmed();
    }
    row->addWidget(new QLabel(text, &dlg), 1);
    layout->addLayout(row);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dlg);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    layout->addWidget(buttons);
    dlg.exec();
}

void TKrSymbol::ShowDetails(QWidget *parent)
{
    m_detailsParent = parent;
}

void TKrSymbol::HideDetails()
{
    m_detailsParent = nullptr;
}

void TKrSymbol::SaveToStream(TSymbolStream &, QStringList &) {}
void TKrSymbol::InitFromStream(TSymbolStream &) {}
void TKrSymbol::SymbolCreateMode(TKrCreateMode) {}
void TKrSymbol::DesignerChange() {}
void TKrSymbol::ViewRelationChanged() {}

void TKrSymbol::SetName(const QString &name)
{
    TKrComponent::SetName(name);
}

void TKrSymbol::SetBounds(int left, int top, int width, int height)
{
    setGeometry(left, top, qMax(0, width), qMax(0, height));
    UpdateDimFromGeometry();
}

void TKrSymbol::Repaint()
{
    update();
}

void TKrSymbol::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TKrSymbol::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TKrSymbol::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TKrSymbol::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TKrSymbol::DoContextPopup(const QPoint &mousePos, bool &handled)
{
    if (m_popup && !m_popup->actions().isEmpty()) {
        m_popup->popup(mapToGlobal(mousePos));
        handled = true;
    }
}

bool TKrSymbol::KnownVisible()
{
    if (!m_grundI.GetVisible())
        m_grundI.SetVisible(IsVisible(this));
    return m_grundI.GetVisible();
}

bool TKrSymbol::GetShown()
{
    return KrIsShown(this);
}

void TKrSymbol::SetCursorCode(int code)
{
    m_cursorCode = code;
    switch (code) {
    case crHandPoint: setCursor(Qt::PointingHandCursor); break;
    case crCross: setCursor(Qt::CrossCursor); break;
    case crIBeam: setCursor(Qt::IBeamCursor); break;
    case crSizeAll: setCursor(Qt::SizeAllCursor); break;
    case crArrow: setCursor(Qt::ArrowCursor); break;
    default: unsetCursor(); break;
    }
}

QMenu *TKrSymbol::PopupMenu()
{
    if (!m_popup)
        m_popup = new QMenu(this);
    return m_popup;
}

void TKrSymbol::SetState(TKrSymbolStateFlag flag, bool on)
{
    m_state.setFlag(flag, on);
}

QList<TKrChild *> TKrSymbol::Elements() const
{
    return KrElementsOf(this);
}

TKrChild *TKrSymbol::FindElement(const QString &label) const
{
    for (TKrChild *e : Elements())
        if (e->Name() == label)
            return e;
    return nullptr;
}

double TKrSymbol::ParentScale() const
{
    double s = 1.0;
    for (QWidget *p = parentWidget(); p; p = p->parentWidget()) {
        auto *item = Supports<IKrDrawingItem>(static_cast<QObject *>(p));
        if (!item)
            break;
        s *= item->GetScale();
    }
    return s;
}

TRect TKrSymbol::DimBounds() const
{
    const double ps = ParentScale();
    const double own = m_grundI.GetScale();
    const double sx = double(WorkAreaW) * GlobZoomFactor;
    const double sy = double(WorkAreaH) * GlobZoomFactor;
    const int left = int(std::lround(m_dim.Left * sx * ps));
    const int top = int(std::lround(m_dim.Top * sy * ps));
    const int w = int(std::lround(m_dim.Width * sx * ps * own));
    const int h = int(std::lround(m_dim.Height * sy * ps * own));
    return TRect(left, top, left + qMax(0, w), top + qMax(0, h));
}

void TKrSymbol::ApplyBounds(const TRect &r)
{
    // Through the virtual SetBounds, so that a component lays itself out for
    // the new size; the dimension is the source here and stays as it is.
    const bool outer = m_applyingDim;
    m_applyingDim = true;
    try {
        SetBounds(r);
    } catch (...) {
        m_applyingDim = outer;
        throw;
    }
    m_applyingDim = outer;
}

void TKrSymbol::ApplyDim()
{
    ApplyBounds(DimBounds());
}

void TKrSymbol::SetDim(const TDim &dim)
{
    m_dim = dim;
    ApplyDim();
}

void TKrSymbol::UpdateDimFromGeometry()
{
    if (m_applyingDim)
        return;
    const double ps = ParentScale();
    const double own = m_grundI.GetScale();
    const double sx = double(WorkAreaW) * GlobZoomFactor * ps;
    const double sy = double(WorkAreaH) * GlobZoomFactor * ps;
    if (sx <= 0 || sy <= 0)
        return;
    // A value whose pixels did not change keeps its precision: a page loaded
    // (or zoomed) and saved again stores the dimension it held.
    const TRect now = DimBounds();
    if (x() != now.Left)
        m_dim.Left = x() / sx;
    if (y() != now.Top)
        m_dim.Top = y() / sy;
    if (width() != now.Width())
        m_dim.Width = width() / (sx * own);
    if (height() != now.Height())
        m_dim.Height = height() / (sy * own);
}

namespace {
// The event that carries a posted window message.
class TKrMessageEvent : public QEvent {
public:
    static QEvent::Type EventType()
    {
        static const QEvent::Type t = QEvent::Type(QEvent::registerEventType());
        return t;
    }
    explicit TKrMessageEvent(int message) : QEvent(EventType()), m_message(message) {}
    int Message() const { return m_message; }

private:
    int m_message;
};
} // namespace

void TKrSymbol::PostMessage(int message)
{
    QCoreApplication::postEvent(this, new TKrMessageEvent(message));
}

void TKrSymbol::MessageReceived(int) {}

bool TKrSymbol::event(QEvent *e)
{
    if (e->type() == TKrMessageEvent::EventType()) {
        MessageReceived(static_cast<TKrMessageEvent *>(e)->Message());
        return true;
    }
    return QWidget::event(e);
}

void TKrSymbol::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PaintWindow(painter);
}

void TKrSymbol::PaintWindow(QPainter &painter)
{
    m_canvas = &painter;
    Paint();
    m_canvas = nullptr;
}

static TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons)
{
    TShiftState s;
    if (mods & Qt::ShiftModifier)
        s |= ssShift;
    if (mods & Qt::AltModifier)
        s |= ssAlt;
    if (mods & Qt::ControlModifier)
        s |= ssCtrl;
    if (buttons & Qt::LeftButton)
        s |= ssLeft;
    if (buttons & Qt::RightButton)
        s |= ssRight;
    if (buttons & Qt::MiddleButton)
        s |= ssMiddle;
    return s;
}

static TMouseButton ButtonOf(Qt::MouseButton b)
{
    switch (b) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
    }
}

void TKrSymbol::mousePressEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    MouseDown(ButtonOf(e->button()), ShiftOf(e->modifiers(), e->buttons()), p.x(), p.y());
}

void TKrSymbol::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    MouseMove(ShiftOf(e->modifiers(), e->buttons()), p.x(), p.y());
}

void TKrSymbol::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    // The released button is no longer in buttons(); report it as the press did.
    MouseUp(ButtonOf(e->button()), ShiftOf(e->modifiers(), e->buttons()), p.x(), p.y());
}

void TKrSymbol::mouseDoubleClickEvent(QMouseEvent *e)
{
    DblClick();
    const QPoint p = e->position().toPoint();
    MouseDown(ButtonOf(e->button()), ShiftOf(e->modifiers(), e->buttons()) | ssDouble, p.x(), p.y());
}

void TKrSymbol::contextMenuEvent(QContextMenuEvent *e)
{
    bool handled = false;
    DoContextPopup(e->pos(), handled);
    e->setAccepted(handled);
}

void TKrSymbol::moveEvent(QMoveEvent *e)
{
    QWidget::moveEvent(e);
    UpdateDimFromGeometry();
}

void TKrSymbol::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    UpdateDimFromGeometry();
}

// ---------------------------------------------------------------- graphic control

TKrCustomGraphicControl::TKrCustomGraphicControl(TKrComponent *owner) : TKrSymbol(owner) {}

TKrGraphicControl::TKrGraphicControl(TKrComponent *owner) : TKrCustomGraphicControl(owner) {}

void TKrGraphicControl::SaveToStream(TSymbolStream &stream, QStringList &files)
{
    KrWriteObject(stream, this, PublishedPropertyOffset(), this);
    for (TKrChild *e : Elements())
        e->CollectFiles(files);
}

void TKrGraphicControl::InitFromStream(TSymbolStream &stream)
{
    SetState(ksLoading, true);
    try {
        KrReadObject(stream, this, PublishedPropertyOffset(), this);
    } catch (...) {
        SetState(ksLoading, false);
        throw;
    }
    SetState(ksLoading, false);
}

// ---------------------------------------------------------------- drawing control

TKrCustomControl::TKrCustomControl(TKrComponent *owner) : TKrSymbol(owner) {}

TKrCustomDrawingControl::TKrCustomDrawingControl(TKrComponent *owner) : TKrCustomControl(owner)
{
    setAutoFillBackground(false);
}

TKrCustomDrawingControl::~TKrCustomDrawingControl() = default;

void TKrCustomDrawingControl::ValidateDim()
{
    TKrCustomControl::ValidateDim();
    RelayoutChildren();
}

void TKrCustomDrawingControl::SaveToStream(TSymbolStream &stream, QStringList &)
{
    KrWriteObject(stream, this, PublishedPropertyOffset(), nullptr);
}

void TKrCustomDrawingControl::InitFromStream(TSymbolStream &stream)
{
    SetState(ksLoading, true);
    try {
        KrReadObject(stream, this, PublishedPropertyOffset(), nullptr);
    } catch (...) {
        SetState(ksLoading, false);
        throw;
    }
    SetState(ksLoading, false);
}

void TKrCustomDrawingControl::Replace(TKrReplace &)
{
    // The container's elements are its own affair, as in streaming: a container
    // forwards a replace to each of them itself, in its own order.
}

void TKrCustomDrawingControl::MoveTimeOut() {}
void TKrCustomDrawingControl::PaperChanged() {}
void TKrCustomDrawingControl::GroupChanged() {}

void TKrCustomDrawingControl::FreeChilds()
{
    const QList<TKrComponent *> owned = Components();
    for (int i = owned.size() - 1; i >= 0; --i)
        if (auto *s = KrSymbolOf(owned.at(i)->AsObject()))
            delete s;
}

void TKrCustomDrawingControl::SetZOrder(bool topMost)
{
    SetSymbolZOrder(topMost);
}

QList<TKrSymbol *> TKrCustomDrawingControl::ChildSymbols() const
{
    return KrChildSymbols(this);
}

void TKrCustomDrawingControl::RelayoutChildren()
{
    for (TKrSymbol *s : ChildSymbols())
        s->ValidateDim();
}

void TKrCustomDrawingControl::PaintWindow(QPainter &painter)
{
    TKrCustomControl::PaintWindow(painter);
}

// ---------------------------------------------------------------- helpers

QList<TKrSymbol *> KrChildSymbols(const QWidget *w)
{
    QList<TKrSymbol *> list;
    if (!w)
        return list;
    for (QObject *o : w->children())
        if (auto *s = KrSymbolOf(o))
            list.append(s);
    return list;
}

TKrSymbol *KrSymbolOf(QObject *o)
{
    return qobject_cast<TKrSymbol *>(o);
}

QObject *KrTopMostDrawingItem(QObject *from)
{
    TKrComponent *c = KrComponentOf(from);
    if (!c)
        return from;
    while (c->Owner() && Supports<IKrDrawingItem>(c->Owner()))
        c = c->Owner();
    return c->AsObject();
}

QObject *KrFindSymbol(QObject *from, const QString &name)
{
    if (name.isEmpty())
        return nullptr;
    if (auto *lookup = Supports<IKrSymbolLookup>(KrTopMostDrawingItem(from)))
        return lookup->FindSymbol(name);
    return nullptr;
}

TRect TKrSymbol::RotatedBounds(TRotateFunction function, const QPoint &centre) const
{
    TRect bounds = BoundsRect();
    if (function == rfRotateRight || function == rfRotateLeft) {
        const QPoint c = parentWidget() ? parentWidget()->mapFromGlobal(centre) : centre;
        RotateRect(bounds, c, function == rfRotateRight);
    }
    return bounds;
}
