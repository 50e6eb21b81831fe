#pragma once
// Unit OpenUnit: the open symbol, a small push button that opens the work floor
// named in its "Open ref." element. With "Auto show" on it is not clicked: the
// floor is shown inside the button's own area, scaled to fit, whenever the
// button is shown.

#include "ChildElements.h"
#include "Krsymbols.h"
#include "OpenFloorInterface.h"
#include "PhysIdRelay.h"

#include <QPointF>

// The hidden element that passes the PhysId notifications of the floor on.
class TKROpenPhysIdNotify : public TKrPhysIdRelay {
    Q_OBJECT
public:
    explicit TKROpenPhysIdNotify(TKrComponent *owner) : TKrPhysIdRelay(owner) {}
};

class TKROpen : public TKrGraphicControl,
                public IKRFloorPhysIdSource,
                public IKROpen,
                public IKrRotatable,
                public IKRFloorRelation {
    Q_OBJECT
    Q_PROPERTY(double PaperLeft READ GetPaperLeft WRITE SetPaperLeft STORED true)
    Q_PROPERTY(double PaperTop READ GetPaperTop WRITE SetPaperTop STORED true)

public:
    explicit TKROpen(TKrComponent *owner);
    bool GetInterface(const TGUID &iid, void **obj) override;

    double GetPaperLeft() const { return m_paperLeft; }
    void SetPaperLeft(double v) { m_paperLeft = v; }
    double GetPaperTop() const { return m_paperTop; }
    void SetPaperTop(double v) { m_paperTop = v; }

    // IKRFloorPhysIdSource
    bool GetFloorPhysId() override;
    // IKROpen
    void OpenFloor() override;
    bool GetAutoShow() override;
    bool IsShowing() override;
    void Refresh() override;
    QSize GetSize() override;
    // IKrRotatable
    int GetRotation() override;
    bool GetMirrored() override;
    bool CanRotate() override { return true; }
    void Rotate_Mirror(TRotateFunction function, const QPoint &centre) override;
    // IKRFloorRelation
    void SetFloorName(const QString &name) override;
    QString GetFloorName() override;
    QPoint GetPaperPos() override;
    void SetPaperPos(int x, int y) override;
    void FloorStateChanged(bool opened) override;

    // Base operations
    void Paint() override;
    void InitSymbol() override;
    void Validate() override;
    bool CanDelete() override;
    void VisibleChanged(QObject *sender) override;
    void SetName(const QString &name) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoContextPopup(const QPoint &mousePos, bool &handled) override;

private:
    QObject *FloorObject();
    IKRWorkFloor *Floor();
    void Attach();
    void Detach();
    void SetReferenceQuietly(const QString &name);
    bool IsAutoShowCandidate();
    void PasteRef();
    void FloorPhysIdChanged();
    void PhysIdChanged();
    QPointF PaperPosition();

    TKRFrame *m_upFrame;
    TKRFrame *m_downFrame;
    TKRImage *m_image;
    TKRString *m_openRef;
    TKrBoolean *m_autoShow;
    TKrBoolean *m_floorPhysId;
    TKROpenPhysIdNotify *m_notify;
    TKrPhysIdPath *m_physIdPath = nullptr;

    double m_paperLeft = 0;
    double m_paperTop = 0;
    bool m_pressed = false;
    bool m_initialised = false;
    bool m_inPhysIdUpdate = false;
    QPointF m_paperAtDown;
};
