// Built into every component library: the export SymbolCreate, the runtime
// version record and the library's start-up (module list and language
// satellite).

#include "KrComponentEntry.h"
#include "KrModules.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTranslator>
#include <dlfcn.h>

#ifndef KR_COMPONENT_GUID
#error "KR_COMPONENT_GUID must name the component type's GUID"
#endif
#ifndef KR_COMPONENT_NAME
#define KR_COMPONENT_NAME ""
#endif
#ifndef KR_COMPONENT_VERSION
#define KR_COMPONENT_VERSION "1.0.0"
#endif
#ifndef KR_COMPONENT_RTL_VERSION
#define KR_COMPONENT_RTL_VERSION KRTL_RUNTIME_VERSION
#endif

#define KR_PLUGIN_EXPORT __attribute__((visibility("default")))

// Also kept alone in its own section, where the host reads it from the file
// before it loads the library.
extern "C" KR_PLUGIN_EXPORT __attribute__((used, section(KR_RUNTIME_VERSION_SECTION))) const unsigned int KeloRTLVersion = KR_COMPONENT_RTL_VERSION;

extern "C" KR_PLUGIN_EXPORT TKrSymbol *SymbolCreate(TKrComponent *owner)
{
    try {
        TKrSymbol *s = KrComponentCreateSymbol(owner);
        if (s)
            s->SetAboutResource(QStringLiteral(":/krcomponents/" KR_COMPONENT_GUID));
        return s;
    } catch (...) {
        // Nothing may cross the C boundary; the host sees no symbol.
        return nullptr;
    }
}

namespace {

QString LibraryPath()
{
    Dl_info info;
    if (dladdr(reinterpret_cast<void *>(&SymbolCreate), &info) && info.dli_fname)
        return QString::fromLocal8Bit(info.dli_fname);
    return QString();
}

// Registers the library with the runtime when it is loaded and installs its
// language satellite ("{GUID}[02].<language>.qm" beside the library), if any.
// A library built for another runtime than the one loaded does neither: the
// host refuses it, and its start-up leaves nothing behind.
struct ModuleStartUp {
    QTranslator *translator = nullptr;
    bool registered = false;

    ModuleStartUp()
    {
        if (KR_COMPONENT_RTL_VERSION != KrRuntimeVersion())
            return;
        TKrModuleInfo info;
        info.guid = QStringLiteral(KR_COMPONENT_GUID);
        info.name = QStringLiteral(KR_COMPONENT_NAME);
        info.version = QStringLiteral(KR_COMPONENT_VERSION);
        info.path = LibraryPath();
        info.runtimeVersion = KR_COMPONENT_RTL_VERSION;
        if (QCoreApplication::instance() && !info.path.isEmpty()) {
            const QFileInfo fi(info.path);
            auto *t = new QTranslator;
            if (t->load(QLocale(), fi.completeBaseName(), QStringLiteral("."), fi.absolutePath(), QStringLiteral(".qm"))) {
                QCoreApplication::installTranslator(t);
                translator = t;
            } else {
                delete t;
            }
        }
        info.translator = translator;
        KrRegisterModule(info);
        registered = true;
    }
    ~ModuleStartUp()
    {
        if (translator) {
            if (QCoreApplication::instance())
                QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        if (registered)
            KrUnregisterModule(QStringLiteral(KR_COMPONENT_GUID));
    }
};

ModuleStartUp startUp;

} // namespace
