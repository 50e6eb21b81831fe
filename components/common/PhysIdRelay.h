#pragma once
// A hidden element of a symbol that sits on a floor: the floor tells it when its
// PhysId is about to change and when it has changed, and it passes each on to an
// event of the symbol. Open and Bistate derive their own element classes from it;
// their class names are what a page stores.

#include "KrComponent.h"
#include "KrInterfaces.h"
#include "Krchild.h"

class TKrPhysIdRelay : public TKrChild, public IKrPhysIdNotify {
public:
    explicit TKrPhysIdRelay(TKrComponent *owner) : TKrChild(owner) {}

    bool GetInterface(const TGUID &iid, void **obj) override
    {
        KR_OFFER_INTERFACE(IKrPhysIdNotify)
        return TKrChild::GetInterface(iid, obj);
    }

    // IKrPhysIdNotify
    void PhysIdChanging() override
    {
        if (OnPhysIdChanging)
            OnPhysIdChanging(this);
    }
    void PhysIdChanged() override
    {
        if (OnPhysIdChanged)
            OnPhysIdChanged(this);
    }

    TNotifyEvent OnPhysIdChanging;
    TNotifyEvent OnPhysIdChanged;
};
