#include "OpenListU.h"

#include "AutoShowU.h"
#include "Divunit.h"
#include "Krsymbols.h"

#include <algorithm>

namespace OpenListU {

QList<QObject *> AutoShowOpens(QObject *floor)
{
    QList<QObject *> list;
    IKRWorkFloor *wf = Supports<IKRWorkFloor>(floor);
    IKRFloorRelations *rel = Supports<IKRFloorRelations>(floor);
    if (!wf || !rel)
        return list;
    const int n = wf->GetRelationCount();
    for (int i = 0; i < n; ++i) {
        QObject *s = KrFindSymbol(floor, rel->GetRelation(i));
        if (s && AutoShowU::IsAutoShowOpen(s))
            list.append(s);
    }
    if (list.size() > 1)
        std::stable_sort(list.begin(), list.end(), [](QObject *a, QObject *b) { return CompTopMost(a, b) < 0; });
    return list;
}

QObject *TopMost(const QList<QObject *> &list, const std::function<bool(QObject *)> &accept)
{
    for (qsizetype i = list.size() - 1; i >= 0; --i)
        if (accept(list.at(i)))
            return list.at(i);
    return nullptr;
}

} // namespace OpenListU
