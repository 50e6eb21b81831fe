#include "KrModules.h"

#include <QMutex>

extern "C" unsigned int KrRuntimeVersion()
{
    return KRTL_RUNTIME_VERSION;
}

namespace {
struct ModuleList {
    QMutex mutex;
    QList<TKrModuleInfo> modules;
};
ModuleList &list()
{
    static ModuleList l;
    return l;
}
} // namespace

void KrRegisterModule(const TKrModuleInfo &info)
{
    ModuleList &l = list();
    QMutexLocker lock(&l.mutex);
    for (TKrModuleInfo &m : l.modules) {
        if (m.guid.compare(info.guid, Qt::CaseInsensitive) == 0) {
            m = info;
            return;
        }
    }
    l.modules.append(info);
}

void KrUnregisterModule(const QString &guid)
{
    ModuleList &l = list();
    QMutexLocker lock(&l.mutex);
    l.modules.removeIf([&](const TKrModuleInfo &m) { return m.guid.compare(guid, Qt::CaseInsensitive) == 0; });
}

QList<TKrModuleInfo> KrModules()
{
    ModuleList &l = list();
    QMutexLocker lock(&l.mutex);
    return l.modules;
}
