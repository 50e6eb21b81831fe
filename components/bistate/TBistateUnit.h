#pragma once
// Unit TBistateUnit: the two-state symbol TKRBistate. It shows one of two
// states, off or on, each with its own look (an action collection: frame,
// picture, text and clip), plus an optional error look over it. The state comes
// from a linked process variable through the in/out function ("Function"), or
// from clicks, which the function turns into a value written back to the
// variable. With a floor relation, turning it on opens the work floor named in
// "Floor" and turning it off closes it again.

#include "ChildElements.h"
#include "Krsymbols.h"
#include "OpenFloorInterface.h"
#include "PhysIdRelay.h"

#include <QPointer>

class TEnableForm;

// The hidden element that receives the PhysId notifications of the floor the
// symbol sits on and forwards each to an event of its own.
class TKRPhysIdNotifier : public TKrPhysIdRelay {
    Q_OBJECT
public:
    explicit TKRPhysIdNotifier(TKrComponent *owner);
};

class TKRBistate : public TKrGraphicControl, public IKRFloorPhysIdSource, public IKRFloorRelation, public IKrRotatable {
    Q_OBJECT
    Q_PROPERTY(int RotDeg READ GetRotDeg WRITE SetRotDeg)
    Q_PROPERTY(bool RotMirr READ GetRotMirr WRITE SetRotMirr)
    Q_PROPERTY(double PaperLeft READ GetPaperLeft WRITE SetPaperLeft)
    Q_PROPERTY(double PaperTop READ GetPaperTop WRITE SetPaperTop)
    Q_PROPERTY(bool EnableOnAction READ GetEnableOnAction WRITE SetEnableOnAction)
    Q_PROPERTY(bool EnableOffAction READ GetEnableOffAction WRITE SetEnableOffAction)
    Q_PROPERTY(bool EnableErrorAction READ GetEnableErrorAction WRITE SetEnableErrorAction)
    Q_PROPERTY(bool EnableFloorRelation READ GetEnableFloorRelation WRITE SetEnableFloorRelation)
    Q_PROPERTY(bool EnableVariableLink READ GetEnableVariableLink WRITE SetEnableVariableLink)
    Q_PROPERTY(bool EnableFloorPhysId READ GetEnableFloorPhysId WRITE SetEnableFloorPhysId)
    // What the symbol shows now (not stored): the state (0 off, 1 on) and
    // whether the error look is shown.
    Q_PROPERTY(int State READ GetState STORED false)
    Q_PROPERTY(bool ErrorShown READ GetErrorShown STORED false)

public:
    explicit TKRBistate(TKrComponent *owner);
    ~TKRBistate() override;

    bool GetInterface(const TGUID &iid, void **obj) override;

    // ---- host operations ----
    void Paint() override;
    void InitSymbol() override;
    void Validate() override;
    bool CanDelete() override;
    void VisibleChanged(QObject *sender) override;
    void ShowDetails(QWidget *parent) override;
    void HideDetails() override;
    void InitFromStream(TSymbolStream &stream) override;
    void SetName(const QString &name) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DblClick() override;
    void DoContextPopup(const QPoint &mousePos, bool &handled) override;

    // IKRFloorPhysIdSource
    bool GetFloorPhysId() override;
    // IKRFloorRelation
    void SetFloorName(const QString &name) override;
    QString GetFloorName() override;
    QPoint GetPaperPos() override;
    void SetPaperPos(int x, int y) override;
    void FloorStateChanged(bool opened) override;
    // IKrRotatable
    int GetRotation() override { return m_rotDeg; }
    bool GetMirrored() override { return m_rotMirr; }
    bool CanRotate() override { return true; }
    void Rotate_Mirror(TRotateFunction function, const QPoint &centre) override;

    // ---- published properties ----
    int GetRotDeg() const { return m_rotDeg; }
    void SetRotDeg(int deg);
    bool GetRotMirr() const { return m_rotMirr; }
    void SetRotMirr(bool mirrored) { m_rotMirr = mirrored; }
    double GetPaperLeft() const { return m_paperLeft; }
    void SetPaperLeft(double v);
    double GetPaperTop() const { return m_paperTop; }
    void SetPaperTop(double v);
    bool GetEnableOnAction() const { return m_enableOnAction; }
    void SetEnableOnAction(bool enable);
    bool GetEnableOffAction() const { return m_enableOffAction; }
    void SetEnableOffAction(bool enable);
    bool GetEnableErrorAction() const { return m_enableErrorAction; }
    void SetEnableErrorAction(bool enable);
    bool GetEnableFloorRelation() const { return m_enableFloorRelation; }
    void SetEnableFloorRelation(bool enable);
    bool GetEnableVariableLink() const { return m_enableVariableLink; }
    void SetEnableVariableLink(bool enable);
    bool GetEnableFloorPhysId() const { return m_enableFloorPhysId; }
    void SetEnableFloorPhysId(bool enable);

    int GetState() const { return m_function->GetState(); }
    bool GetErrorShown() const { return m_errorShown; }

    // ---- elements ----
    TKRInOutFunction *Function() const { return m_function; }
    TKRActionCollection *OnAction() const { return m_onAction; }
    TKRActionCollection *OffAction() const { return m_offAction; }
    TKRActionCollection *ErrorAction() const { return m_errorAction; }
    TKRString *FloorElement() const { return m_floor; }
    TKrKeloTimer *VariableLink() const { return m_link; }
    TKrPhysIdPath *PartialPhysId() const { return m_physIdPath; }
    TEnableForm *EnableForm() const;

private:
    // Floor relation.
    QString FloorName() const;
    // The work floor named by "Floor" (nullptr when missing or not a floor).
    IKRWorkFloor *Floor() const;
    QObject *FloorObject() const;
    bool MineOrNone() const;
    void Attach();
    void Detach();
    void FloorChanging(QObject *sender);
    void FloorChanged(QObject *sender);
    void FloorSync();
    void PasteRef();

    // State changes.
    void InputChanged(QObject *sender);
    void OutputChanged(QObject *sender);
    void StateChanged();
    void PlayInFloor();
    void DataReady(QObject *sender);
    void LinkError(QObject *sender);
    void LinkPhysIdChanged(QObject *sender);
    void NotifierPhysIdChanged(QObject *sender);
    void UpdateLinkEnable();
    bool LinkHasPhysId() const;

    // Clicks.
    void InstallClickHandlers();
    void ClickDown(QObject *sender, TMouseButton button, TShiftState shift, int x, int y);
    void ClickUp(QObject *sender, TMouseButton button, TShiftState shift, int x, int y);
    bool TextEditing() const;

    TKRActionCollection *CollectionOfState() const;
    TKRActionCollection *MakeCollection(const QString &label);
    TRect ClipRectOf(TKRActionCollection *collection) const;
    // Keeps the elements in their fixed order (the order of the stored data).
    void SortElements();
    void RefreshTree();

    TKRInOutFunction *m_function = nullptr;
    TKRActionCollection *m_onAction = nullptr;
    TKRActionCollection *m_offAction = nullptr;
    TKRActionCollection *m_errorAction = nullptr;
    TKRString *m_floor = nullptr;
    TKrKeloTimer *m_link = nullptr;
    TKrPhysIdPath *m_physIdPath = nullptr;
    TKRPhysIdNotifier *m_notifier = nullptr;

    int m_rotDeg = 0;
    bool m_rotMirr = false;
    double m_paperLeft = 0;
    double m_paperTop = 0;
    bool m_enableOnAction = false;
    bool m_enableOffAction = true;
    bool m_enableErrorAction = false;
    bool m_enableFloorRelation = false;
    bool m_enableVariableLink = false;
    bool m_enableFloorPhysId = false;

    bool m_errorShown = false;
    bool m_initialised = false;
    bool m_floorSyncSuppressed = false;
    bool m_clickHandlers = false;
    double m_downPaperLeft = 0;
    double m_downPaperTop = 0;
    QPointer<TEnableForm> m_enableForm;
    QAction *m_pasteRefAction = nullptr;
};
