#include "AutoShowU.h"

#include "KrComponent.h"
#include "Krsymbols.h"

namespace AutoShowU {

bool IsAutoShowOpen(QObject *symbol)
{
    IKROpen *open = Supports<IKROpen>(symbol);
    return open && open->GetAutoShow();
}

IKRWorkFloor *FindWorkFloor(QObject *from, const QString &name)
{
    return Supports<IKRWorkFloor>(KrFindSymbol(from, name));
}

void RefreshEmbeddedOpens(TKrComponent *owner)
{
    if (!owner)
        return;
    int i = owner->ComponentCount() - 1;
    while (i >= 0) {
        if (i >= owner->ComponentCount())
            i = owner->ComponentCount() - 1;
        if (i < 0)
            break;
        TKrComponent *c = owner->Component(i);
        IKROpen *open = Supports<IKROpen>(c);
        if (open && open->GetAutoShow())
            open->Refresh();
        --i;
    }
}

} // namespace AutoShowU
