#include "Namechanged.h"

#include <QHash>

namespace {
struct Renames {
    QHash<QString, QString> oldToNew;
    QHash<QString, QString> newToOld;
};
Renames &renames()
{
    static Renames r;
    return r;
}
} // namespace

QString FindNameChangedOld(const QString &name)
{
    return renames().newToOld.value(name, name);
}

QString FindNameChangedNew(const QString &name)
{
    return renames().oldToNew.value(name, name);
}

void KrNameChangedClear()
{
    renames().oldToNew.clear();
    renames().newToOld.clear();
}

void KrNameChangedAdd(const QString &oldName, const QString &newName)
{
    if (oldName == newName)
        return;
    renames().oldToNew.insert(oldName, newName);
    renames().newToOld.insert(newName, oldName);
}
