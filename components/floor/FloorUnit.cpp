#include "FloorUnit.h"

#include "AutoShowU.h"
#include "Keloclip.h"
#include "KrComponentEntry.h"
#include "Krfiler.h"
#include "Krvisible.h"
#include "Namechanged.h"
#include "OpenListU.h"
#include "Timerservice.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <limits>

KR_SYMBOL_CLASS(TKRWorkFloor)

namespace {
// Clears a flag when the scope ends, however it ends.
struct FlagGuard {
    bool &flag;
    ~FlagGuard() { flag = false; }
};

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

TKRWorkFloor::TKRWorkFloor(TKrComponent *owner) : TKrCustomDrawingControl(owner)
{
    resize(200, 150);
    m_movability = new TKrBoolean(this, tr("Fixed in Run Mode"), tr("Movable in Run Mode"));
    m_movability->SetName(QStringLiteral("Movability"));
    m_show = new TKRDropdownList(this);
    m_show->SetName(QStringLiteral("Show"));
    m_show->AddItem(tr("with local open"));
    m_show->AddItem(tr("on main"));
    m_image = new TKRImage(this);
    m_image->SetName(QStringLiteral("Image"));
    m_image->SetKind(TKRImage::ikPicture);
    m_image->SetColor(clBtnFace);
    m_frame = new TKRFrame(this);
    m_frame->SetName(QStringLiteral("Frame"));
    m_physIdPath = new TKrPhysIdPath(this);
    m_physIdPath->SetName(QStringLiteral("Partial PhysId"));
}

TKRWorkFloor::~TKRWorkFloor()
{
    DeleteTimerMethode(this, &TKRWorkFloor::PaperCheckTimer);
    m_timerPending = false;
    const QStringList relations = m_relations;
    for (const QString &name : relations)
        if (auto *rel = Supports<IKRFloorRelation>(Lookup(name)))
            rel->SetFloorName(QString());
}

bool TKRWorkFloor::GetInterface(const TGUID &iid, void **obj)
{
    KR_OFFER_INTERFACE(IKRWorkFloor)
    KR_OFFER_INTERFACE(IKRFloorRelations)
    return TKrCustomDrawingControl::GetInterface(iid, obj);
}

// ---------------------------------------------------------------- helpers

int TKRWorkFloor::IndexOf(const QString &name) const
{
    if (name.isEmpty())
        return -1;
    for (int i = 0; i < m_relations.size(); ++i)
        if (SameName(m_relations.at(i), name))
            return i;
    return -1;
}

QObject *TKRWorkFloor::Lookup(const QString &name)
{
    return KrFindSymbol(this, name);
}

void TKRWorkFloor::TellRelations(bool opened, int except)
{
    // A relation may change the list while it is told; go by a copy.
    const QStringList relations = m_relations;
    for (int i = 0; i < relations.size(); ++i) {
        if (i == except)
            continue;
        if (auto *rel = Supports<IKRFloorRelation>(Lookup(relations.at(i))))
            rel->FloorStateChanged(opened);
    }
}

QPointF TKRWorkFloor::PaperPosition() const
{
    const TDim d = const_cast<TKRWorkFloor *>(this)->GrundI()->GetDim();
    return QPointF(d.Left, d.Top);
}

void TKRWorkFloor::ReportPosition()
{
    if (m_currentIndex < 0 || m_currentIndex >= m_relations.size())
        return;
    QObject *opener = Lookup(m_relations.at(m_currentIndex));
    auto *rel = Supports<IKRFloorRelation>(opener);
    if (!rel)
        return;
    int x = Left();
    int y = Top();
    if (GetShowMode() == 0)
        if (auto *w = qobject_cast<QWidget *>(opener)) {
            x -= w->x();
            y -= w->y();
        }
    rel->SetPaperPos(x, y);
}

void TKRWorkFloor::RefreshEmbeddedOpens()
{
    AutoShowU::RefreshEmbeddedOpens(this);
}

void TKRWorkFloor::DeleteRelationAt(int index)
{
    if (index < 0 || index >= m_relations.size())
        return;
    m_relations.removeAt(index);
    auto shift = [index](int &i) {
        if (i == index)
            i = -1;
        else if (i > index)
            --i;
    };
    shift(m_currentIndex);
    shift(m_loadedIndex);
    shift(m_storedIndex);
}

void TKRWorkFloor::SendToBack(QWidget *button)
{
    // On the designer's pages windowed symbols lie above the window-less ones
    // of the same parent, so a floor sent to the back is still seen inside the
    // button that shows it. Here every symbol is a window: the floor goes as far
    // back as it can while staying just above that button.
    const QList<TKrSymbol *> siblings = KrChildSymbols(parentWidget());
    const int at = button ? int(siblings.indexOf(KrSymbolOf(button))) : -1;
    if (at < 0) {
        lower();
        return;
    }
    for (int i = at + 1; i < siblings.size(); ++i) {
        if (siblings.at(i) != this) {
            stackUnder(siblings.at(i));
            return;
        }
    }
    raise();
}

void TKRWorkFloor::MoveInto(QWidget *newParent)
{
    if (!newParent || newParent == parentWidget())
        return;
    setParent(newParent);
    if (!GrundI()->GetGrouped())
        if (TKrComponent *c = KrComponentOf(static_cast<QObject *>(newParent)); c && c != Owner() && c != this)
            c->InsertComponent(this);
}

// ---------------------------------------------------------------- IKRWorkFloor

void TKRWorkFloor::OpenFloor(const QString &openerName)
{
    if (m_opening)
        return;
    m_opening = true;
    FlagGuard guard{m_opening};

    const int index = IndexOf(openerName);
    if (index < 0)
        return;
    QPointer<QObject> opener = Lookup(openerName);
    if (!opener)
        return;
    auto *openerWidget = qobject_cast<QWidget *>(opener.data());
    QWidget *openerParent = openerWidget ? openerWidget->parentWidget() : nullptr;
    const int showMode = GetShowMode();

    // An opener on this floor (or on a floor inside it) cannot show it beside itself.
    if (index != m_currentIndex && showMode == 0) {
        for (QWidget *p = openerParent; p && Supports<IKrDrawingItem>(static_cast<QObject *>(p)); p = p->parentWidget()) {
            if (p == this) {
                QMessageBox::information(openerWidget ? openerWidget->window() : nullptr, QString(),
                                         tr("Can't open on self or Child of self."));
                return;
            }
        }
    }

    double ownerScale = 1.0;
    if (Owner())
        if (auto *item = Supports<IKrDrawingItem>(Owner()))
            ownerScale = item->GetScale();
    if (!(ownerScale > 0))
        ownerScale = 1.0;
    const double ratio = GrundI()->GetScale() / ownerScale;
    const bool autoFlag = AutoShowU::IsAutoShowOpen(opener);

    if (!isHidden()) {
        m_armed = false;
        GrundI()->SetVisible(false);
        TestClosed(this);
        hide();
        TellRelations(false, index);
        if (!opener)
            return;
    }

    QPoint pos(0, 0);
    if (auto *rel = Supports<IKRFloorRelation>(opener.data())) {
        pos = rel->GetPaperPos();
        if (showMode == 0 && openerWidget)
            pos += openerWidget->pos();
    }

    if (index != m_currentIndex) {
        if (openerParent && parentWidget() != openerParent && (showMode == 0 || autoFlag)) {
            MoveInto(openerParent);
        } else if (showMode == 1) {
            auto *top = qobject_cast<QWidget *>(KrTopMostDrawingItem(this));
            if (top && top != this && parentWidget() != top)
                MoveInto(top);
        }
    }

    m_openCompleted = false;
    if (autoFlag) {
        SendToBack(openerWidget);
        QSize size(width(), height());
        if (auto *open = Supports<IKROpen>(opener.data()))
            size = open->GetSize();
        const TRect paper = GrundI()->CalBoundsRect(GrundI()->GetDim());
        double scale = 1.0;
        if (paper.Width() > 0 && paper.Height() > 0 && size.width() > 0 && size.height() > 0)
            scale = qMin(double(size.height()) / paper.Height(), double(size.width()) / paper.Width()) * ratio;
        GrundI()->SetScale(scale);
    } else {
        raise();
        if (GrundI()->GetScale() != 1.0)
            GrundI()->SetScale(1.0);
    }

    if (QWidget *p = parentWidget(); p && !p->rect().contains(pos))
        pos = QPoint(0, 0);
    SetBounds(pos.x(), pos.y(), width(), height());

    QObject *reference = nullptr;
    if (auto *src = Supports<IKRFloorPhysIdSource>(opener.data()); src && src->GetFloorPhysId())
        reference = opener;
    m_physIdPath->SetReference(reference);

    show();
    m_currentIndex = index;
    m_storedIndex = index;
    TellRelations(true, index);
    m_physIdPath->Update(false);
    const bool visible = IsVisible(this);
    GrundI()->SetVisible(visible);
    m_armed = true;
    if (visible)
        PaperOpened(this);
    else
        HideAllChilds(this);
    Repaint();
    m_openCompleted = true;
    setFocus();
    RefreshEmbeddedOpens();
    if (IKrDesigner *d = GrundI()->GetKrDesigner())
        d->RefreshElementTree();
}

void TKRWorkFloor::ReplaceRelation(const QString &oldName, const QString &newName)
{
    const int i = IndexOf(oldName);
    if (i >= 0)
        m_relations[i] = newName;
}

int TKRWorkFloor::AddRelation(const QString &name)
{
    if (name.isEmpty())
        return -1;
    const int i = IndexOf(name);
    if (i >= 0)
        return i;
    m_relations.append(name);
    return int(m_relations.size()) - 1;
}

void TKRWorkFloor::RemoveRelation(const QString &name)
{
    const int i = IndexOf(name);
    if (i < 0)
        return;
    if (i == m_currentIndex) {
        m_physIdPath->SetReference(nullptr);
        GrundI()->SetScale(1.0);
        raise();
    }
    DeleteRelationAt(i);
}

int TKRWorkFloor::GetRelationCount()
{
    return int(m_relations.size());
}

TRect TKRWorkFloor::GetMediaRect()
{
    const TRect b = m_frame->GetBounds();
    const int d = m_frame->GetClipRect().Left - b.Left;
    return TRect(b.Left + d, b.Top + d, b.Right - 2 * d, b.Bottom - 2 * d);
}

void TKRWorkFloor::CloseFloor(const QString &closerName)
{
    if (m_currentIndex >= 0 && m_currentIndex < m_relations.size()
        && AutoShowU::IsAutoShowOpen(Lookup(m_relations.at(m_currentIndex))))
        return;
    DeleteTimerMethode(this, &TKRWorkFloor::PaperCheckTimer);
    m_timerPending = false;
    ReportPosition();
    setFocus();
    hide();
    PaperClosed(this);
    const QStringList relations = m_relations;
    for (const QString &name : relations) {
        if (SameName(name, closerName))
            continue;
        if (auto *rel = Supports<IKRFloorRelation>(Lookup(name)))
            rel->FloorStateChanged(false);
    }
    m_currentIndex = -1;
    m_storedIndex = -1;
}

int TKRWorkFloor::GetShowMode()
{
    return m_show->GetValue();
}

QString TKRWorkFloor::GetOpenerName()
{
    return m_relations.value(m_currentIndex);
}

// ---------------------------------------------------------------- IKRFloorRelations

QString TKRWorkFloor::GetRelation(int index)
{
    return m_relations.value(index);
}

void TKRWorkFloor::RelationLoaded(QObject *symbol)
{
    if (m_relations.isEmpty() || !Supports<IKRFloorRelation>(symbol))
        return;
    TKrComponent *c = KrComponentOf(symbol);
    const int index = c ? IndexOf(c->Name()) : -1;
    if (index != m_loadedIndex && m_loadedIndex != -1)
        return;
    m_currentIndex = index;
    if (index < 0)
        return;
    auto *src = Supports<IKRFloorPhysIdSource>(symbol);
    if (src && src->GetFloorPhysId()) {
        m_physIdPath->SetReference(symbol);
        m_physIdPath->Update(false);
        if (IsVisible(this))
            TellRelations(true, -1);
    }
}

// ---------------------------------------------------------------- base operations

void TKRWorkFloor::SetName(const QString &name)
{
    const QString old = Name();
    TKrCustomDrawingControl::SetName(name);
    if (old == name)
        return;
    const QStringList relations = m_relations;
    for (const QString &r : relations)
        if (auto *rel = Supports<IKRFloorRelation>(Lookup(r)))
            rel->SetFloorName(name);
}

void TKRWorkFloor::Paint()
{
    if (!KnownVisible() && m_armed)
        return;
    QPainter *canvas = Canvas();
    if (!canvas)
        return;
    m_frame->SetBounds(ClientRect());
    m_frame->Paint(canvas);
    m_image->Paint(canvas, m_frame->GetClipRect());
}

void TKRWorkFloor::FixRelations()
{
    const QString myName = Name();
    const QString oldName = FindNameChangedOld(myName);
    const bool pasted = oldName != myName;
    for (int i = int(m_relations.size()) - 1; i >= 0; --i) {
        const QString name = m_relations.at(i);
        bool drop = false;
        if (pasted) {
            const QString newName = FindNameChangedNew(name);
            if (newName != name) {
                m_relations[i] = newName;
                if (auto *rel = Supports<IKRFloorRelation>(Lookup(newName))) {
                    if (!SameName(rel->GetFloorName(), oldName))
                        drop = true;
                    else
                        rel->SetFloorName(myName);
                }
            } else if (auto *rel = Supports<IKRFloorRelation>(Lookup(name))) {
                const QString floorName = rel->GetFloorName();
                if (floorName.isEmpty())
                    rel->SetFloorName(myName);
                else if (!SameName(floorName, myName))
                    drop = true;
            }
        } else {
            auto *rel = Supports<IKRFloorRelation>(Lookup(name));
            if (!rel) {
                drop = true;
            } else {
                const QString floorName = rel->GetFloorName();
                if (floorName.isEmpty())
                    rel->SetFloorName(myName);
                else if (!SameName(floorName, myName))
                    drop = true;
            }
        }
        if (drop)
            DeleteRelationAt(i);
    }
}

void TKRWorkFloor::InitSymbol()
{
    FixRelations();
    for (TKrComponent *c : Components()) {
        auto *w = qobject_cast<QWidget *>(c->AsObject());
        if (!w || !Supports<IKrDrawingItem>(c))
            continue;
        if (auto *floor = Supports<IKRWorkFloor>(c); floor && floor->GetRelationCount() > 0)
            continue;
        w->show();
    }
    TKrCustomDrawingControl::InitSymbol();
    if (!isHidden() && m_loadedIndex != -1 && m_currentIndex == -1 && m_loadedIndex >= 0 && m_loadedIndex < m_relations.size()) {
        QObject *s = Lookup(m_relations.at(m_loadedIndex));
        if (auto *src = Supports<IKRFloorPhysIdSource>(s)) {
            m_physIdPath->SetReference(src->GetFloorPhysId() ? s : nullptr);
            m_currentIndex = m_loadedIndex;
            TellRelations(true, -1);
            m_physIdPath->Update(false);
        }
    }
}

void TKRWorkFloor::Validate()
{
    TKrCustomDrawingControl::Validate();
    Repaint();
}

void TKRWorkFloor::VisibleChanged(QObject *sender)
{
    TKrCustomDrawingControl::VisibleChanged(sender);
    if (m_armed)
        m_image->VisibleChanged(sender);
    if (!GrundI()->GetVisible())
        PostMessage(KRM_FLOORHIDDEN);
}

void TKRWorkFloor::MessageReceived(int message)
{
    if (message == KRM_FLOORHIDDEN)
        FloorHidden();
    else
        TKrCustomDrawingControl::MessageReceived(message);
}

void TKRWorkFloor::FloorHidden()
{
    const QList<QObject *> opens = OpenListU::AutoShowOpens(this);
    if (opens.isEmpty())
        return;
    QObject *found = OpenListU::TopMost(opens, [](QObject *o) {
        auto *item = Supports<IKrDrawingItem>(o);
        return item && item->GetShown();
    });
    if (!found)
        return;
    TKrComponent *c = KrComponentOf(found);
    if (!c || SameName(c->Name(), GetOpenerName()))
        return;
    if (auto *open = Supports<IKROpen>(found))
        open->OpenFloor();
}

void TKRWorkFloor::Replace(TKrReplace &what)
{
    TKrCustomDrawingControl::Replace(what);
    m_image->Replace(what);
    m_physIdPath->Replace(what);
}

void TKRWorkFloor::SaveToStream(TSymbolStream &stream, QStringList &files)
{
    TKrCustomDrawingControl::SaveToStream(stream, files);
    TKrFilerWriter w(stream);
    w.WriteStringList(m_relations);
    w.WriteInteger(m_currentIndex >= 0 ? m_currentIndex : m_storedIndex);
    for (int slot = 0; slot < kElementCount; ++slot)
        WriteElement(stream, slot);
    for (TKrChild *e : Elements())
        e->CollectFiles(files);
}

void TKRWorkFloor::InitFromStream(TSymbolStream &stream)
{
    TKrCustomDrawingControl::InitFromStream(stream);
    SetState(ksLoading, true);
    try {
        TKrFilerReader r(stream);
        m_relations = r.ReadStringList();
        m_loadedIndex = -1;
        const int tag = r.NextValue();
        if (tag == vaInt8 || tag == vaInt16 || tag == vaInt32 || tag == vaInt64) {
            const qint64 v = r.ReadInt64();
            // Whatever was stored is written back; only an index that fits counts.
            m_loadedIndex = (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max()) ? int(v) : -1;
        }
        m_storedIndex = m_loadedIndex;
        for (int slot = 0; slot < kElementCount; ++slot)
            ReadElement(stream, slot);
    } catch (...) {
        SetState(ksLoading, false);
        throw;
    }
    SetState(ksLoading, false);
}

TKrChild *TKRWorkFloor::ElementAt(int slot) const
{
    switch (slot) {
    case 0: return m_movability;
    case 1: return m_show;
    case 2: return m_image;
    case 3: return m_frame;
    default: return m_physIdPath;
    }
}

void TKRWorkFloor::ReadElement(TSymbolStream &stream, int slot)
{
    m_keptBlock[slot].clear();
    m_keptAsWritten[slot].clear();
    const qint64 start = stream.Position();
    if (KrReadElement(stream, ElementAt(slot)) || stream.Position() <= start)
        return;
    m_keptBlock[slot] = stream.Data().mid(start, stream.Position() - start);
    TSymbolStream now;
    ElementAt(slot)->SaveToStream(now);
    m_keptAsWritten[slot] = now.Data();
}

void TKRWorkFloor::WriteElement(TSymbolStream &stream, int slot)
{
    TSymbolStream now;
    ElementAt(slot)->SaveToStream(now);
    if (!m_keptBlock[slot].isEmpty() && now.Data() == m_keptAsWritten[slot]) {
        stream.WriteRaw(m_keptBlock[slot]);
        return;
    }
    m_keptBlock[slot].clear();
    m_keptAsWritten[slot].clear();
    stream.WriteRaw(now.Data());
}

void TKRWorkFloor::GroupChanged()
{
    TKrCustomDrawingControl::GroupChanged();
    DesignerChange();
}

void TKRWorkFloor::PaperChanged()
{
    if (GrundI()->GetVisible())
        m_armed = false;
    if (m_timerPending)
        DeleteTimerMethode(this, &TKRWorkFloor::PaperCheckTimer);
    else
        m_timerPending = true;
    EnableTimerMethode(1.0, this, &TKRWorkFloor::PaperCheckTimer, tkOnce);
}

void TKRWorkFloor::PaperCheckTimer()
{
    m_timerPending = false;
    if (!m_openCompleted)
        return;
    const bool visible = IsVisible(this);
    GrundI()->SetVisible(visible);
    if (visible) {
        PaperOpened(this);
        Repaint();
    } else {
        HideAllChilds(this);
    }
}

void TKRWorkFloor::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    m_paperAtDown = PaperPosition();
    m_armed = false;
    if (button == mbLeft && !GetBlockClicks()) {
        setFocus();
        if (!IsDesigning() && m_movability->GetValue()) {
            m_dragging = true;
            m_dragStart = QPoint(x, y);
            raise();
            m_paperAtDown = PaperPosition();
        }
    }
    TKrCustomDrawingControl::MouseDown(button, shift, x, y);
}

void TKRWorkFloor::MouseMove(TShiftState shift, int x, int y)
{
    if (m_dragging) {
        const int nx = Left() + x - m_dragStart.x();
        const int ny = Top() + y - m_dragStart.y();
        if (nx != Left() || ny != Top())
            SetBounds(nx, ny, width(), height());
    }
    TKrCustomDrawingControl::MouseMove(shift, x, y);
}

void TKRWorkFloor::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    m_dragging = false;
    if (!m_timerPending)
        m_armed = true;
    if (PaperPosition() != m_paperAtDown)
        ReportPosition();
    TKrCustomDrawingControl::MouseUp(button, shift, x, y);
}

void TKRWorkFloor::DoContextPopup(const QPoint &mousePos, bool &handled)
{
    QMenu *menu = PopupMenu();
    menu->clear();
    if (IsDesigning() && Owner() && Supports<IKrDrawingItem>(Owner())) {
        QAction *copy = menu->addAction(tr("Copy Ref."));
        const QString name = Name();
        connect(copy, &QAction::triggered, this, [name] {
            KeloClip.Clear();
            KeloClip.SetClipReferance(new TClipReferance(name));
        });
    }
    TKrCustomDrawingControl::DoContextPopup(mousePos, handled);
}

void TKRWorkFloor::SetZOrder(bool topMost)
{
    TKrCustomDrawingControl::SetZOrder(topMost);
    if (topMost && !m_opening)
        RefreshEmbeddedOpens();
}
