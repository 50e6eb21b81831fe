#include "TBistateUnit.h"

#include "Divunit.h"
#include "EnableUnit.h"
#include "KrComponentEntry.h"
#include "Keloclip.h"
#include "Namechanged.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <cmath>

KR_SYMBOL_CLASS(TKRBistate)

namespace {
// Element labels: the names in the element tree and in the stored data.
const QString kFunction = QStringLiteral("Function");
const QString kOnAction = QStringLiteral("On action");
const QString kOffAction = QStringLiteral("Off action");
const QString kErrorAction = QStringLiteral("Error action");
const QString kFloor = QStringLiteral("Floor");
const QString kVariableLink = QStringLiteral("Variable link");
const QString kPartialPhysId = QStringLiteral("Partial PhysId");
const QString kNotifier = QStringLiteral("NortityPhysId");

// Restores a flag when it goes out of scope.
class TFlagGuard {
public:
    TFlagGuard(bool &flag, bool value) : m_flag(flag), m_old(flag) { m_flag = value; }
    ~TFlagGuard() { m_flag = m_old; }

private:
    bool &m_flag;
    bool m_old;
};
} // namespace

// ---------------------------------------------------------------- TKRPhysIdNotifier

TKRPhysIdNotifier::TKRPhysIdNotifier(TKrComponent *owner) : TKrPhysIdRelay(owner)
{
    SetShowInTree(false);
}

// ---------------------------------------------------------------- TKRBistate

TKRBistate::TKRBistate(TKrComponent *owner) : TKrGraphicControl(owner)
{
    resize(50, 50);
    m_function = new TKRInOutFunction(this);
    m_function->SetName(kFunction);
    m_function->SetInputOnChanged([this](QObject *s) { InputChanged(s); });
    m_function->SetOutputOnChanged([this](QObject *s) { OutputChanged(s); });
    // A new symbol shows its off state framed; an off look made later by the
    // enable property starts without a frame.
    m_offAction = MakeCollection(kOffAction);
    m_offAction->SetFrameEnabled(true);
    m_notifier = new TKRPhysIdNotifier(this);
    m_notifier->SetName(kNotifier);
    m_notifier->OnPhysIdChanged = [this](QObject *s) { NotifierPhysIdChanged(s); };
}

TKRBistate::~TKRBistate()
{
    SetState(ksDestroying, true);
    delete m_enableForm.data();
    if (m_link) {
        m_link->SetOnDataReadyEvent(nullptr);
        m_link->SetOnPhysIdChanged(nullptr);
        m_link->OnError = nullptr;
    }
    m_function->SetInputOnChanged(nullptr);
    m_function->SetOutputOnChanged(nullptr);
    if (m_floor) {
        m_floor->SetOnChange(nullptr);
        m_floor->SetOnChanging(nullptr);
    }
    m_notifier->OnPhysIdChanged = nullptr;
}

bool TKRBistate::GetInterface(const TGUID &iid, void **obj)
{
    KR_OFFER_INTERFACE(IKRFloorPhysIdSource)
    KR_OFFER_INTERFACE(IKRFloorRelation)
    KR_OFFER_INTERFACE(IKrRotatable)
    return TKrGraphicControl::GetInterface(iid, obj);
}

// ---------------------------------------------------------------- elements

TKRActionCollection *TKRBistate::MakeCollection(const QString &label)
{
    auto *c = new TKRActionCollection(this);
    c->SetName(label);
    return c;
}

void TKRBistate::SortElements()
{
    // The table order of the elements; elements created later by an enable
    // property take their place in it, so that the stored data has one order
    // whatever order the parts were switched on in.
    const QList<TKrChild *> order = {m_function, m_onAction, m_offAction, m_errorAction, m_floor, m_link, m_physIdPath, m_notifier};
    for (TKrChild *e : order) {
        if (!e)
            continue;
        RemoveComponent(e);
        InsertComponent(e);
    }
}

void TKRBistate::RefreshTree()
{
    if (IKrDesigner *d = GrundI()->GetKrDesigner())
        d->RefreshElementTree();
}

void TKRBistate::SetEnableOnAction(bool enable)
{
    if (enable == m_enableOnAction)
        return;
    m_enableOnAction = enable;
    if (!enable) {
        delete m_onAction;
        m_onAction = nullptr;
    } else if (!m_onAction) {
        m_onAction = MakeCollection(kOnAction);
        SortElements();
    }
    RefreshTree();
    Validate();
}

void TKRBistate::SetEnableOffAction(bool enable)
{
    if (enable == m_enableOffAction)
        return;
    m_enableOffAction = enable;
    if (!enable) {
        delete m_offAction;
        m_offAction = nullptr;
    } else if (!m_offAction) {
        m_offAction = MakeCollection(kOffAction);
        SortElements();
    }
    RefreshTree();
    Validate();
}

void TKRBistate::SetEnableErrorAction(bool enable)
{
    if (enable == m_enableErrorAction)
        return;
    m_enableErrorAction = enable;
    if (!enable) {
        delete m_errorAction;
        m_errorAction = nullptr;
    } else if (!m_errorAction) {
        m_errorAction = MakeCollection(kErrorAction);
        SortElements();
    }
    RefreshTree();
    Validate();
}

void TKRBistate::SetEnableFloorRelation(bool enable)
{
    if (enable == m_enableFloorRelation)
        return;
    m_enableFloorRelation = enable;
    if (enable) {
        if (!m_floor) {
            m_floor = new TKRString(this);
            m_floor->SetName(kFloor);
            m_floor->SetOnChanging([this](QObject *s) { FloorChanging(s); });
            m_floor->SetOnChange([this](QObject *s) { FloorChanged(s); });
            SortElements();
        }
    } else if (m_floor) {
        if (m_initialised)
            Detach();
        TKRString *floor = m_floor;
        m_floor = nullptr;
        floor->SetOnChanging(nullptr);
        floor->SetOnChange(nullptr);
        delete floor;
    }
    RefreshTree();
    Validate();
}

void TKRBistate::SetEnableVariableLink(bool enable)
{
    if (enable == m_enableVariableLink)
        return;
    m_enableVariableLink = enable;
    if (!enable) {
        if (m_link) {
            TKrKeloTimer *link = m_link;
            m_link = nullptr;
            link->SetOnDataReadyEvent(nullptr);
            link->SetOnPhysIdChanged(nullptr);
            link->OnError = nullptr;
            delete link;
        }
        if (m_errorShown) {
            m_errorShown = false;
            Repaint();
        }
    } else if (!m_link) {
        m_link = new TKrKeloTimer(this);
        m_link->SetName(kVariableLink);
        m_link->SetOnDataReadyEvent([this](QObject *s) { DataReady(s); });
        m_link->SetOnPhysIdChanged([this](QObject *s) { LinkPhysIdChanged(s); });
        m_link->OnError = [this](QObject *s) { LinkError(s); };
        SortElements();
        if (m_initialised)
            UpdateLinkEnable();
    }
    RefreshTree();
    Validate();
}

void TKRBistate::SetEnableFloorPhysId(bool enable)
{
    if (enable == m_enableFloorPhysId)
        return;
    m_enableFloorPhysId = enable;
    if (!enable) {
        delete m_physIdPath;
        m_physIdPath = nullptr;
    } else if (!m_physIdPath) {
        m_physIdPath = new TKrPhysIdPath(this);
        m_physIdPath->SetName(kPartialPhysId);
        SortElements();
    }
    if (MineOrNone())
        FloorSync();
    RefreshTree();
    Validate();
}

void TKRBistate::SetRotDeg(int deg)
{
    m_rotDeg = ((deg % 360) + 360) % 360;
}

void TKRBistate::SetPaperLeft(double v)
{
    if (std::isfinite(v))
        m_paperLeft = v;
}

void TKRBistate::SetPaperTop(double v)
{
    if (std::isfinite(v))
        m_paperTop = v;
}

// ---------------------------------------------------------------- floor relation

QString TKRBistate::FloorName() const
{
    return m_floor ? m_floor->GetValue() : QString();
}

QObject *TKRBistate::FloorObject() const
{
    const QString name = FloorName();
    if (name.isEmpty())
        return nullptr;
    QObject *o = KrFindSymbol(const_cast<TKRBistate *>(this), name);
    return Supports<IKRWorkFloor>(o) ? o : nullptr;
}

IKRWorkFloor *TKRBistate::Floor() const
{
    return Supports<IKRWorkFloor>(FloorObject());
}

bool TKRBistate::MineOrNone() const
{
    if (FloorName().isEmpty())
        return true;
    IKRWorkFloor *floor = Floor();
    return floor && floor->GetOpenerName() == Name();
}

void TKRBistate::Attach()
{
    const QString name = FloorName();
    if (name.isEmpty())
        return;
    if (IKRWorkFloor *floor = Floor()) {
        floor->AddRelation(Name());
    } else if (!KrFindSymbol(this, name)) {
        // Nothing of that name on the page: the reference is void.
        TFlagGuard quiet(m_initialised, false);
        m_floor->SetValue(QString());
    }
}

void TKRBistate::Detach()
{
    QObject *o = FloorObject();
    IKRWorkFloor *floor = Supports<IKRWorkFloor>(o);
    IKrDrawingItem *item = Supports<IKrDrawingItem>(o);
    if (!floor || !item)
        return;
    // The last opener of a hidden floor shows it before it goes, so that the
    // floor is not left hidden with nothing to open it.
    if (floor->GetRelationCount() == 1 && !item->GetShown())
        floor->OpenFloor(Name());
    if (IKRWorkFloor *again = Floor())
        again->RemoveRelation(Name());
}

void TKRBistate::FloorChanging(QObject *)
{
    if (m_initialised)
        Detach();
}

void TKRBistate::FloorChanged(QObject *)
{
    if (m_initialised)
        Attach();
    Validate();
}

void TKRBistate::FloorSync()
{
    if (m_floorSyncSuppressed || FloorName().isEmpty() || !m_initialised)
        return;
    QObject *o = FloorObject();
    IKRWorkFloor *floor = Supports<IKRWorkFloor>(o);
    if (!floor)
        return;
    if (GetState() == 1) {
        floor->OpenFloor(Name());
    } else {
        auto *w = qobject_cast<QWidget *>(o);
        const bool shown = w ? !w->isHidden() : false;
        if (floor->GetRelationCount() > 0 && shown)
            floor->CloseFloor(Name());
    }
}

bool TKRBistate::GetFloorPhysId()
{
    return m_enableFloorRelation && m_enableFloorPhysId;
}

void TKRBistate::SetFloorName(const QString &name)
{
    if (!m_floor || m_floor->GetValue() == name)
        return;
    TFlagGuard quiet(m_initialised, false);
    m_floor->SetValue(name);
}

QString TKRBistate::GetFloorName()
{
    return FloorName();
}

QPoint TKRBistate::GetPaperPos()
{
    // Nearest integer, ties to even.
    const double x = std::nearbyint(double(WorkAreaW) * m_paperLeft * GlobZoomFactor);
    const double y = std::nearbyint(double(WorkAreaH) * m_paperTop * GlobZoomFactor);
    auto clamp = [](double v) { return int(qBound(-2147483647.0, v, 2147483647.0)); };
    return QPoint(clamp(x), clamp(y));
}

void TKRBistate::SetPaperPos(int x, int y)
{
    const double sx = double(WorkAreaW) * GlobZoomFactor;
    const double sy = double(WorkAreaH) * GlobZoomFactor;
    if (sx > 0)
        m_paperLeft = x / sx;
    if (sy > 0)
        m_paperTop = y / sy;
}

void TKRBistate::FloorStateChanged(bool opened)
{
    TFlagGuard suppress(m_floorSyncSuppressed, true);
    IKRWorkFloor *floor = Floor();
    const bool mine = floor && floor->GetOpenerName() == Name();
    if (!m_link || m_link->GetPhysId().isEmpty()) {
        const bool on = GetState() == 1;
        if ((opened && on && !mine) || (opened && !on && mine) || (!opened && on)) {
            m_function->ComputeOutput(true);
            m_function->ComputeOutput(false);
        }
    } else if (!opened && mine && m_onAction) {
        m_onAction->GetMultiMedia()->CloseMultiMedia();
    }
}

void TKRBistate::PasteRef()
{
    if (!m_initialised || !m_floor || !KeloClip.HasReferance())
        return;
    std::unique_ptr<TClipReferance> ref = KeloClip.GetClipReferance();
    if (!ref)
        return;
    // The change handlers detach from the old floor and attach to the new one.
    m_floor->SetValue(ref->Name());
    ref.reset();
    KrOpenFloorFrom(FloorObject(), *this, *this, Name());
}

// ---------------------------------------------------------------- state

TKRActionCollection *TKRBistate::CollectionOfState() const
{
    return GetState() == 1 ? m_onAction : m_offAction;
}

TRect TKRBistate::ClipRectOf(TKRActionCollection *collection) const
{
    return collection ? collection->ClipRect(ClientRect()) : ClientRect();
}

void TKRBistate::InputChanged(QObject *)
{
    StateChanged();
}

void TKRBistate::OutputChanged(QObject *)
{
    QPointer<TKRBistate> self(this);
    StateChanged();
    if (!self)
        return;
    if (m_link && !m_link->GetPhysId().isEmpty())
        m_link->SetValue(m_function->GetReturnValue());
}

void TKRBistate::StateChanged()
{
    Repaint();
    if (m_errorAction)
        m_errorAction->GetMultiMedia()->CloseMultiMedia();
    if (GetState() == 1) {
        FloorSync();
        if (m_offAction)
            m_offAction->GetMultiMedia()->CloseMultiMedia();
        if (MineOrNone() && m_onAction && m_onAction->GetMultiMedia()->HasClip()) {
            if (!FloorName().isEmpty())
                PlayInFloor();
            else
                m_onAction->GetMultiMedia()->PlayMultiMedia(ClipRectOf(m_onAction));
        }
    } else {
        if (MineOrNone())
            FloorSync();
        if (m_onAction)
            m_onAction->GetMultiMedia()->CloseMultiMedia();
        if (m_offAction)
            m_offAction->GetMultiMedia()->PlayMultiMedia(ClipRectOf(m_offAction));
    }
}

void TKRBistate::PlayInFloor()
{
    if (!m_onAction)
        return;
    TKRMultiMedia *clip = m_onAction->GetMultiMedia();
    if (GetState() != 1) {
        clip->CloseMultiMedia();
        return;
    }
    if (IKrDesigner *d = GrundI()->GetKrDesigner()) {
        if (d->AskBeforeMultiMedia()) {
            const QMessageBox::StandardButton answer =
                QMessageBox::question(this, tr("Confirm"), tr("Play Multimedia clip ?"), QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            if (answer != QMessageBox::Yes)
                return;
        }
    }
    QObject *floorObject = FloorObject();
    IKRWorkFloor *floor = Supports<IKRWorkFloor>(floorObject);
    TRect rect;
    if (floor) {
        rect = floor->GetMediaRect();
    } else {
        // No floor to play in: the on look's own place, in the parent.
        rect = ClipRectOf(m_onAction).Offset(Left(), Top());
    }
    clip->PlayMultiMedia(floorObject, parentWidget(), rect);
}

void TKRBistate::DataReady(QObject *)
{
    if (!m_link)
        return;
    bool ok = false;
    double v = m_link->GetInValue().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        v = 0.0;
    if (m_errorShown) {
        m_errorShown = false;
        Repaint();
    }
    QPointer<TKRBistate> self(this);
    m_function->ComputeInput(QVariant(v));
    if (self && m_errorAction)
        m_errorAction->GetMultiMedia()->CloseMultiMedia();
}

void TKRBistate::LinkError(QObject *)
{
    m_errorShown = true;
    if (m_onAction)
        m_onAction->GetMultiMedia()->CloseMultiMedia();
    if (m_offAction)
        m_offAction->GetMultiMedia()->CloseMultiMedia();
    if (m_errorAction)
        m_errorAction->GetMultiMedia()->PlayMultiMedia(ClipRectOf(m_errorAction));
    Repaint();
}

bool TKRBistate::LinkHasPhysId() const
{
    return m_link && !m_link->GetPhysId().isEmpty();
}

void TKRBistate::LinkPhysIdChanged(QObject *)
{
    if (!m_link || !GrundI()->GetVisible())
        return;
    m_errorShown = false;
    const bool enable = LinkHasPhysId();
    m_link->SetEnable(enable);
    if (enable) {
        QPointer<TKRBistate> self(this);
        m_link->DoRead();
        if (!self || !m_link)
            return;
        m_errorShown = m_link->GetErrorCode() != 0;
    }
    Repaint();
}

void TKRBistate::UpdateLinkEnable()
{
    if (m_link)
        m_link->SetEnable(GrundI()->GetVisible() && LinkHasPhysId());
}

void TKRBistate::NotifierPhysIdChanged(QObject *)
{
    if (!GetFloorPhysId())
        return;
    QObject *o = FloorObject();
    IKRWorkFloor *floor = Supports<IKRWorkFloor>(o);
    TKrComponent *owner = KrComponentOf(o);
    if (!floor || !owner || floor->GetOpenerName() != Name() || floor->GetShowMode() != 1)
        return;
    for (TKrComponent *c : owner->Components()) {
        if (auto *update = Supports<IKrPhysIdUpdate>(c)) {
            update->Update(true);
            break;
        }
    }
}

// ---------------------------------------------------------------- clicks

bool TKRBistate::TextEditing() const
{
    for (TKRActionCollection *c : {m_onAction, m_offAction, m_errorAction})
        if (c && c->GetText()->IsEditing())
            return true;
    return false;
}

void TKRBistate::InstallClickHandlers()
{
    const bool want = m_function->GetOutputFunction() != 0;
    if (want == m_clickHandlers && (want ? CursorCode() == crHandPoint : CursorCode() == crDefault))
        return;
    m_clickHandlers = want;
    if (want) {
        OnMouseDown = [this](QObject *s, TMouseButton b, TShiftState sh, int x, int y) { ClickDown(s, b, sh, x, y); };
        OnMouseUp = [this](QObject *s, TMouseButton b, TShiftState sh, int x, int y) { ClickUp(s, b, sh, x, y); };
        SetCursorCode(crHandPoint);
    } else {
        OnMouseDown = nullptr;
        OnMouseUp = nullptr;
        SetCursorCode(crDefault);
    }
}

void TKRBistate::ClickDown(QObject *, TMouseButton button, TShiftState, int, int)
{
    if (button != mbLeft || TextEditing() || GetBlockClicks())
        return;
    m_function->ComputeOutput(true);
}

void TKRBistate::ClickUp(QObject *, TMouseButton button, TShiftState, int, int)
{
    if (button != mbLeft || TextEditing() || GetBlockClicks())
        return;
    m_function->ComputeOutput(false);
}

void TKRBistate::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    const TDim d = GrundI()->GetDim();
    m_downPaperLeft = d.Left;
    m_downPaperTop = d.Top;
    TKrGraphicControl::MouseDown(button, shift, x, y);
}

void TKRBistate::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    QPointer<TKRBistate> self(this);
    TKrGraphicControl::MouseUp(button, shift, x, y);
    if (!self)
        return;
    // A symbol moved in show mode 0 takes the floor's offset along, so that the
    // floor keeps its place on the page.
    IKRWorkFloor *floor = Floor();
    if (!floor || floor->GetShowMode() != 0)
        return;
    const TDim d = GrundI()->GetDim();
    if (d.Left != m_downPaperLeft || d.Top != m_downPaperTop) {
        m_paperLeft -= d.Left - m_downPaperLeft;
        m_paperTop -= d.Top - m_downPaperTop;
        m_downPaperLeft = d.Left;
        m_downPaperTop = d.Top;
    }
}

void TKRBistate::DblClick()
{
    TKrGraphicControl::DblClick();
    if (IsDesigning())
        return;
    if (TKRActionCollection *c = CollectionOfState())
        if (c->GetText()->EditEnable())
            c->GetText()->DoEdit();
}

// ---------------------------------------------------------------- host operations

void TKRBistate::Paint()
{
    TKrGraphicControl::Paint();
    QPainter *canvas = PaintCanvas();
    if (!canvas)
        return;
    if (TKRActionCollection *c = CollectionOfState())
        c->Paint(canvas, ClientRect());
    if (m_errorShown && m_errorAction)
        m_errorAction->Paint(canvas, ClientRect());
}

void TKRBistate::InitSymbol()
{
    TKrGraphicControl::InitSymbol();
    if (m_floor && !FloorName().isEmpty()) {
        const QString oldOwnName = FindNameChangedOld(Name());
        const QString ref = FloorName();
        const QString newRef = FindNameChangedNew(ref);
        if (oldOwnName != Name() && newRef != ref) {
            // Pasted together with its floor: follow the floor's new name.
            {
                TFlagGuard quiet(m_initialised, false);
                m_floor->SetValue(newRef);
            }
            if (IKRWorkFloor *floor = Floor()) {
                floor->AddRelation(Name());
                floor->RemoveRelation(oldOwnName);
            }
        } else {
            Attach();
        }
    }
    m_initialised = true;
    UpdateLinkEnable();
    InstallClickHandlers();
    Validate();
}

void TKRBistate::Validate()
{
    TKrGraphicControl::Validate();
    if (m_initialised && !State().testFlag(ksDestroying))
        InstallClickHandlers();
    Repaint();
}

bool TKRBistate::CanDelete()
{
    if (!FloorName().isEmpty())
        Detach();
    return TKrGraphicControl::CanDelete();
}

void TKRBistate::VisibleChanged(QObject *sender)
{
    TKrGraphicControl::VisibleChanged(sender);
    UpdateLinkEnable();
    for (TKRActionCollection *c : {m_onAction, m_offAction, m_errorAction})
        if (c)
            c->VisibleChanged(sender);
}

void TKRBistate::ShowDetails(QWidget *parent)
{
    TKrGraphicControl::ShowDetails(parent);
    if (!m_enableForm)
        m_enableForm = new TEnableForm(parent);
    m_enableForm->Load(this);
    if (m_enableForm->parentWidget() != parent)
        m_enableForm->setParent(parent);
    m_enableForm->show();
}

TEnableForm *TKRBistate::EnableForm() const
{
    return m_enableForm.data();
}

void TKRBistate::HideDetails()
{
    TKrGraphicControl::HideDetails();
    delete m_enableForm.data();
    m_enableForm = nullptr;
}

void TKRBistate::InitFromStream(TSymbolStream &stream)
{
    TKrGraphicControl::InitFromStream(stream);
    for (TKRActionCollection *c : {m_onAction, m_offAction, m_errorAction})
        if (c && c->GetFrame())
            c->GetFrame()->SetBounds(ClientRect());
}

void TKRBistate::SetName(const QString &name)
{
    const QString oldName = Name();
    TKrGraphicControl::SetName(name);
    if (oldName == name || oldName.isEmpty() || FloorName().isEmpty())
        return;
    Attach();
    QObject *o = FloorObject();
    IKRWorkFloor *floor = Supports<IKRWorkFloor>(o);
    IKrDrawingItem *item = Supports<IKrDrawingItem>(o);
    if (!floor)
        return;
    if (item && floor->GetRelationCount() == 1 && !item->GetShown())
        floor->OpenFloor(name);
    if (IKRWorkFloor *again = Floor())
        again->RemoveRelation(oldName);
}

void TKRBistate::DoContextPopup(const QPoint &mousePos, bool &handled)
{
    QMenu *menu = PopupMenu();
    const bool offer = m_enableFloorRelation && IsDesigning() && !GrundI()->GetGrouped() && Owner() && Supports<IKrDrawingItem>(Owner());
    if (offer && !m_pasteRefAction) {
        m_pasteRefAction = menu->addAction(tr("Paste Ref."));
        m_pasteRefAction->setObjectName(QStringLiteral("PasteRef"));
        connect(m_pasteRefAction, &QAction::triggered, this, [this]() { PasteRef(); });
    } else if (!offer && m_pasteRefAction) {
        menu->removeAction(m_pasteRefAction);
        delete m_pasteRefAction;
        m_pasteRefAction = nullptr;
    }
    TKrGraphicControl::DoContextPopup(mousePos, handled);
}

void TKRBistate::Rotate_Mirror(TRotateFunction function, const QPoint &centre)
{
    if (!TurnRotation(function, m_rotDeg, m_rotMirr))
        return;
    const TRect bounds = RotatedBounds(function, centre);
    for (TKRActionCollection *col : {m_onAction, m_offAction, m_errorAction})
        if (col)
            col->Rotate_Mirror(function, centre);
    SetBounds(bounds);
    Repaint();
    if (IKrDesigner *d = GrundI()->GetKrDesigner())
        d->Modified(true);
}
