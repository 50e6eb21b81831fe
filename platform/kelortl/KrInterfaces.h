#pragma once
// The interfaces of the runtime that symbols, pages and elements offer each
// other. Each has one fixed identifier (IID) and is asked for with GetInterface
// (see Supports in KrComponent.h). The interfaces do not own the objects behind
// them: the host owns pages and symbols, symbols own their elements.

#include "KrComponent.h"
#include "KrTypes.h"

#include <QPoint>

// Offered by the drawing page, by work floors and by the symbols on them.
class IKrDrawingItem {
public:
    static constexpr TGUID IID = KrGuid("{3F257E3D-5BF9-4B37-86BA-09D5D9E492D1}");
    virtual ~IKrDrawingItem() = default;
    // The object's own scale (1.0 unless a container shrinks or grows it).
    virtual double GetScale() = 0;
    // Whether the object is shown: it and every container up to its page are
    // shown and the page itself is open.
    virtual bool GetShown() = 0;
};

// Offered by the top-most drawing item (the page): symbols by name.
class IKrSymbolLookup {
public:
    static constexpr TGUID IID = KrGuid("{3C320B91-A1B0-42C2-8BC0-4AEDA5DA8D6C}");
    virtual ~IKrSymbolLookup() = default;
    // The symbol of that name anywhere on the page, or nullptr.
    virtual QObject *FindSymbol(const QString &name) = 0;
};

// Implemented by symbols that can be turned and mirrored.
class IKrRotatable {
public:
    static constexpr TGUID IID = KrGuid("{4E8E9FFE-5B59-4DDC-9FBB-38910459920E}");
    virtual ~IKrRotatable() = default;
    virtual int GetRotation() = 0;      // degrees: 0, 90, 180 or 270
    virtual bool GetMirrored() = 0;
    virtual bool CanRotate() = 0;
    // function: TRotateFunction; centre in screen coordinates.
    virtual void Rotate_Mirror(TRotateFunction function, const QPoint &centre) = 0;
};

// Notifications around a change of the PhysId prefix that applies to a symbol.
class IKrPhysIdNotify {
public:
    static constexpr TGUID IID = KrGuid("{25EAB904-0457-4109-9B2B-0D8AE2234AD9}");
    virtual ~IKrPhysIdNotify() = default;
    virtual void PhysIdChanging() = 0;  // before the prefix changes
    virtual void PhysIdChanged() = 0;   // after it changed
};

// Offered by the partial-PhysId element: recompute the prefix and tell the
// symbols below it; force = notify even when the prefix stayed the same.
class IKrPhysIdUpdate {
public:
    static constexpr TGUID IID = KrGuid("{0A11103A-CC25-48EC-A481-5ACD5CF3173C}");
    virtual ~IKrPhysIdUpdate() = default;
    virtual void Update(bool force) = 0;
};

// The designer of the host, present only in design mode.
class IKrDesigner {
public:
    static constexpr TGUID IID = KrGuid("{0969876D-731B-4270-B0F6-12B48013EDD3}");
    virtual ~IKrDesigner() = default;
    // The page changed (a symbol was turned or mirrored, ...).
    virtual void Modified(bool modified) = 0;
    // Child elements were added or removed: rebuild the element tree.
    virtual void RefreshElementTree() = 0;
    // Whether a symbol should ask before playing a media clip in design mode.
    virtual bool AskBeforeMultiMedia() = 0;
    // Records an undo step for the symbol's present state.
    virtual void AddUndo(QObject *symbol) = 0;
};

// Offered by the host's page: what the runtime needs of the host.
class IKrHostContext {
public:
    static constexpr TGUID IID = KrGuid("{59E6A242-EDB7-4D94-917B-CCD4A2502AD5}");
    virtual ~IKrHostContext() = default;
    virtual IKrDesigner *GetKrDesigner() = 0;
};
