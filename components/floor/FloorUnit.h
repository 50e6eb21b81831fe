#pragma once
// Unit FloorUnit: the work floor, a container symbol on which other symbols are
// placed. A floor stays hidden until one of its relations (an open symbol or a
// two-state symbol, named in its relation list) opens it; a close symbol on it
// or its opener closes it again. Floors nest.

#include "ChildElements.h"
#include "Krsymbols.h"
#include "OpenFloorInterface.h"

#include <QPoint>
#include <QStringList>

class TKRWorkFloor : public TKrCustomDrawingControl, public IKRWorkFloor, public IKRFloorRelations {
    Q_OBJECT

public:
    explicit TKRWorkFloor(TKrComponent *owner);
    ~TKRWorkFloor() override;

    bool GetInterface(const TGUID &iid, void **obj) override;

    // IKRWorkFloor
    void OpenFloor(const QString &openerName) override;
    void ReplaceRelation(const QString &oldName, const QString &newName) override;
    int AddRelation(const QString &name) override;
    void RemoveRelation(const QString &name) override;
    int GetRelationCount() override;
    TRect GetMediaRect() override;
    void CloseFloor(const QString &closerName) override;
    int GetShowMode() override;
    QString GetOpenerName() override;

    // IKRFloorRelations
    QString GetRelation(int index) override;
    void RelationLoaded(QObject *symbol) override;

    // Base operations
    void SetName(const QString &name) override;
    void Paint() override;
    void InitSymbol() override;
    void Validate() override;
    void VisibleChanged(QObject *sender) override;
    void Replace(TKrReplace &what) override;
    void SaveToStream(TSymbolStream &stream, QStringList &files) override;
    void InitFromStream(TSymbolStream &stream) override;
    void GroupChanged() override;
    void PaperChanged() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoContextPopup(const QPoint &mousePos, bool &handled) override;
    void SetZOrder(bool topMost) override;

    // State, for the designer's inspection.
    QStringList Relations() const { return m_relations; }
    int CurrentIndex() const { return m_currentIndex; }
    int LoadedIndex() const { return m_loadedIndex; }
    bool TimerPending() const { return m_timerPending; }

protected:
    void MessageReceived(int message) override;

private:
    int IndexOf(const QString &name) const;
    QObject *Lookup(const QString &name);
    void TellRelations(bool opened, int except);
    void ReportPosition();
    void RefreshEmbeddedOpens();
    void FixRelations();
    // Removes the entry and keeps the current and loaded index on their relation.
    void DeleteRelationAt(int index);
    void MoveInto(QWidget *newParent);
    void SendToBack(QWidget *button);
    QPointF PaperPosition() const;
    void PaperCheckTimer();
    // Element data in the floor's own order. A block the element could not use
    // is kept and written back as it was, until the element is changed.
    void ReadElement(TSymbolStream &stream, int slot);
    void WriteElement(TSymbolStream &stream, int slot);
    TKrChild *ElementAt(int slot) const;
    void FloorHidden();

    TKrBoolean *m_movability;
    TKRDropdownList *m_show;
    TKRImage *m_image;
    TKRFrame *m_frame;
    TKrPhysIdPath *m_physIdPath;

    static constexpr int kElementCount = 5;
    QByteArray m_keptBlock[kElementCount];
    QByteArray m_keptAsWritten[kElementCount];

    QStringList m_relations;
    int m_currentIndex = -1;
    int m_loadedIndex = -1;
    // The index written back by SaveToStream: the loaded one until the floor is
    // opened or closed, then the current one.
    int m_storedIndex = -1;
    bool m_armed = true;
    bool m_openCompleted = true;
    bool m_opening = false;
    bool m_timerPending = false;
    bool m_dragging = false;
    QPoint m_dragStart;
    QPointF m_paperAtDown;
};
