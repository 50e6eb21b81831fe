#pragma once
// The interfaces the floor libraries (Floor, Open, Close, Bistate) define among
// themselves. Each has one fixed identifier shared by all component libraries
// and is asked for with GetInterface (Supports<I>); the operations are declared
// in their slot order. Symbols hold each other by name, never by pointer: a
// partner is looked up by name each time and a missing one makes a call do
// nothing.

#include "KrInterfaces.h"

#include "KrComponent.h"

#include <QPoint>
#include <QSize>
#include <QWidget>

// A work floor.
class IKRWorkFloor {
public:
    static constexpr TGUID IID = KrGuid("{4060E063-DDD4-497A-8832-E25297FFF103}");
    virtual ~IKRWorkFloor() = default;
    virtual void OpenFloor(const QString &openerName) = 0;
    virtual void ReplaceRelation(const QString &oldName, const QString &newName) = 0;
    virtual int AddRelation(const QString &name) = 0;
    virtual void RemoveRelation(const QString &name) = 0;
    virtual int GetRelationCount() = 0;
    virtual TRect GetMediaRect() = 0;
    virtual void CloseFloor(const QString &closerName) = 0;
    virtual int GetShowMode() = 0;
    virtual QString GetOpenerName() = 0;
};

// The relation list of a work floor.
class IKRFloorRelations {
public:
    static constexpr TGUID IID = KrGuid("{98C46E9D-B5FA-4925-8CE1-78A6124F944A}");
    virtual ~IKRFloorRelations() = default;
    // The relation's name, or empty when index is out of range.
    virtual QString GetRelation(int index) = 0;
    // Called by an opener after it was loaded.
    virtual void RelationLoaded(QObject *symbol) = 0;
};

// A symbol that opens a work floor (open and two-state symbols).
class IKRFloorRelation {
public:
    static constexpr TGUID IID = KrGuid("{541302F1-1CBE-4C63-BDD1-F3BBEB706BD1}");
    virtual ~IKRFloorRelation() = default;
    virtual void SetFloorName(const QString &name) = 0;
    virtual QString GetFloorName() = 0;
    // The floor's position for this opener, in pixels.
    virtual QPoint GetPaperPos() = 0;
    virtual void SetPaperPos(int x, int y) = 0;
    virtual void FloorStateChanged(bool opened) = 0;
};

// An open symbol.
class IKROpen {
public:
    static constexpr TGUID IID = KrGuid("{B289D2B5-D07E-4542-99F0-087966377EB1}");
    virtual ~IKROpen() = default;
    virtual void OpenFloor() = 0;
    virtual bool GetAutoShow() = 0;
    virtual bool IsShowing() = 0;
    virtual void Refresh() = 0;
    virtual QSize GetSize() = 0;
};

// An opener that lends its partial PhysId to the floor it opens.
class IKRFloorPhysIdSource {
public:
    static constexpr TGUID IID = KrGuid("{18CC9FCE-0CBA-4878-B053-4F65A25DA356}");
    virtual ~IKRFloorPhysIdSource() = default;
    virtual bool GetFloorPhysId() = 0;
};

// An opener opens the floor held by floorObject: it first takes the floor's place as
// its paper position (relative to itself for a floor of show mode 0), then asks the
// floor to open for it. Nothing happens when floorObject is not a floor.
inline void KrOpenFloorFrom(QObject *floorObject, IKRFloorRelation &opener, const QWidget &openerWidget,
                            const QString &openerName)
{
    IKRWorkFloor *floor = Supports<IKRWorkFloor>(floorObject);
    auto *w = qobject_cast<QWidget *>(floorObject);
    if (!floor || !w)
        return;
    int x = w->x();
    int y = w->y();
    if (floor->GetShowMode() == 0) {
        x -= openerWidget.x();
        y -= openerWidget.y();
    }
    opener.SetPaperPos(x, y);
    floor->OpenFloor(openerName);
}

// The window message a floor posts to itself when it became hidden.
constexpr int KRM_FLOORHIDDEN = 1024 + 410;
