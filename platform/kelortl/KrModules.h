#pragma once
// The runtime's list of loaded component libraries. Each library registers
// itself when it is loaded (before the host asks it for a symbol) and leaves the
// list when it is unloaded.

#include "KrGlobal.h"

#include <QList>
#include <QString>

class QTranslator;

struct KRTL_EXPORT TKrModuleInfo {
    QString guid;        // the component type's GUID in registry form
    QString name;        // the component's name ("Floor", ...)
    QString path;        // the library file
    QString version;     // the component's version
    unsigned int runtimeVersion = 0; // the runtime contract it was built against
    // The language satellite the library installed at start-up (it stays the
    // library's; nullptr when none).
    QTranslator *translator = nullptr;
};

KRTL_EXPORT void KrRegisterModule(const TKrModuleInfo &info);
KRTL_EXPORT void KrUnregisterModule(const QString &guid);
KRTL_EXPORT QList<TKrModuleInfo> KrModules();
