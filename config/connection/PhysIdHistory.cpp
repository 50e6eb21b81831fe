#include "PhysIdHistory.h"

namespace physid {

int indexIn(const QStringList &list, const QString &id)
{
    for (int i = 0; i < list.size(); ++i)
        if (list.at(i).compare(id, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QStringList fromStored(const QStringList &stored)
{
    QStringList list;
    for (const QString &id : stored) {
        if (list.size() >= MaxHistory)
            break;
        if (indexIn(list, id) < 0)
            list.append(id);
    }
    return list;
}

} // namespace physid
