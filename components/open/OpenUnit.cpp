#include "OpenUnit.h"

#include "AutoShowU.h"
#include "Divunit.h"
#include "Keloclip.h"
#include "KrComponentEntry.h"
#include "Namechanged.h"
#include "OpenListU.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <cmath>

KR_SYMBOL_CLASS(TKROpen)

namespace {
bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A paper position in pixels, rounded to the nearest integer with ties to even;
// a stored value that gives no sensible pixel gives 0.
int PaperPixel(double v)
{
    const double r = std::nearbyint(v);
    if (!std::isfinite(r) || std::abs(r) > 1.0e9)
        return 0;
    return int(r);
}

double PaperFraction(int pixels, double extent)
{
    return extent > 0 ? pixels / extent : 0.0;
}
} // namespace

// ---------------------------------------------------------------- TKROpen

TKROpen::TKROpen(TKrComponent *owner) : TKrGraphicControl(owner)
{
    resize(15, 15);
    SetCursorCode(crHandPoint);
    m_upFrame = new TKRFrame(this);
    m_upFrame->SetName(QStringLiteral("Up frame"));
    m_upFrame->SetStyle(TKRFrame::fsRaised);
    m_downFrame = new TKRFrame(this);
    m_downFrame->SetName(QStringLiteral("Down frame"));
    m_downFrame->SetStyle(TKRFrame::fsLowered);
    m_image = new TKRImage(this);
    m_image->SetName(QStringLiteral("Image"));
    m_image->SetKind(TKRImage::ikPicture);
    m_openRef = new TKRString(this);
    m_openRef->SetName(QStringLiteral("Open ref."));
    m_openRef->SetOnChanging([this](QObject *) {
        if (m_initialised)
            Detach();
    });
    m_openRef->SetOnChange([this](QObject *) {
        if (m_initialised)
            Attach();
    });
    m_autoShow = new TKrBoolean(this, tr("No"), tr("Yes"));
    m_autoShow->SetName(QStringLiteral("Auto show"));
    m_floorPhysId = new TKrBoolean(this, tr("No"), tr("Yes"));
    m_floorPhysId->SetName(QStringLiteral("Floor PhysId"));
    m_floorPhysId->SetOnChange([this](QObject *) { FloorPhysIdChanged(); });
    m_notify = new TKROpenPhysIdNotify(this);
    m_notify->SetName(QStringLiteral("NortityPhysId"));
    m_notify->SetShowInTree(false);
    m_notify->OnPhysIdChanged = [this](QObject *) { PhysIdChanged(); };
}

bool TKROpen::GetInterface(const TGUID &iid, void **obj)
{
    KR_OFFER_INTERFACE(IKRFloorPhysIdSource)
    KR_OFFER_INTERFACE(IKROpen)
    KR_OFFER_INTERFACE(IKrRotatable)
    KR_OFFER_INTERFACE(IKRFloorRelation)
    return TKrGraphicControl::GetInterface(iid, obj);
}

// ---------------------------------------------------------------- helpers

QObject *TKROpen::FloorObject()
{
    QObject *o = KrFindSymbol(this, m_openRef->GetValue());
    return Supports<IKRWorkFloor>(o) ? o : nullptr;
}

IKRWorkFloor *TKROpen::Floor()
{
    return Supports<IKRWorkFloor>(FloorObject());
}

QPointF TKROpen::PaperPosition()
{
    const TDim d = GrundI()->GetDim();
    return QPointF(d.Left, d.Top);
}

void TKROpen::Attach()
{
    const QString ref = m_openRef->GetValue();
    if (ref.isEmpty())
        return;
    if (IKRWorkFloor *floor = Floor())
        floor->AddRelation(Name());
    else if (!KrFindSymbol(this, ref))
        SetReferenceQuietly(QString());
}

void TKROpen::Detach()
{
    QObject *o = FloorObject();
    IKRWorkFloor *floor = Supports<IKRWorkFloor>(o);
    auto *item = Supports<IKrDrawingItem>(o);
    if (!floor || !item)
        return;
    QPointer<QObject> guard(o);
    if (floor->GetRelationCount() == 1 && !item->GetShown())
        floor->OpenFloor(Name());
    if (guard)
        floor->RemoveRelation(Name());
}

void TKROpen::SetReferenceQuietly(const QString &name)
{
    const bool was = m_initialised;
    m_initialised = false;
    m_openRef->SetValue(name);
    m_initialised = was;
}

bool TKROpen::IsAutoShowCandidate()
{
    if (!GrundI()->GetVisible() || !m_initialised || !m_autoShow->GetValue() || m_openRef->GetValue().isEmpty())
        return false;
    const QList<QObject *> opens = OpenListU::AutoShowOpens(FloorObject());
    QObject *taken = OpenListU::TopMost(opens, [](QObject *o) {
        auto *item = Supports<IKrDrawingItem>(o);
        if (item && item->GetShown())
            return true;
        auto *open = Supports<IKROpen>(o);
        return open && open->IsShowing();
    });
    return taken == this;
}

// ---------------------------------------------------------------- interfaces

bool TKROpen::GetFloorPhysId()
{
    return m_floorPhysId->GetValue();
}

void TKROpen::OpenFloor()
{
    if (IKRWorkFloor *floor = Floor())
        floor->OpenFloor(Name());
}

bool TKROpen::GetAutoShow()
{
    return m_autoShow->GetValue();
}

bool TKROpen::IsShowing()
{
    if (m_openRef->GetValue().isEmpty())
        return false;
    QObject *o = FloorObject();
    IKRWorkFloor *floor = Supports<IKRWorkFloor>(o);
    auto *item = Supports<IKrDrawingItem>(o);
    return floor && item && SameName(floor->GetOpenerName(), Name()) && item->GetShown();
}

void TKROpen::Refresh()
{
    VisibleChanged(this);
}

QSize TKROpen::GetSize()
{
    return QSize(width(), height());
}

int TKROpen::GetRotation()
{
    return m_image->GetRotatedDeg();
}

bool TKROpen::GetMirrored()
{
    return m_image->GetMirrored();
}

void TKROpen::Rotate_Mirror(TRotateFunction function, const QPoint &centre)
{
    SetBounds(RotatedBounds(function, centre));
    m_image->Rotate_Mirror(function, centre);
    Validate();
}

void TKROpen::SetFloorName(const QString &name)
{
    if (name != m_openRef->GetValue())
        SetReferenceQuietly(name);
}

QString TKROpen::GetFloorName()
{
    return m_openRef->GetValue();
}

QPoint TKROpen::GetPaperPos()
{
    if (m_autoShow->GetValue())
        return QPoint(0, 0);
    return QPoint(PaperPixel(WorkAreaW * m_paperLeft * GlobZoomFactor), PaperPixel(WorkAreaH * m_paperTop * GlobZoomFactor));
}

void TKROpen::SetPaperPos(int x, int y)
{
    m_paperLeft = PaperFraction(x, WorkAreaW * GlobZoomFactor);
    m_paperTop = PaperFraction(y, WorkAreaH * GlobZoomFactor);
}

void TKROpen::FloorStateChanged(bool) {}

// ---------------------------------------------------------------- base operations

void TKROpen::Paint()
{
    QPainter *canvas = PaintCanvas();
    if (!canvas)
        return;
    TKrGraphicControl::Paint();
    TKRFrame *frame = m_pressed ? m_downFrame : m_upFrame;
    frame->SetBounds(ClientRect());
    frame->Paint(canvas);
    m_image->Paint(canvas, frame->GetClipRect());
}

void TKROpen::InitSymbol()
{
    TKrGraphicControl::InitSymbol();
    const QString ref = m_openRef->GetValue();
    if (!ref.isEmpty()) {
        const QString myName = Name();
        const QString myOld = FindNameChangedOld(myName);
        const QString newRef = FindNameChangedNew(ref);
        if (myOld != myName && newRef != ref) {
            SetReferenceQuietly(newRef);
            if (IKRWorkFloor *floor = Floor()) {
                floor->AddRelation(myName);
                floor->RemoveRelation(myOld);
            }
        } else {
            Attach();
        }
    }
    m_initialised = true;
    if (IsAutoShowCandidate()) {
        QObject *o = FloorObject();
        IKRWorkFloor *floor = Supports<IKRWorkFloor>(o);
        if (floor && floor->GetOpenerName().isEmpty())
            if (auto *rel = Supports<IKRFloorRelations>(o))
                rel->RelationLoaded(this);
    }
}

void TKROpen::Validate()
{
    TKrGraphicControl::Validate();
    Repaint();
}

bool TKROpen::CanDelete()
{
    if (!m_openRef->GetValue().isEmpty())
        Detach();
    return true;
}

void TKROpen::VisibleChanged(QObject *sender)
{
    TKrGraphicControl::VisibleChanged(sender);
    if (IsAutoShowCandidate())
        OpenFloor();
}

void TKROpen::SetName(const QString &name)
{
    const QString old = Name();
    TKrGraphicControl::SetName(name);
    if (old == name || m_openRef->GetValue().isEmpty())
        return;
    Attach();
    QObject *o = FloorObject();
    IKRWorkFloor *floor = Supports<IKRWorkFloor>(o);
    if (!floor)
        return;
    QPointer<QObject> guard(o);
    if (auto *item = Supports<IKrDrawingItem>(o); item && floor->GetRelationCount() == 1 && !item->GetShown())
        floor->OpenFloor(name);
    if (guard)
        floor->RemoveRelation(old);
}

void TKROpen::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    m_pressed = true;
    Repaint();
    m_paperAtDown = PaperPosition();
    TKrGraphicControl::MouseDown(button, shift, x, y);
}

void TKROpen::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    QPointer<TKROpen> self(this);
    m_pressed = false;
    Repaint();
    // A move of the button since the press must not move its floor on the page:
    // the change comes off the paper position before the floor is opened.
    if (IKRWorkFloor *floor = Floor(); floor && floor->GetShowMode() == 0) {
        const QPointF now = PaperPosition();
        if (now != m_paperAtDown) {
            m_paperLeft -= now.x() - m_paperAtDown.x();
            m_paperTop -= now.y() - m_paperAtDown.y();
            m_paperAtDown = now;
        }
    }
    if (ClientRect().Contains(x, y) && !GetBlockClicks()) {
        if (!m_openRef->GetValue().isEmpty() && m_initialised)
            OpenFloor();
        else
            QMessageBox::information(window(), QString(), tr("Open ref. not assigned"));
    }
    if (!self)
        return;
    TKrGraphicControl::MouseUp(button, shift, x, y);
}

void TKROpen::DoContextPopup(const QPoint &mousePos, bool &handled)
{
    QMenu *menu = PopupMenu();
    menu->clear();
    if (IsDesigning() && !GrundI()->GetGrouped() && Owner() && Supports<IKrDrawingItem>(Owner())) {
        QAction *paste = menu->addAction(tr("Paste Ref."));
        connect(paste, &QAction::triggered, this, [this] { PasteRef(); });
    }
    TKrGraphicControl::DoContextPopup(mousePos, handled);
}

void TKROpen::PasteRef()
{
    if (!KeloClip.HasReferance())
        return;
    const std::unique_ptr<TClipReferance> ref = KeloClip.GetClipReferance();
    if (!ref)
        return;
    const bool was = m_initialised;
    m_initialised = false;
    Detach();
    m_openRef->SetValue(ref->Name());
    Attach();
    m_initialised = was;
    KrOpenFloorFrom(FloorObject(), *this, *this, Name());
}

void TKROpen::FloorPhysIdChanged()
{
    if (!m_floorPhysId->GetValue()) {
        delete m_physIdPath;
        m_physIdPath = nullptr;
    } else if (!m_physIdPath) {
        m_physIdPath = new TKrPhysIdPath(this);
        m_physIdPath->SetName(QStringLiteral("Partial PhysId"));
    }
    if (IKrDesigner *d = GrundI()->GetKrDesigner())
        d->RefreshElementTree();
    if (State().testFlag(ksLoading))
        return;
    if (IsShowing())
        OpenFloor();
}

void TKROpen::PhysIdChanged()
{
    if (!m_floorPhysId->GetValue())
        return;
    QObject *o = FloorObject();
    IKRWorkFloor *floor = Supports<IKRWorkFloor>(o);
    if (!floor || !SameName(floor->GetOpenerName(), Name()) || floor->GetShowMode() != 1)
        return;
    TKrComponent *fc = KrComponentOf(o);
    if (!fc || m_inPhysIdUpdate)
        return;
    // The update tells every symbol on the floor, this one too when it lies there.
    m_inPhysIdUpdate = true;
    struct Reset {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_inPhysIdUpdate};
    for (TKrComponent *c : fc->Components()) {
        if (auto *upd = Supports<IKrPhysIdUpdate>(c)) {
            upd->Update(true);
            break;
        }
    }
}
